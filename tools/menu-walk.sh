#!/usr/bin/env bash
# Walks every menu of the main window as a user would, under Xvfb at 1280 × 800: the client
# starts online against the local demo shop (a shop that offers cards, phone pictures and the
# send modes) in a demo home with sample photos and a customer record; each command is chosen
# with the mouse (and the keyboard in submenus). After each
# command the window that came up is recorded, saved as a PNG and closed with Esc. Commands that
# end or restart the program ("終了", "バージョンアップ") are left out.
# Prints one line per command: the menu, the command, and the window it opened (or "-" when
# it acted in the main window; the PNG shows what changed). Exit status 1 when a command
# left no trace at all: no window and no change on the screen.
# usage: tools/menu-walk.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
out=$(realpath -m "${2:-$build/menu-walk}")
client=$build/src/app/korvatel
[ -x "$client" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }
mkdir -p "$out"
rm -f "$out"/*.png

. tools/demo-env.sh
make_demo_home
photos=$home/Pictures/demo-photos
make_demo_photos "$photos" 3
mkdir -p "$home/Korvatel/SysData"
printf 'LastDir=%s\r\n' "$photos" >"$home/Korvatel/SysData/State.ini"
write_demo_customer "$home"
start_demo_shop "$home/demo-shop" "$home/.config/korvatel/servers.ini" "$client" \
  || { echo "menu-walk: the demo shop did not start"; exit 1; }

export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME KORVATEL_SERVERS
# The plan, one command a line: the menu title's x on the menu bar; the tab to show first
# (Ctrl+digit, or -); the command's row in its menu and the separators above it (its place is
# computed from them); for a command in a submenu that opens from it, its row there, else "-";
# "=" for a setting whose menu is shown again afterwards, else "!"; and the command's name for
# the report.
cat >"$out/plan.txt" <<'PLAN'
37 - 0 0 - ! 設定/終了:最新情報に更新
37 - 1 0 - ! 設定/終了:ユーザー設定
37 - 2 0 - ! 設定/終了:携帯配布アドレス
37 - 3 0 - ! 設定/終了:インターネットの設定
37 - 4 0 - ! 設定/終了:ファイル管理
37 - 5 0 - ! 設定/終了:操作方法の設定
37 - 6 0 - ! 設定/終了:FDフォーマット
105 - 0 0 - ! ソース選択:ﾃﾝﾌﾟﾚｰﾄ
105 - 2 0 - ! ソース選択:日付別
105 - 1 0 - ! ソース選択:フォルダ別
172 - 0 0 - ! 一覧選択:Exif表示
172 - 1 0 1 = 一覧選択:ソート/名前順
172 - 2 1 - ! 一覧選択:枠色
172 - 3 1 - ! 一覧選択:背景色
172 - 4 1 - ! 一覧選択:チェック色
172 - 5 1 1 = 一覧選択:チェック形状/丸
172 - 6 1 0 = 一覧選択:チェック位置/左端
172 - 7 1 3 = 一覧選択:チェックサイズ/40%
172 - 8 2 - ! 一覧選択:連番
172 - 9 2 - ! 一覧選択:日付
172 - 10 2 - ! 一覧選択:面取り(丸)
172 - 11 2 - ! 一覧選択:ベベル(凹)
172 - 12 3 1 = 一覧選択:専用サムネイル作成モード/600Pix
233 1 2 0 - ! 画像編集:左90度
233 1 0 0 - ! 画像編集:立像
233 1 1 0 - ! 画像編集:倒立
233 1 3 0 - ! 画像編集:右90度
233 1 5 1 - ! 画像編集:コントラスト補正(＋)
233 1 6 1 - ! 画像編集:コントラスト補正(－)
233 1 7 1 - ! 画像編集:明るさ補正(明るく)
233 1 8 1 - ! 画像編集:明るさ補正(暗く)
233 1 11 2 - ! 画像編集:別名でファイル保存
233 1 9 2 - ! 画像編集:初期画面に戻す
233 1 14 3 1 = 画像編集:スライド間隔/0.3秒
233 1 12 3 - ! 画像編集:スライドショー
233 1 16 4 - = 画像編集:インクリメントディスプレー
233 1 17 4 0 = 画像編集:画像読込みクリック指定/シングル
233 1 18 4 1 = 画像編集:アンカーポイントのサイズ/中
233 1 19 5 - ! 画像編集:色調補正...
233 1 15 3 - ! 画像編集:最大画面
233 1 10 2 - ! 画像編集:消去
299 2 0 0 - ! カード作成:画像・プレートを開く...
299 2 14 4 0 ! カード作成:色の設定/枠の色...
299 2 15 4 0 = カード作成:マウスの動作/右ドラッグで拡大縮小
365 3 0 0 - ! 注文詳細:更新ソート
365 3 1 0 1 = 注文詳細:ソートタイプ/印字日付順
365 3 2 0 0 = 注文詳細:グリッドタイプ/Ver 1.00
365 3 3 0 - ! 注文詳細:色調補正...
365 3 4 0 1 = 注文詳細:Copyボタン機能設定/詳細コピー Type1
431 - 0 0 - ! 履歴と決済:履歴と決済
492 - 0 0 - ! ヘルプ:注意事項
492 - 1 0 - ! ヘルプ:オンラインヘルプ
492 - 2 0 - ! ヘルプ:バージョン情報
492 - 4 0 1 = ヘルプ:送信モード/役所モード
492 - 5 0 - ! ヘルプ:時刻の問い合わせ
492 - 6 0 - ! ヘルプ:不整合チェック
492 - 7 0 1 = ヘルプ:メモリ残量 自動監視/低頻度
PLAN

# The browser of the online help is a stand-in that records the page it was asked to open.
mkdir -p "$home/bin"
printf '#!/bin/sh\necho "$@" >>"%s/opened.txt"\n' "$out" >"$home/bin/xdg-open"
chmod +x "$home/bin/xdg-open"
export PATH=$home/bin:$PATH

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -e
  client=$0 out=$1 photos=$2
  "$client" 1234 --quit-after=600000 2>"$out/client.log" &
  main=
  for _ in $(seq 100); do
    main=$(xdotool search --onlyvisible --name "^Korvatel$" 2>/dev/null | head -n 1) || true
    [ -n "$main" ] && break
    sleep 0.3
  done
  [ -n "$main" ] || { echo "menu-walk: the window did not open" >&2; exit 1; }
  sleep 2
  windows() { xdotool search --onlyvisible --name "." 2>/dev/null | sort; }
  windows >"$out/windows.txt"
  xdotool search --onlyvisible --name "" 2>/dev/null | sort >"$out/all.txt"
  # Order the first photo and show it in the viewer, so that the viewer and order menus have
  # something to work on.
  xdotool mousemove 303 113 click 1
  sleep 0.5
  xdotool key ctrl+1
  sleep 0.8
  xdotool mousemove 421 185 click 1 # the second photo of the strip into the viewer
  sleep 1
  dead=0 n=0
  # Opens the menu at x and clicks the command at row, below seps separators.
  choose() {
    # A click on the status bar first leaves no menu open and the menu bar unfocused.
    xdotool mousemove 700 790 click 1
    sleep 0.2
    xdotool mousemove "$1" 7 click 1
    sleep 0.4
    xdotool mousemove $(($1 + 10)) $((29 + 21 * $2 + 2 * $3)) click 1
    sleep 0.4
  }
  dead=0 n=0
  # The popup that opened last and lies furthest right: a submenu. Its x and y.
  submenu() {
    local id
    for id in $(xdotool search --onlyvisible --name "" 2>/dev/null | sort | comm -13 "$out/all.txt" -); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      echo "$X $Y"
    done | sort -n | tail -n 1
  }
  # Clicks row sub of the submenu that the command just clicked opened.
  choose_sub() {
    sleep 0.5
    set -- $(submenu)
    xdotool mousemove $(($1 + 30)) $(($2 + 12 + 21 * sub)) click 1
  }
  while read -r x tab row seps sub kind name; do
    n=$((n + 1))
    if [ "$tab" != "-" ]; then
      xdotool key "ctrl+$tab"
      sleep 0.5
    fi
    rm -f "$out/opened.txt"
    before=$(import -window root png:- | md5sum)
    choose "$x" "$row" "$seps"
    [ "$sub" != "-" ] && choose_sub
    sleep 1.2
    # Without a window manager nothing is "active": a new window is one that was not there.
    title=-
    opened=$(windows | comm -13 "$out/windows.txt" - | head -n 1)
    if [ -n "$opened" ]; then
      title=$(xdotool getwindowname "$opened" 2>/dev/null || echo "?")
      [ -n "$title" ] || title="(a window without a caption)"
    elif [ -s "$out/opened.txt" ]; then
      title="the browser: $(head -n 1 "$out/opened.txt")"
    fi
    file=$(printf "%02d" "$n")
    if [ "$kind" = "=" ] && [ "$title" = "-" ]; then
      # A setting: its menu again, showing the choice now checked.
      choose "$x" "$row" "$seps"
      sleep 0.6
      import -window root "$out/$file.png"
      xdotool key Escape Escape Escape
      echo "$file $name -> setting (its menu: $file.png)"
      continue
    fi
    import -window root "$out/$file.png"
    after=$(md5sum <"$out/$file.png")
    if [ "$title" = "-" ] && [ "$before" = "$after" ]; then
      echo "$file $name -> nothing happened"
      dead=$((dead + 1))
    else
      echo "$file $name -> ${title}"
    fi
    # Close what came up: Esc until no new window is left.
    for _ in 1 2 3 4; do
      [ -z "$(windows | comm -13 "$out/windows.txt" -)" ] && break
      xdotool key Escape
      sleep 0.6
    done
    xdotool key Escape
  done <"$out/plan.txt"
  kill %1 2>/dev/null || true
  echo "menu-walk: $n commands, $dead without a trace; screenshots in $out"
  [ "$dead" = 0 ]
' "$client" "$out" "$photos"

#!/usr/bin/env bash
# Orders a Christmas card from the main window as a customer would, against the local demo
# shop, under Xvfb at 1280 × 800: the client starts online with a customer record and the card
# order choices of an earlier visit (20 cards, 宅配便, 銀振･郵振, the reading in kana); on the
# tab "カード作成" the shop's Christmas plate is opened through "画像・プレートを開く...", the two
# photos of the film strip are dragged onto its two windows (the pictures its design takes),
# "数量設定から注文へ" opens the card order window, "新規 送信" sends the order (the client runs
# with --unattended, so its questions get their first answer) and "履歴と進行状況" shows the order.
# PNGs go to OUT_DIR (default build/default/card-order-demo): card-stage.png, card-order.png,
# card-history.png. Ends with the receiver's verdict; exit status 0 when the shop accepted it.
# usage: tools/card-order-demo.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
out=$(realpath -m "${2:-$build/card-order-demo}")
client=$build/src/app/korvatel
[ -x "$client" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }
mkdir -p "$out"

. tools/demo-env.sh
make_demo_home
shopdir=$home/demo-shop
photos=$home/Pictures/demo-photos
mkdir -p "$photos" "$home/Korvatel/SysData" "$home/Korvatel/PostCard" "$home/.config/korvatel"
make_demo_photos "$photos" 2
printf 'LastDir=%s\r\n' "$photos" >"$home/Korvatel/SysData/State.ini"
write_demo_customer "$home"
printf 'Num=20\r\nPaperNdx=0\r\nTransStr=宅配便\r\nPayStr=銀振･郵振\r\nKanaName=ヤマダ タロウ\r\n' \
  | iconv -f UTF-8 -t CP932 >"$home/Korvatel/PostCard/OrderEX.ini"
start_demo_shop "$shopdir" "$home/.config/korvatel/servers.ini" "$client" \
  || { echo "card-order-demo: the demo shop did not start"; exit 1; }
plate=$shopdir/primary/KorvFmt/1234/Plates/xmas.ksp

export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME KORVATEL_SERVERS
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -e
  client=$0 out=$1 plate=$2
  "$client" 1234 --unattended --quit-after=120000 2>"$out/client.log" &
  demo=card-order-demo
  . tools/demo-env.sh
  shot() { import -window root "$out/$1.png"; }
  # The menu "カード作成" on the menu bar; keys choose its commands ("Up" from the top wraps
  # to the last ones: "履歴と進行状況", then "数量設定から注文へ").
  card_menu() { xdotool mousemove 299 7 click 1; sleep 0.6; xdotool key "$@"; }
  open_file() {
    card_menu Down Return
    await "^KSPデータの読み込み$" >/dev/null
    xdotool type --delay 20 "$1"
    xdotool key Return
    sleep 1.5
  }
  await "^Korvatel$" >/dev/null
  sleep 1.5
  xdotool mousemove 477 752 click 1 # the tab "カード作成(2)"
  sleep 1
  # A photo of the film strip dragged from its thumbnail onto a point of the stage.
  drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.3
    xdotool mousemove $(($1 + 20)) $(($2 + 20))
    sleep 0.3
    xdotool mousemove "$3" "$4"
    sleep 0.3
    xdotool mousemove $(($3 + 2)) $(($4 + 2))
    sleep 0.3
    xdotool mouseup 1
    sleep 1
  }
  open_file "$plate"
  drag 303 158 763 277 # the large window
  drag 421 158 894 484 # the round one below the star
  shot card-stage
  card_menu Up Up Return
  order=$(await "^カードのご注文")
  import -window "$order" "$out/card-order.png"
  xdotool key Return
  sleep 6
  card_menu Up Return
  history=$(await "^履歴と進行状況$")
  sleep 0.5
  import -window "$history" "$out/card-history.png"
  xdotool key Escape
  kill %1
' "$client" "$out" "$plate"

verdict=$(ls "$shopdir/receiver"/*.txt 2>/dev/null | head -n 1)
[ -n "$verdict" ] || { echo "card-order-demo: the receiver saw no complete order"; exit 1; }
echo "card-order-demo: $(basename "$verdict" .txt): $(tr -d '\r' <"$verdict" | tr '\n' ' ')"
echo "card-order-demo: screenshots in $out"
head -n 1 "$verdict" | grep -q ACCEPTED

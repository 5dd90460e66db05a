#!/usr/bin/env bash
# Places a print order from the main window as a customer would, against the local demo shop,
# under Xvfb: a demo home with sample photos, a customer record and a basket of three photos
# (two prints each, and a CD-R) is made, the client starts online, "注文詳細" is clicked, the
# first photo is made warmer and brighter in the colour-correction window, "注文へ" is clicked,
# the summary is confirmed, "注文(Order)" pressed in the customer window, the transmission runs,
# the thank-you window is closed with Enter (the basket is cleared) and the card payment is made
# at the demo shop's card service. The client runs with --unattended, so its questions get their
# first answer. A PNG of the screen is saved after each step into
# OUT_DIR (default build/default/order-demo), the summary, correction and files windows alone
# as summary.png, correction.png and files-dialog.png. Ends with the receiver's verdict on the order, the correction
# instructions it received and the history list; exit status 0 when the shop accepted the order.
# usage: tools/order-demo.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
out=$(realpath -m "${2:-$build/order-demo}")
client=$build/src/app/korvatel
cli=$build/src/cli/korvatel-cli
[ -x "$client" ] && [ -x "$cli" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }
mkdir -p "$out"

. tools/demo-env.sh
make_demo_home
shopdir=$home/demo-shop
photos=$home/Pictures/demo-photos
mkdir -p "$photos" "$home/Korvatel/SysData" "$home/.config/korvatel" "$shopdir"

# The sample photos of tools/run-demo.sh, the folder the window opens on, the customer record
# and the basket.
make_demo_photos "$photos" 3
printf 'LastDir=%s\r\n' "$photos" >"$home/Korvatel/SysData/State.ini"
write_demo_customer "$home"
"$cli" basket "$home/Korvatel/SysData/OrderMemory" --add "$photos"/photo0*.jpg --size L \
  --count 2 >/dev/null
start_demo_shop "$shopdir" "$home/.config/korvatel/servers.ini" "$client" \
  || { echo "order-demo: the demo shop did not start"; exit 1; }
register_demo_card "$home" "$home/.config/korvatel/servers.ini"

export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME KORVATEL_SERVERS
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -e
  client=$0 out=$1
  "$client" 1234 --unattended --quit-after=90000 2>"$out/client.log" &
  demo=order-demo
  . tools/demo-env.sh
  shot() { import -window root "$out/$1.png"; }
  await "^Korvatel$" >/dev/null
  sleep 1.5
  # The shop page first (its tab "価格情報(4)").
  xdotool mousemove 668 752 click 1
  sleep 1
  shot 0-shop-page
  # The files dialog ("ファイル管理", Ctrl+O), looked at and closed with Esc.
  xdotool key ctrl+o
  files=$(await "^データ設定/ファイル管理$")
  import -window "$files" "$out/files-dialog.png"
  xdotool key Escape
  sleep 0.5
  # The window is maximised: the tab "注文詳細(3)" and the button "注文へ" of the order panel.
  xdotool mousemove 573 752 click 1
  sleep 1
  shot 1-order-tab
  # The colour-correction window of the first photo (its button "調"): "赤強" (Alt+2), three
  # steps brighter on the density bar (right of its handle), then OK.
  xdotool mousemove 612 164 click 1
  hosei=$(await "^色調補正$")
  xdotool key alt+2
  eval "$(xdotool getwindowgeometry --shell "$hosei")"
  for _ in 1 2 3; do xdotool mousemove $((X + WIDTH - 88)) $((Y + 196)) click 1; sleep 0.2; done
  sleep 0.8
  shot 1-correction
  import -window "$hosei" "$out/correction.png"
  xdotool key Return
  sleep 1.5
  shot 1-order-tab-corrected
  xdotool mousemove 1230 38 click 1
  summary=$(await "ご注文内容の確認")
  shot 2-summary
  import -window "$summary" "$out/summary.png"
  eval "$(xdotool getwindowgeometry --shell "$summary")"
  xdotool mousemove $((X + 20)) $((Y + 20)) key Return # the order button is the default
  user=$(await "ユーザー設定")
  shot 3-customer
  eval "$(xdotool getwindowgeometry --shell "$user")"
  xdotool mousemove $((X + WIDTH - 138)) $((Y + HEIGHT - 22)) click 1 # "注文(Order)"
  thanks=$(await "ご注文ありがとうございました")
  shot 4-thanks
  eval "$(xdotool getwindowgeometry --shell "$thanks")"
  xdotool mousemove $((X + 20)) $((Y + 20)) key Return
  sleep 1.5
  shot 5-basket-cleared
  kill %1
' "$client" "$out"

verdict=$(ls "$shopdir/receiver"/*.txt 2>/dev/null | head -n 1)
[ -n "$verdict" ] || { echo "order-demo: the receiver saw no complete order"; exit 1; }
echo "order-demo: $(basename "$verdict" .txt): $(head -n 1 "$verdict" | tr -d '\r')"
hosei=$(find "$shopdir" -name Hosei -type f | head -n 1)
if [ -n "$hosei" ]; then
  echo "order-demo: the correction instructions the shop received:"
  iconv -f CP932 -t UTF-8 "$hosei" | tr -d '\r'
fi
"$cli" history
echo "order-demo: screenshots in $out"
head -n 1 "$verdict" | grep -q ACCEPTED

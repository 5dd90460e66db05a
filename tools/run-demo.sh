#!/usr/bin/env bash
# Starts the local demo shop (tools/demo-shop) and the client as the shop copy "Korvatel1234"
# online against it, in a demo home of its own (build/.../demo-home) so the user's real home
# stays untouched. A folder of sample photos is generated there and opened first. Without a
# screen the client runs under Xvfb, answers the start windows by itself and saves a screenshot.
# The demo shop stops when the client ends.
# usage: tools/run-demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
client=$build/src/app/korvatel
[ -x "$client" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }

build=$(realpath "$build")
demo=$build/demo-home
shopdir=$build/demo-shop
mkdir -p "$demo/bin" "$demo/.config/korvatel" "$shopdir"
cp "$client" "$demo/bin/Korvatel1234"

# The sample photos: a few camera-sized JPEGs, made once.
photos=$demo/Pictures/demo-photos
if [ ! -s "$photos/photo06.jpg" ]; then
  mkdir -p "$photos"
  colours=(skyblue-seagreen orange-firebrick khaki-olivedrab plum-midnightblue
           lightpink-maroon aquamarine-teal)
  for i in 1 2 3 4 5 6; do
    convert -size 1600x1200 "gradient:${colours[$((i - 1))]}" \
      -fill white -draw "circle 800,600 800,$((250 + i * 40))" \
      -quality 88 "$photos/photo0$i.jpg"
  done
fi
# The main window opens on them at the first start.
state=$demo/Korvatel/SysData/State.ini
if [ ! -e "$state" ]; then
  mkdir -p "$(dirname "$state")"
  printf 'LastDir=%s\r\n' "$photos" >"$state"
fi

# The demo shop writes the client's server configuration into the demo home.
ready=$shopdir/ready.txt
rm -f "$ready"
/usr/bin/python3 tools/demo-shop/demo_shop.py --root "$shopdir" \
  --servers "$demo/.config/korvatel/servers.ini" --state "$shopdir/state.ini" \
  --program "$client" >"$ready" &
shop_pid=$!
trap 'kill "$shop_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q READY "$ready" 2>/dev/null && break
  kill -0 "$shop_pid" 2>/dev/null || { echo "run-demo: the demo shop did not start"; exit 1; }
  sleep 0.1
done
echo "run-demo: demo shop $(cat "$ready") (files in $shopdir)"

export HOME=$demo
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME KORVATEL_SERVERS

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$demo/bin/Korvatel1234"
  exit 0
fi
shot=$build/korvatel-window.png
echo "run-demo: no screen here; running under Xvfb and saving the window to $shot"
xvfb-run -a -s "-screen 0 1280x800x24" "$demo/bin/Korvatel1234" --unattended --screenshot="$shot"
echo "run-demo: saved $shot"

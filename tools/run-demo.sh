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
. tools/demo-env.sh
photos=$demo/Pictures/demo-photos
make_demo_photos "$photos" 6
# The main window opens on them at the first start.
state=$demo/Korvatel/SysData/State.ini
if [ ! -e "$state" ]; then
  mkdir -p "$(dirname "$state")"
  printf 'LastDir=%s\r\n' "$photos" >"$state"
fi

# The demo shop writes the client's server configuration into the demo home.
trap 'kill "${shop_pid:-}" 2>/dev/null || true' EXIT
start_demo_shop "$shopdir" "$demo/.config/korvatel/servers.ini" "$client"
ready=$shopdir/ready.txt
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

#!/usr/bin/env bash
# Starts the client. Without a screen it runs under Xvfb and saves a screenshot instead.
# usage: tools/run-demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
client=$build/src/app/korvatel
[ -x "$client" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$client"
fi
shot=$build/korvatel-window.png
echo "run-demo: no screen here; running under Xvfb and saving the window to $shot"
xvfb-run -a -s "-screen 0 1280x800x24" "$client" --screenshot="$shot"
echo "run-demo: saved $shot"

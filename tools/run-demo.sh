#!/usr/bin/env bash
# Starts the client as the shop copy "Korvatel1234" in a demo home of its own
# (build/.../demo-home), so the user's real home stays untouched. Without a screen it runs under
# Xvfb, answers the start windows by itself and saves a screenshot instead.
# usage: tools/run-demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
client=$build/src/app/korvatel
[ -x "$client" ] || { echo "build the client first: tools/bootstrap.sh"; exit 1; }

demo=$(realpath "$build")/demo-home
mkdir -p "$demo/bin"
cp "$client" "$demo/bin/Korvatel1234"
export HOME=$demo
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$demo/bin/Korvatel1234"
fi
shot=$(realpath "$build")/korvatel-window.png
echo "run-demo: no screen here; running under Xvfb and saving the window to $shot"
xvfb-run -a -s "-screen 0 1280x800x24" "$demo/bin/Korvatel1234" --unattended --screenshot="$shot"
echo "run-demo: saved $shot"

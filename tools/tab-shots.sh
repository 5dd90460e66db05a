#!/usr/bin/env bash
# Starts the client under Xvfb in a demo home of its own with a folder of generated photos, opens
# a photo in the viewer, opens each tab with Ctrl+digit, draws a trimming frame, turns the
# picture and trims it, and saves a PNG of the screen after each step into OUT_DIR (default
# build/default/tab-shots). SCREEN sets the screen size (default 1280x800; 1024x600 for a small
# screen).
# usage: [SCREEN=WxH] tools/tab-shots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
out=$(realpath -m "${2:-$build/tab-shots}")
client=$(realpath "$build/src/app/korvatel")
mkdir -p "$out"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Pictures/trip" "$home/Korvatel/SysData"
for i in 1 2 3 4; do
  convert -size 1600x1067 -seed "$i" plasma:fractal -blur 0x2 "$home/Pictures/trip/IMG_000$i.JPG"
done
printf 'LastDir=%s\r\n' "$home/Pictures/trip" >"$home/Korvatel/SysData/State.ini"
: >"$home/Korvatel/SysData/Ignore"

export HOME=$home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
xvfb-run -a -s "-screen 0 ${SCREEN:-1280x800}x24" bash -c '
  set -e
  "$0" 1234 --unattended --quit-after=60000 2>"$1/client.log" &
  pid=$!
  for _ in $(seq 50); do
    win=$(xdotool search --onlyvisible --name "^Korvatel$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "${win:-}" ] || { echo "tab-shots: the client window did not appear" >&2; exit 1; }
  sleep 1.5
  shot() { sleep 0.8; import -window root "$1/$2.png"; }
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The second photo of the film strip opens in the viewer: a click makes it current (offline
  # it orders nothing), Enter opens it.
  xdotool mousemove $((X + 290)) $((Y + 88)) click 1
  sleep 0.3
  xdotool key --window "$win" Return
  sleep 1
  for tab in 0 1 2 3; do
    xdotool key --window "$win" ctrl+$tab
    shot "$1" "tab$tab"
  done
  # A trimming frame drawn on the picture, then turned with it.
  xdotool key --window "$win" ctrl+1
  sleep 0.5
  xdotool mousemove $((X + WIDTH * 66 / 100)) $((Y + HEIGHT * 22 / 100)) mousedown 1 \
    mousemove $((X + WIDTH * 74 / 100)) $((Y + HEIGHT * 29 / 100)) \
    mousemove $((X + WIDTH * 86 / 100)) $((Y + HEIGHT * 32 / 100)) mouseup 1
  shot "$1" "viewer-frame"
  xdotool key --window "$win" ctrl+Right
  shot "$1" "viewer-turned"
  xdotool key --window "$win" shift+ctrl+t
  shot "$1" "viewer-trimmed"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' "$client" "$out"
echo "tab-shots: saved $(ls "$out" | tr '\n' ' ')in $out"

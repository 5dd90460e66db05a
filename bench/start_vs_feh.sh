#!/usr/bin/env bash
# The client's start to the film strip's first complete screen of a folder of 500 camera JPEGs
# (8 megapixels, each with an Exif thumbnail), beside feh's thumbnail index from its cache of
# thumbnails, on an X screen of 1280 x 800 (Xvfb). Both run in turn as whole processes and the
# script prints the median times, peak memories and the ratio, as the other side-by-side
# scripts do.
#
# The client starts in a demo home of its own whose State.ini names the folder as LastDir (so
# the strip lists it at start), with the demo customer record; "--report-first-screen" makes
# it print the milliseconds from its process start to the first screen whose visible cells are
# all drawn, and end. Its shop servers are closed local ports, so the start goes offline at
# once (answered by --unattended) and the figures are the program's own work; with ONLINE=1 it
# starts online against the local demo shop, whose answers then count as well.
#
# feh's cached index: "feh -t --cache-thumbnails" reads each picture's thumbnail from
# $XDG_CACHE_HOME/thumbnails, made in an untimed first run. Its window draws the index bit by
# bit and never says when it is complete, so the peer is the same index rendered into one
# screen of 1280 x 800 ("-W 1280 -H 800 -O FILE": feh stops at the thumbnails that fill it,
# 88 with their names) and written as a PNG, after which feh ends. That is its start, the
# folder listing and one screen of cached thumbnails drawn; it leaves out the window (an X
# connection, a map and putting the picture on it) and writes a 1280 x 800 PNG instead. The
# whole index of all 500 thumbnails (-O without the limits) is shown second for reference: it
# is more than a first screen.
# usage: [ONLINE=1] bench/start_vs_feh.sh [RUNS]    (after building the default preset; the
#        folder is browse_bench's, $TMPDIR/korvatel-bench-browse, made once; feh's cache of
#        thumbnails is kept in $TMPDIR/korvatel-bench-feh-cache)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
build=${BENCH_BUILD:-build/default}
client=$(realpath "$build/src/app/korvatel")
folder=${TMPDIR:-/tmp}/korvatel-bench-browse
feh_cache=${TMPDIR:-/tmp}/korvatel-bench-feh-cache
command -v feh >/dev/null || { echo "feh not installed (apt-get install feh)"; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run not installed (apt-get install xvfb xauth)"; exit 1; }
[ -x "$client" ] || { echo "build the client first: cmake --preset default && cmake --build --preset default"; exit 1; }

# The whole comparison runs on one X screen of its own.
if [ "${START_VS_FEH_SCREEN:-}" != 1 ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" env START_VS_FEH_SCREEN=1 "$0" "$@"
fi

# browse_bench makes its folder on its first run (100 files of about 2 MB, linked to 500 names).
shopt -s nullglob
pictures=("$folder"/*.JPG)
if [ ${#pictures[@]} != 500 ]; then
  echo "making the 500 pictures in $folder"
  "$build"/bench/browse_bench --benchmark_filter=ScrollStep --benchmark_min_time=0.01 >/dev/null 2>&1
fi

. tools/demo-env.sh
make_demo_home
mkdir -p "$home/Korvatel/SysData"
printf 'LastDir=%s\r\n' "$folder" >"$home/Korvatel/SysData/State.ini"
write_demo_customer "$home"
if [ "${ONLINE:-}" = 1 ]; then
  start_demo_shop "$home/demo-shop" "$home/.config/korvatel/servers.ini" "$client"
  servers=$home/.config/korvatel/servers.ini
else
  servers=$home/offline-servers.ini
  printf '%s\r\n' PrimaryURL=http://127.0.0.1:1 SecondaryURL=http://127.0.0.1:1 \
    TimeServer1=http://127.0.0.1:1 VersionURL=http://127.0.0.1:1 >"$servers"
fi
export HOME=$home KORVATEL_SERVERS=$servers
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME

# Warming: the client's first start makes its workspace; feh fills its cache of thumbnails
# (about half a minute for 500 pictures, once).
"$client" 1234 --unattended --report-first-screen >/dev/null 2>&1
mkdir -p "$feh_cache"
XDG_CACHE_HOME=$feh_cache feh -t --cache-thumbnails -O "$home/index.png" "$folder" >/dev/null 2>&1

. bench/side_by_side.sh

reported=$home/reported.txt
echo "start to the first complete screen of 500 camera JPEGs, 1280 x 800:"
side_by_side "$runs" "korvatel (to its first screen)" \
  "$client 1234 --unattended --report-first-screen >>$reported 2>/dev/null" \
  "feh -t -P, one screen, cached" \
  "env XDG_CACHE_HOME=$feh_cache feh -t -P -W 1280 -H 800 -O $home/screen.png $folder"
printf '  the client itself reports %s ms from its process start to the complete screen (median)\n' \
  "$(tail -n +2 "$reported" | sort -g | awk '{v[NR]=$1} END{print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}')"
echo "the same beside feh's whole index of 500 cached thumbnails (for reference):"
side_by_side "$runs" "korvatel (to its first screen)" \
  "$client 1234 --unattended --report-first-screen" \
  "feh -t -P, whole index, cached" \
  "env XDG_CACHE_HOME=$feh_cache feh -t -P -O $home/index.png $folder"

#!/usr/bin/env bash
# Makes the 400-pixel thumbnails of 100 different 12-megapixel camera JPEGs in one process:
# korvatel-cli thumb --out-dir (mode 0, every core through the thumbnail pool) beside one
# vipsthumbnail process given all the files, in turn, and prints the median times, peak
# memories and the ratio.
# usage: bench/thumb_batch_vs_vips.sh [RUNS]    (after building the default preset; the
#        pictures are made once in $TMPDIR/thumb-batch-set)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${BENCH_BUILD:-build/default}
set_dir=${TMPDIR:-/tmp}/thumb-batch-set
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail not installed (apt-get install libvips-tools)"; exit 1; }
if [ "$(ls "$set_dir" 2>/dev/null | wc -l)" != 100 ]; then
  mkdir -p "$set_dir"
  "$build"/bench/imaging_bench --write-set "$set_dir" 100
fi
mkdir -p "$work/own" "$work/vips"

. bench/side_by_side.sh

echo "100 x 12 MP JPEG -> 400 px, one process:"
side_by_side "$runs" "korvatel-cli thumb --out-dir" \
  "$build/src/cli/korvatel-cli thumb --out-dir $work/own --mode 0 $set_dir/*.jpg" \
  "vipsthumbnail -s 400 (all files)" "vipsthumbnail -s 400 -o $work/vips/%s.jpg[Q=90] $set_dir/*.jpg"

#!/usr/bin/env bash
# Makes the 400-pixel browser thumbnail of a 24-megapixel camera JPEG with korvatel-cli (thumbnail
# mode 0: DCT-scaled decode, FitLongSide, JPEG at quality 90) beside vipsthumbnail, each as a
# whole process in turn, and prints the median times, peak memories and ratios; then the same
# for the picture without its Exif block (the scale then comes from the frame header).
# usage: bench/thumbnail_vs_vips.sh [RUNS]    (after building the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
build=${BENCH_BUILD:-build/default}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail not installed (apt-get install libvips-tools)"; exit 1; }
"$build"/bench/imaging_bench --write-sample "$work/camera.jpg"

. bench/side_by_side.sh

compare() {
  echo "$2"
  side_by_side "$runs" "korvatel-cli thumb --mode 0" \
    "$build/src/cli/korvatel-cli thumb $1 --mode 0 $work/own.jpg" \
    "vipsthumbnail -s 400" "vipsthumbnail $1 -s 400 -o $work/vips.jpg[Q=90]"
}
compare "$work/camera.jpg" "24 MP JPEG with Exif -> 400 px:"
# The same pixels without the Exif block: the APP1 segment cut out byte for byte.
/usr/bin/python3 - "$work/camera.jpg" "$work/plain.jpg" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
out, i = bytearray(data[:2]), 2
while i + 4 <= len(data) and data[i] == 0xFF and data[i + 1] != 0xDA:
    length = struct.unpack(">H", data[i + 2:i + 4])[0]
    if data[i + 1] != 0xE1:
        out += data[i:i + 2 + length]
    i += 2 + length
out += data[i:]
open(sys.argv[2], "wb").write(out)
PY
compare "$work/plain.jpg" "24 MP JPEG without Exif -> 400 px:"

#!/usr/bin/env bash
# Makes the 400-pixel browser thumbnail of a 24-megapixel camera JPEG with korvatel-cli (thumbnail
# mode 0: DCT-scaled decode, FitLongSide, JPEG at quality 90), with vipsthumbnail and with
# ImageMagick, each as a whole process, and prints the mean times and the ratios; then the same
# for the picture without its Exif block (the scale then comes from the frame header).
# usage: bench/thumbnail_vs_vips.sh [RUNS]    (after building the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
build=build/default
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build"/bench/imaging_bench --write-sample "$work/camera.jpg"

. bench/mean_ms.sh

compare() {
  local picture=$1 label=$2
  own=$(mean_ms "$build"/src/cli/korvatel-cli thumb "$picture" --mode 0 "$work/own.jpg")
  echo "$label korvatel-cli thumb --mode 0:  ${own} ms"
  if command -v vipsthumbnail >/dev/null; then
    vips=$(mean_ms vipsthumbnail "$picture" -s 400 -o "$work/vips.jpg[Q=90]")
    echo "$label vipsthumbnail -s 400:         ${vips} ms   ratio korvatel/vips = $(awk "BEGIN{printf \"%.2f\", $own/$vips}")"
  else
    echo "vipsthumbnail not installed (apt-get install libvips-tools)"
  fi
  if command -v convert >/dev/null; then
    magick=$(mean_ms convert -define jpeg:size=800x800 "$picture" -thumbnail 400x400 \
      -quality 90 "$work/magick.jpg")
    echo "$label convert -thumbnail 400x400:   ${magick} ms   ratio korvatel/ImageMagick = $(awk "BEGIN{printf \"%.2f\", $own/$magick}")"
  fi
}
compare "$work/camera.jpg" "with Exif:   "
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
compare "$work/plain.jpg" "without Exif:"

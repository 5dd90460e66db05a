#!/usr/bin/env bash
# Makes the 400-pixel browser thumbnail of a 24-megapixel camera JPEG with korvatel-cli (thumbnail
# mode 0: DCT-scaled decode, FitLongSide, JPEG at quality 90), with vipsthumbnail and with
# ImageMagick, each as a whole process, and prints the mean times and the ratios.
# usage: bench/thumbnail_vs_vips.sh [RUNS]    (after building the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
build=build/default
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build"/bench/imaging_bench --write-sample "$work/camera.jpg"

. bench/mean_ms.sh

own=$(mean_ms "$build"/src/cli/korvatel-cli thumb "$work/camera.jpg" --mode 0 "$work/own.jpg")
echo "korvatel-cli thumb --mode 0:  ${own} ms"
if command -v vipsthumbnail >/dev/null; then
  vips=$(mean_ms vipsthumbnail "$work/camera.jpg" -s 400 -o "$work/vips.jpg[Q=90]")
  echo "vipsthumbnail -s 400:         ${vips} ms   ratio korvatel/vips = $(awk "BEGIN{printf \"%.2f\", $own/$vips}")"
else
  echo "vipsthumbnail not installed (apt-get install libvips-tools)"
fi
if command -v convert >/dev/null; then
  magick=$(mean_ms convert -define jpeg:size=800x800 "$work/camera.jpg" -thumbnail 400x400 \
    -quality 90 "$work/magick.jpg")
  echo "convert -thumbnail 400x400:   ${magick} ms   ratio korvatel/ImageMagick = $(awk "BEGIN{printf \"%.2f\", $own/$magick}")"
fi

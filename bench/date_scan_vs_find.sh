#!/usr/bin/env bash
# Walks a generated tree of 20,000 pictures in 2,000 folders with the date scan (korvatel-cli
# date-scan: walk, sort, group into the date tree) and with find (names and times of the JPEG
# files), each as a whole process, and prints the mean times and their ratio.
# usage: bench/date_scan_vs_find.sh [RUNS]    (after building the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=build/default
tree=${TMPDIR:-/tmp}/scan-bench-tree
"$build"/bench/date_scan_bench --write-tree "$tree"

. bench/mean_ms.sh

count=$("$build"/src/cli/korvatel-cli date-scan "$tree" | sed -n 's/^pictures=//p')
own=$(mean_ms "$build"/src/cli/korvatel-cli date-scan "$tree")
echo "korvatel-cli date-scan ($count pictures):  ${own} ms"
found=$(find "$tree" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | wc -l)
other=$(mean_ms find "$tree" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -printf '%T@ %s %p\n')
echo "find -printf ($found files):                ${other} ms"
echo "ratio korvatel/find = $(awk "BEGIN{printf \"%.2f\", $own/($other>0?$other:1)}")"

#!/usr/bin/env bash
# Walks a generated tree of 20,000 pictures in 2,000 folders with the date scan (korvatel-cli
# date-scan: walk, sort, group into the date tree) beside find (names, times and sizes of the
# JPEG files), each as a whole process in turn, and prints the median times and their ratio:
# first warm (the tree in the page cache), then cold (the caches emptied before every run, when
# this user may write /proc/sys/vm/drop_caches).
# usage: bench/date_scan_vs_find.sh [RUNS]    (after building the default preset)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
build=${BENCH_BUILD:-build/default}
tree=${TMPDIR:-/tmp}/scan-bench-tree
"$build"/bench/date_scan_bench --write-tree "$tree"

. bench/side_by_side.sh

count=$("$build"/src/cli/korvatel-cli date-scan "$tree" | sed -n 's/^pictures=//p')
found=$(find "$tree" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | wc -l)
own="$build/src/cli/korvatel-cli date-scan $tree"
other="find $tree -type f \\( -iname '*.jpg' -o -iname '*.jpeg' \\) -printf '%T@ %s %p\\n'"
echo "date scan of $count pictures (find lists $found), warm:"
side_by_side "$runs" "korvatel-cli date-scan" "$own" "find -printf" "$other"
if [ -w /proc/sys/vm/drop_caches ] && sync && echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; then
  echo "cold (caches emptied before each run):"
  before_each="sync; echo 3 >/proc/sys/vm/drop_caches" side_by_side "$runs" \
    "korvatel-cli date-scan" "$own" "find -printf" "$other"
else
  echo "cold: skipped (the page cache cannot be emptied by this user)"
fi

#!/usr/bin/env bash
# Decodes the same Shift-JIS file with korvatel-cli and with iconv(1), several times each, and
# prints both times and their ratio (korvatel / iconv; below 1 means korvatel is faster).
# usage: bench/cp932_vs_iconv.sh [BUILD_DIR] [MEGABYTES] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
megabytes=${2:-8}
runs=${3:-5}
cli=$build/src/cli/korvatel-cli
[ -x "$cli" ] || { echo "build korvatel-cli first ($cli)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
line='Name=山田 太郎,Zip=123-4567,Adrs1=東京都港区芝公園4-2-8,Size=L,ﾌﾟﾘﾝﾄ=あり①髙'
# Whole lines only, so the input ends on a character boundary (about 100 bytes a line).
(yes "$line" || true) | head -n $((megabytes * 10486)) | iconv -f UTF-8 -t CP932 > "$work/in.txt"

best() { # best wall time in ms of running "$@" $runs times
  local best_ms=
  for _ in $(seq "$runs"); do
    local t0=$(date +%s%N)
    "$@" > /dev/null
    local ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    if [ -z "$best_ms" ] || [ "$ms" -lt "$best_ms" ]; then best_ms=$ms; fi
  done
  echo "$best_ms"
}
ours=$(best "$cli" cp932-decode "$work/in.txt")
peer=$(best iconv -f CP932 -t UTF-8 "$work/in.txt")
echo "input: $(stat -c %s "$work/in.txt") bytes, best of $runs runs"
echo "korvatel-cli cp932-decode: ${ours} ms"
echo "iconv -f CP932 -t UTF-8:   ${peer} ms"
awk -v a="$ours" -v b="$peer" 'BEGIN { if (b == 0) b = 1; printf "ratio korvatel/iconv: %.2f\n", a / b }'

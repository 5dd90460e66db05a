#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan and UBSan and runs each for a while.
# usage: fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^korvatel_add_fuzzer(\(.*\))$/\1/p' fuzz/CMakeLists.txt))
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"
export QT_QPA_PLATFORM=offscreen
failed=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$target" ] && cp -n fuzz/seeds/"$target"/* "$corpus"/ 2>/dev/null || true
  echo "== $target ($seconds s)"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 \
       -artifact_prefix=build/fuzz/"$target"- "$corpus" 2>build/fuzz/"$target".log; then
    echo "$target FAILED: see build/fuzz/$target.log"
    tail -n 30 build/fuzz/"$target".log
    failed=1
  else
    tail -n 1 build/fuzz/"$target".log
  fi
done
exit $failed

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
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# The picture readers also start from the public test suites beside the project, when they are
# there: the files of the named extensions, copied into a seed folder that the run only reads.
testdata=../shared/testdata
picture_extensions() {
  case $1 in
    fuzz_jpeg | fuzz_exif) echo "jpg jpeg" ;;
    fuzz_dib) echo "bmp" ;;
    fuzz_gif) echo "gif" ;;
    fuzz_webp) echo "webp" ;;
    fuzz_tiff) echo "tif tiff" ;;
    fuzz_heif) echo "heic heif avif" ;;
  esac
}
shared_seeds() {
  local target=$1 extensions seeds=build/fuzz/shared-seeds/$1
  extensions=$(picture_extensions "$target")
  [ -n "$extensions" ] && [ -d "$testdata" ] || return 0
  mkdir -p "$seeds"
  for extension in $extensions; do
    find "$testdata" -type f -iname "*.$extension" -size -1024k -exec cp -n {} "$seeds"/ \;
  done
  echo "$seeds"
}

failed=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$target" ] && cp -n fuzz/seeds/"$target"/* "$corpus"/ 2>/dev/null || true
  extra=$(shared_seeds "$target")
  # Pictures are larger than the text inputs; their readers get room for a whole test picture.
  max_len=4096
  [ -n "$extra" ] && max_len=65536
  echo "== $target ($seconds s${extra:+, with the public test pictures})"
  if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len="$max_len" \
       -artifact_prefix=build/fuzz/"$target"- "$corpus" $extra 2>build/fuzz/"$target".log; then
    echo "$target FAILED: see build/fuzz/$target.log"
    tail -n 30 build/fuzz/"$target".log
    failed=1
  else
    tail -n 1 build/fuzz/"$target".log
  fi
done
exit $failed

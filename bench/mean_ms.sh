# Sourced by the side-by-side scripts: mean_ms CMD... prints the mean wall time of the command
# over $runs runs in milliseconds, after one warm-up run.
mean_ms() {
  "$@" >/dev/null 2>&1
  local start end
  start=$(date +%s%N)
  for _ in $(seq "$runs"); do "$@" >/dev/null 2>&1; done
  end=$(date +%s%N)
  echo $(((end - start) / runs / 1000000))
}

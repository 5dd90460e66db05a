# Sourced by the side-by-side scripts. side_by_side RUNS LABEL_A CMD_A LABEL_B CMD_B runs the
# two shell commands in turn (A B A B ...) after one warm-up each, and prints the median wall
# time and the median peak memory (largest process, from /usr/bin/time) of each, then the
# median of the pair-by-pair time ratios A/B and the ratio of the peak memories. Pairing keeps
# the ratio meaningful while other work on the machine speeds up or slows down.
# Each command runs as sh -c "exec CMD" with its output thrown away. The figures are also left
# in $ratio (time) and $memratio for the caller. When $before_each is set, it is run (untimed)
# before every run, e.g. to empty the file system's caches.
side_by_side() {
  local runs=$1 label_a=$2 cmd_a=$3 label_b=$4 cmd_b=$5
  local out
  out=$(mktemp -d)
  one_run() { # CMD FILE: appends "ms kb"
    local start end kb
    if [ -n "${before_each:-}" ]; then sh -c "$before_each"; fi
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$out/time" sh -c "exec $1" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    kb=$(tail -n 1 "$out/time")
    echo "$(((end - start) / 1000)) $kb" >>"$2"
  }
  one_run "$cmd_a" "$out/warm"
  one_run "$cmd_b" "$out/warm"
  for _ in $(seq "$runs"); do
    one_run "$cmd_a" "$out/a"
    one_run "$cmd_b" "$out/b"
  done
  median() { sort -g | awk '{v[NR]=$1} END{printf "%s", (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
  local ta tb ma mb
  ta=$(awk '{print $1/1000}' "$out/a" | median)
  tb=$(awk '{print $1/1000}' "$out/b" | median)
  ma=$(awk '{print $2/1024}' "$out/a" | median)
  mb=$(awk '{print $2/1024}' "$out/b" | median)
  ratio=$(paste -d' ' "$out/a" "$out/b" | awk '{print $1/$3}' | median)
  memratio=$(awk "BEGIN{printf \"%.2f\", $ma/$mb}")
  ratio=$(awk "BEGIN{printf \"%.2f\", $ratio}")
  printf '  %-34s median %8.1f ms  peak %7.1f MB\n' "$label_a" "$ta" "$ma"
  printf '  %-34s median %8.1f ms  peak %7.1f MB\n' "$label_b" "$tb" "$mb"
  printf '  ratio %s (time, median of %d pairs), peak memory ratio %s\n' "$ratio" "$runs" "$memratio"
  rm -rf "$out"
}

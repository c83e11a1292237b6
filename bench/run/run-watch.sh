#!/usr/bin/env bash
# The host while it watches a run, in one command: its wake-ups a second and its share of a core,
# beside the toolkit's bare event loop with one 100 ms timer in the same seconds (bench/naive's
# idle_loop), under a private Xvfb. Each round is printed, then the medians. The host's goals:
# fewer than 15 wake-ups a second and under 0.15% of a core.
#   bench/run/run-watch.sh <build folder>   (VELMORA_BENCH_RUNS rounds, default 3, of
#   VELMORA_BENCH_SECONDS of watching, default 10, at VELMORA_BENCH_SIZES, default 1920x1080)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-watch "${1:?build folder}" Velmora.scr Velmora.dll idle_loop velmora_timed_launch \
  velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-3}
seconds=${VELMORA_BENCH_SECONDS:-10}
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1920x1080}"
export VELMORA_ROOT=$tmp/root

# One round: a whole run (`Velmora.scr /s`), watched once its renderer draws.
one_round() {  # <out>
  rm -rf "$VELMORA_ROOT"
  launch_timed "$tmp/timing" "$bin/Velmora.scr" /s
  watch_beside_idle_loop "$1"
  end_launched Zentrova_VC
}

measure_sizes one_round

printf '%-10s %-6s %16s %16s %16s %16s\n' size round "host wake-ups/s" "host CPU %" \
  "idle wake-ups/s" "idle CPU %"
for size in "${sizes[@]}"; do
  for name in host-wakes host-cpu idle-wakes idle-cpu; do
    awk -v n="$name" '$1 == n { print $2 }' "$tmp/figures-$size" >"$tmp/$name"
  done
  paste "$tmp/host-wakes" "$tmp/host-cpu" "$tmp/idle-wakes" "$tmp/idle-cpu" |
    awk -v s="$size" '{ printf "%-10s %-6d %16s %16s %16s %16s\n", s, NR, $1, $2, $3, $4 }'
  printf '%-10s %-6s %16s %16s %16s %16s\n' "$size" median "$(figure "$size" host-wakes)" \
    "$(figure "$size" host-cpu)" "$(figure "$size" idle-wakes)" "$(figure "$size" idle-cpu)"
done
echo "(goals while watching: host < 15 wake-ups/s and < 0.15% of a core; ${seconds} s per round)"

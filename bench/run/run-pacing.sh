#!/usr/bin/env bash
# Pacing and power under a private Xvfb, whose buffer swaps return at once, so that the renderer
# paces itself. Medians of VELMORA_BENCH_RUNS rounds (default 3) per screen size, side by side:
#   - the renderer's frames per second against the display's refresh rate (the one it reports,
#     60 Hz when Xvfb says nothing), counted from its own marks of every 64th frame;
#   - the spread of its frame times, the 99th percentile less the median (the timing shim's
#     stamps of each presented frame);
#   - the processor time it uses per second of the run (all threads, the rasteriser's among
#     them), against one full-screen textured quad paced the same way (bench/naive);
#   - for comparison, the frame rate and processor time of the renderer drawing unpaced, as it
#     did before it paced itself (VELMORA_UNPACED).
#   bench/run/run-pacing.sh <build folder>
#   (VELMORA_BENCH_SIZES="1024x768 1920x1080 3840x2160 2x1920x1080", VELMORA_BENCH_SECONDS=5 by
#   default; "2x..." is two monitors side by side, RandR monitors of one Xvfb screen)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-pacing "${1:?build folder}" Velmora.scr Velmora.dll textured_quad \
  velmora_timed_launch velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-3}
seconds=${VELMORA_BENCH_SECONDS:-5}
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1024x768 1920x1080 3840x2160 2x1920x1080}"
export VELMORA_ROOT=$tmp/root
bitmap=$VELMORA_ROOT/c/tolvik/Zentrova.bmp

# The time of the first mark <label> in a timing file, in ns ("" when absent).
mark_time() {  # <timing file> <label>
  awk -v l="$2" '$1 == l { print $2; exit }' "$1"
}

# The renderer for $seconds once it has judged its pace (past its 128th frame); appends
# "<prefix>cpu", "<prefix>fps" and, for the paced run, the refresh rate, the verdict and the
# spread of the frame times to <out>.
measure_renderer() {  # <out> <prefix>
  local out=$1 prefix=$2 t=$tmp/timing first last
  launch_timed "$t" "$bin/Velmora.dll"
  wait_mark "$t" frames-128 || { echo "run-pacing: the renderer drew no 128 frames" >&2; return 1; }
  echo "${prefix}cpu $(cpu_shares "$seconds" 1 "$launched")" >>"$out"
  end_launched Zentrova_VC
  first=$(mark_time "$t" frames-128)
  last=$(awk '$1 ~ /^frames-/ { n = substr($1, 8); t = $2 } END { print n, t }' "$t")
  awk -v a="$first" -v n="${last% *}" -v b="${last#* }" -v p="$prefix" \
    'BEGIN { if (n > 128 && b > a) printf "%sfps %.2f\n", p, (n - 128) / ((b - a) / 1e9) }' >>"$out"
  [ -z "$prefix" ] || return 0
  awk '$1 ~ /^refresh-rate-/ { r = substr($1, 14) + 0; print "refresh", (r >= 20 && r <= 500 ? r : 60) }
       $1 == "frame-p50" { p50 = $2 } $1 == "frame-p99" { p99 = $2 }
       $1 ~ /^pacing-/ { print "verdict", substr($1, 8) }
       END { if (p99) printf "spread %.2f\n", (p99 - p50) / 1e6 }' "$t" >>"$out"
}

# One round at the current size; appends "<figure> <value>" lines to $1.
one_round() {
  local out=$1
  measure_renderer "$out" ""
  # As the renderer drew before it paced itself: as fast as the swaps let it.
  VELMORA_UNPACED=1 measure_renderer "$out" unpaced-
  # The yardstick: one textured quad, paced the same way, counted after the same warm-up.
  launch_timed "$tmp/timing" "$bin/textured_quad" "$bitmap" paced
  sleep 2
  echo "quad-cpu $(cpu_shares "$seconds" 1 "$launched")" >>"$out"
  end_launched textured_quad
}

# The bitmap of a real run at the current size: the host captures the painted desktop.
capture_desktop() {
  rm -rf "$VELMORA_ROOT"
  launch_timed "$tmp/timing" "$bin/Velmora.scr" /s
  end_launched Zentrova_VC
}

measure_sizes one_round capture_desktop

printf '%-50s %10s %10s %8s  %s\n' "pacing and power (medians of $runs)" ours yardstick ratio target
for size in "${sizes[@]}"; do
  fps=$(figure "$size" fps) refresh=$(figure "$size" refresh) spread=$(figure "$size" spread)
  cpu=$(figure "$size" cpu) quad=$(figure "$size" quad-cpu)
  unpaced_fps=$(figure "$size" unpaced-fps) unpaced_cpu=$(figure "$size" unpaced-cpu)
  verdicts=$(awk '$1 == "verdict" { print $2 }' "$tmp/figures-$size" | sort | uniq -c | awk '{ printf "%s%s x%s", s, $2, $1; s = ", " }')
  printf '%-50s %6s fps %7s Hz %8s  %s\n' "$size frames per second (vs refresh)" \
    "$fps" "$refresh" "$(ratio "$fps" "$refresh" 1)" "100% +- 2%"
  printf '%-50s %7s ms %10s %8s  %s\n' "$size frame time p99 - p50" "$spread" "" "" "< 2 ms"
  printf '%-50s %8s %% %8s %% %8s  %s\n' "$size CPU, % of a core (vs quad paced the same)" \
    "$cpu" "$quad" "$(ratio "$cpu" "$quad" 1)" "<= 110%"
  printf '%-50s %6s fps %8s %% %8s  %s\n' "$size unpaced as before: fps, CPU % of a core" \
    "$unpaced_fps" "$unpaced_cpu" "" ""
  echo "$size pace verdicts: ${verdicts:-none}"
done

#!/usr/bin/env bash
# The speed goals, each measured side by side in one run under a private Xvfb, medians of
# VELMORA_BENCH_RUNS rounds (default 3) per screen size:
#   - a whole run (`Velmora.scr /s`) and the renderer alone (`Velmora.dll` on the bitmap that run
#     left) from their start to the picture on screen, against bench/naive's naive renderer;
#   - the renderer's frames per second against one full-screen textured quad (bench/naive), both
#     drawing as fast as they can (the renderer with VELMORA_UNPACED: no waiting for the refresh);
#   - the host's share of a core while it watches the renderer, beside the toolkit's bare event
#     loop with one 100 ms timer (the least a program on that loop pays for the same rhythm).
#   bench/run/run-goals.sh <build folder>   (VELMORA_BENCH_SIZES="1920x1080 3840x2160" by default)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
bin=$build/bin
runs=${VELMORA_BENCH_RUNS:-3}
seconds=${VELMORA_BENCH_SECONDS:-5}
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1920x1080 3840x2160}"
for f in Velmora.scr Velmora.dll naive_renderer textured_quad idle_loop velmora_timed_launch \
  velmora_timing_shim.so; do
  [ -e "$bin/$f" ] || { echo "run-goals: $bin/$f is missing" >&2; exit 1; }
done
tmp=$(mktemp -d)
source "$here/bench/run/common.sh"
idle_pid=0
trap 'stop_all; [ "$idle_pid" -gt 0 ] && kill "$idle_pid"; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM HUP
export VELMORA_ROOT=$tmp/root
bitmap=$VELMORA_ROOT/c/tolvik/Zentrova.bmp

# One round at the current size; appends "<figure> <value>" lines to $1.
one_round() {
  local out=$1 t=$tmp/timing before after
  # The whole run; the host's CPU is counted while it watches the renderer.
  rm -rf "$VELMORA_ROOT"
  launch_timed "$t" "$bin/Velmora.scr" /s
  echo "whole $(mark_span "$t" launch first-frame)" >>"$out"
  # Beside it, in the same seconds, the toolkit's bare loop with a 100 ms timer (bench/naive).
  "$bin/idle_loop" &
  idle_pid=$!
  sleep 0.2
  before=$(cpu_ns "$launched") idle_before=$(cpu_ns "$idle_pid")
  sleep "$seconds"
  after=$(cpu_ns "$launched") idle_after=$(cpu_ns "$idle_pid")
  kill "$idle_pid"
  wait "$idle_pid" 2>/dev/null || true
  idle_pid=0
  awk -v d=$((after - before)) -v s="$seconds" 'BEGIN { printf "host-cpu %.3f\n", 100 * d / 1e9 / s }' >>"$out"
  awk -v d=$((idle_after - idle_before)) -v s="$seconds" 'BEGIN { printf "idle-cpu %.3f\n", 100 * d / 1e9 / s }' >>"$out"
  end_launched Zentrova_VC
  # The renderer alone on the bitmap the run left behind, drawing as fast as it can for a while.
  VELMORA_UNPACED=1 launch_timed "$t" "$bin/Velmora.dll"
  sleep "$seconds"
  end_launched Zentrova_VC
  echo "alone $(mark_span "$t" launch first-frame)" >>"$out"
  echo "fps $(frame_rate "$t" Velmora.dll)" >>"$out"
  # The yardsticks on the same bitmap.
  launch_timed "$t" "$bin/naive_renderer" "$bitmap"
  end_launched naive_renderer
  echo "naive $(mark_span "$t" launch first-frame)" >>"$out"
  launch_timed "$t" "$bin/textured_quad" "$bitmap"
  sleep "$seconds"
  end_launched textured_quad
  echo "quad-fps $(frame_rate "$t" textured_quad)" >>"$out"
}

figure() {  # <size> <name>
  awk -v n="$2" '$1 == n { print $2 }' "$tmp/figures-$1" | median
}

ratio() {  # <a> <b>: a / b in per cent
  awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b != "-" && b > 0) printf "%.0f%%", 100 * a / b; else print "-" }'
}

for size in "${sizes[@]}"; do
  start_xvfb "${size%x*}" "${size#*x}"
  paint_desktop "${size%x*}" "${size#*x}"
  : >"$tmp/figures-$size"
  for _ in $(seq "$runs"); do one_round "$tmp/figures-$size"; done
  stop_painter
  stop_xvfb
done

printf '%-44s %10s %10s %8s  %s\n' "goal (medians of $runs)" ours yardstick ratio target
for size in "${sizes[@]}"; do
  whole=$(figure "$size" whole) alone=$(figure "$size" alone) naive=$(figure "$size" naive)
  fps=$(figure "$size" fps) quad=$(figure "$size" quad-fps) cpu=$(figure "$size" host-cpu)
  idle=$(figure "$size" idle-cpu)
  alone_target="<= 60%"
  [ "${size%x*}" -ge 3840 ] && alone_target="<= 50%"
  printf '%-44s %7s ms %7s ms %8s  %s\n' "$size whole run /s -> picture (vs naive)" \
    "$whole" "$naive" "$(ratio "$whole" "$naive")" "<= 70%"
  printf '%-44s %7s ms %7s ms %8s  %s\n' "$size renderer alone -> picture (vs naive)" \
    "$alone" "$naive" "$(ratio "$alone" "$naive")" "$alone_target"
  printf '%-44s %6s fps %6s fps %8s  %s\n' "$size frames per second (vs textured quad)" \
    "$fps" "$quad" "$(ratio "$fps" "$quad")" ">= 95%"
  printf '%-44s %8s %% %8s %% %8s  %s\n' "$size host CPU watching (vs toolkit idle loop)" \
    "$cpu" "$idle" "$(ratio "$cpu" "$idle")" "< 0.1% of a core"
done

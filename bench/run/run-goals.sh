#!/usr/bin/env bash
# The speed goals, each measured side by side in one run under a private Xvfb, medians of
# VELMORA_BENCH_RUNS rounds (default 3) per screen size:
#   - a whole run (`Velmora.scr /s`) and the renderer alone (`Velmora.dll` on the bitmap that run
#     left) from their start to the picture on screen, against bench/naive's naive renderer;
#   - the renderer's frames per second against one full-screen textured quad (bench/naive), both
#     drawing as fast as they can (the renderer with VELMORA_UNPACED: no waiting for the refresh);
#   - the host's share of a core and its wake-ups a second while it watches the renderer, beside
#     the toolkit's bare event loop with one 100 ms timer (the least a program on that loop pays
#     for the same rhythm); bench/run/run-watch.sh measures these alone.
#   bench/run/run-goals.sh <build folder>   (VELMORA_BENCH_SIZES="1920x1080 3840x2160" by default)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-goals "${1:?build folder}" Velmora.scr Velmora.dll naive_renderer textured_quad \
  idle_loop velmora_timed_launch velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-3}
seconds=${VELMORA_BENCH_SECONDS:-5}
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1920x1080 3840x2160}"
export VELMORA_ROOT=$tmp/root
bitmap=$VELMORA_ROOT/c/tolvik/Zentrova.bmp

# One round at the current size; appends "<figure> <value>" lines to $1.
one_round() {
  local out=$1 t=$tmp/timing
  # The whole run; the host's CPU and wake-ups are counted while it watches the renderer.
  rm -rf "$VELMORA_ROOT"
  launch_timed "$t" "$bin/Velmora.scr" /s
  echo "whole $(mark_span "$t" launch first-frame)" >>"$out"
  watch_beside_idle_loop "$out"
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

measure_sizes one_round

printf '%-44s %10s %10s %8s  %s\n' "goal (medians of $runs)" ours yardstick ratio target
for size in "${sizes[@]}"; do
  whole=$(figure "$size" whole) alone=$(figure "$size" alone) naive=$(figure "$size" naive)
  fps=$(figure "$size" fps) quad=$(figure "$size" quad-fps) cpu=$(figure "$size" host-cpu)
  idle=$(figure "$size" idle-cpu) wakes=$(figure "$size" host-wakes)
  idle_wakes=$(figure "$size" idle-wakes)
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
  printf '%-44s %8s/s %8s/s %8s  %s\n' "$size host wake-ups watching (vs toolkit idle loop)" \
    "$wakes" "$idle_wakes" "$(ratio "$wakes" "$idle_wakes")" "< 15/s"
done

#!/usr/bin/env bash
# Start-up of a full-screen run under Xvfb: time from starting `Velmora.scr /s` to the renderer's
# first frame at 1024x768, 1920x1080 and 3840x2160 (VELMORA_BENCH_SIZES), split into its steps,
# and the host's CPU use while it watches the renderer. bench/run/run-startup.sh <build folder>; VELMORA_BENCH_RUNS runs per size
# (default 5; medians are printed).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-startup "${1:?build folder}" Velmora.scr Velmora.dll velmora_timed_launch \
  velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-5}
watch_seconds=${VELMORA_BENCH_WATCH:-5}
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1024x768 1920x1080 3840x2160}"

# One run: appends "<step> <ms>" lines for the steps and the host's CPU share while watching to
# <out>.
one_run() {  # <out>
  local out=$1 timing=$tmp/timing
  rm -rf "$tmp/root" "$timing"
  VELMORA_ROOT=$tmp/root launch_timed "$timing" "$bin/Velmora.scr" /s || return 1
  echo "host-cpu-percent $(cpu_shares "$watch_seconds" 3 "$launched")" >>"$out"
  end_launched Zentrova_VC
  # Steps from the marks: each is the time between two marks, in milliseconds.
  awk '
    { t[$1] = $2 / 1e6 }
    function step(name, a, b) { if ((a in t) && (b in t)) printf "%s %.1f\n", name, t[b] - t[a] }
    END {
      step("host-start", "launch", "form-load")
      step("..libraries", "launch", "exec-Velmora.scr")
      step("capture", "form-load", "bmp-write-begin")
      step("bitmap-write", "bmp-write-begin", "bmp-write-end")
      step("music-and-shell", "bmp-write-end", "renderer-started")
      step("renderer-start", "renderer-started", "window-created")
      step("..exec", "renderer-started", "exec-Velmora.dll")
      step("..window", "exec-Velmora.dll", "window-created")
      step("bitmap-load", "bmp-load-begin", "upload-begin")
      step("..after-window", "window-created", "upload-begin")
      step("upload", "upload-begin", "upload-end")
      step("first-frame", "upload-end", "first-frame")
      step("total", "launch", "first-frame")
      step("window-seen-by-host", "launch", "renderer-window-seen")
      step("host-end-after-renderer", "exit-Velmora.dll", "run-end")
    }' "$timing" >>"$out"
}

printf '%-22s' "step (median ms)"
for size in "${sizes[@]}"; do printf '%12s' "$size"; done
echo
measure_sizes one_run
# Median of each step per size, in the order the steps were printed.
steps=$(awk '!seen[$1]++ { print $1 }' "$tmp/figures-${sizes[0]}")
for s in $steps; do
  printf '%-22s' "$s"
  for size in "${sizes[@]}"; do printf '%12s' "$(figure "$size" "$s")"; done
  echo
done
echo "($runs runs per size; ..libraries (loading and linking the host's shared libraries) is part"
echo " of host-start, ..exec and ..window are parts of renderer-start. bitmap-load runs from"
echo " the bitmap's opening to the upload: a renderer that reads and resamples the picture while"
echo " its window is made overlaps it with renderer-start, and ..after-window is what it still"
echo " waits once the window exists (from window to upload in any case). window-seen-by-host"
echo " counts from the launch; host-end-after-renderer from the renderer's exit on Escape to the"
echo " host's unload; host CPU measured over ${watch_seconds} s of watching)"

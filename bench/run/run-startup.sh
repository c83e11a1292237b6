#!/usr/bin/env bash
# Start-up of a full-screen run under Xvfb: time from starting `Velmora.scr /s` to the renderer's
# first frame at 1024x768, 1920x1080 and 3840x2160 (VELMORA_BENCH_SIZES), split into its steps,
# and the host's CPU use while it watches the renderer. bench/run/run-startup.sh <build folder>; VELMORA_BENCH_RUNS runs per size
# (default 5; medians are printed).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
bin=$build/bin
runs=${VELMORA_BENCH_RUNS:-5}
watch_seconds=${VELMORA_BENCH_WATCH:-5}
for f in Velmora.scr Velmora.dll velmora_timed_launch velmora_timing_shim.so; do
  [ -e "$bin/$f" ] || { echo "run-startup: $bin/$f is missing" >&2; exit 1; }
done

tmp=$(mktemp -d)
source "$here/bench/run/common.sh"
trap 'stop_all; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM HUP

# One run: prints "<step> <ms>" lines for the steps and the host's CPU share while watching.
one_run() {  # <timing file>
  local timing=$1
  rm -rf "$tmp/root" "$timing"
  VELMORA_ROOT=$tmp/root launch_timed "$timing" "$bin/Velmora.scr" /s || return 1
  local host=$launched
  local before after
  before=$(cpu_ns "$host")
  sleep "$watch_seconds"
  after=$(cpu_ns "$host")
  echo "host-cpu-percent $(awk -v d=$((after - before)) -v s="$watch_seconds" \
    'BEGIN { printf "%.3f", 100 * d / 1e9 / s }')"
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
    }' "$timing"
}

printf '%-22s' "step (median ms)"
read -r -a sizes <<<"${VELMORA_BENCH_SIZES:-1024x768 1920x1080 3840x2160}"
for size in "${sizes[@]}"; do printf '%12s' "$size"; done
echo
for size in "${sizes[@]}"; do
  start_xvfb "${size%x*}" "${size#*x}"
  paint_desktop "${size%x*}" "${size#*x}"
  : >"$tmp/all-$size"
  for _ in $(seq "$runs"); do one_run "$tmp/timing" >>"$tmp/all-$size"; done
  stop_painter
  stop_xvfb
done
# Median of each step per size, in the order the steps were printed.
steps=$(awk '!seen[$1]++ { print $1 }' "$tmp/all-${sizes[0]}")
for s in $steps; do
  printf '%-22s' "$s"
  for size in "${sizes[@]}"; do
    printf '%12s' "$(awk -v s="$s" '$1 == s { print $2 }' "$tmp/all-$size" | sort -g |
      awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2); else print "-" }')"
  done
  echo
done
echo "($runs runs per size; ..libraries (loading and linking the host's shared libraries) is part"
echo " of host-start, ..exec and ..window are parts of renderer-start. bitmap-load runs from"
echo " the bitmap's opening to the upload: a renderer that reads and resamples the picture while"
echo " its window is made overlaps it with renderer-start, and ..after-window is what it still"
echo " waits once the window exists (from window to upload in any case). window-seen-by-host"
echo " counts from the launch; host-end-after-renderer from the renderer's exit on Escape to the"
echo " host's unload; host CPU measured over ${watch_seconds} s of watching)"

#!/usr/bin/env bash
# A full-screen run on two 1920x1080 monitors beside the same run on one: the time from starting
# `Velmora.scr /s` to the picture's upload (it is drawn in that frame), the capture and the
# upload, and the frames per second, the two layouts measured in turn in the same loop (one Xvfb screen of 3840x1080 split
# into two RandR monitors, and one of 1920x1080).
#   bench/run/run-monitors.sh <build folder>; VELMORA_BENCH_RUNS rounds (default 3; medians),
#   VELMORA_BENCH_WATCH seconds of frames per run (default 8).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-monitors "${1:?build folder}" Velmora.scr Velmora.dll velmora_timed_launch \
  velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-3}
watch_seconds=${VELMORA_BENCH_WATCH:-8}

one_run() {  # <layout>
  local layout=$1 timing=$tmp/timing
  if [ "$layout" = one ]; then start_layout 1920x1080; else start_layout 2x1920x1080; fi
  rm -rf "$tmp/root"
  # The renderer draws as fast as it can here (VELMORA_UNPACED), so that the frame rates of the
  # two layouts compare their drawing, not the display's refresh rate.
  if VELMORA_UNPACED=1 VELMORA_ROOT=$tmp/root launch_timed "$timing" "$bin/Velmora.scr" /s; then
    sleep "$watch_seconds"
    end_launched Zentrova_VC
    {
      echo "start-to-picture $(mark_span "$timing" launch upload-end)"
      echo "capture $(mark_span "$timing" form-load bmp-write-begin)"
      echo "upload $(mark_span "$timing" upload-begin upload-end)"
      echo "fps $(frame_rate "$timing" Velmora.dll)"
    } >>"$tmp/all-$layout"
  fi
  stop_layout
}

: >"$tmp/all-one"
: >"$tmp/all-two"
for _ in $(seq "$runs"); do
  one_run one
  one_run two
done
printf '%-22s%14s%14s%8s\n' "median" "1x1920x1080" "2x1920x1080" "ratio"
for s in start-to-picture capture upload fps; do
  a=$(awk -v s="$s" '$1 == s && $2 != "" { print $2 }' "$tmp/all-one" | median)
  b=$(awk -v s="$s" '$1 == s && $2 != "" { print $2 }' "$tmp/all-two" | median)
  r=$(awk -v a="$a" -v b="$b" 'BEGIN { if (a + 0 > 0 && b != "-") printf "%.2f", b / a; else print "-" }')
  printf '%-22s%14s%14s%8s\n' "$s" "$a" "$b" "$r"
done
echo "($runs runs per layout, in turn; times in ms; fps from the warm-up frame to Escape)"

#!/usr/bin/env bash
# The renderer in a headless sway session (tests/support/wayland-session.sh) at output scale 1
# and 2, on its own surfaces beside its XWayland window (VELMORA_FORCE_XWAYLAND=1): the time from
# its start to the first frame that shows the picture, and its processor use a second while it
# runs, over a picture of the output's full resolution.
#   bench/run/run-wayland.sh <build folder>
# VELMORA_BENCH_RUNS runs per case (default 3; medians are printed), VELMORA_BENCH_SIZE the
# output's size in pixels (default 1920x1080), VELMORA_BENCH_WATCH seconds of processor time.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/bench/run/common.sh"
bench_start run-wayland "${1:?build folder}" Velmora.dll velmora_timed_launch \
  velmora_timing_shim.so
runs=${VELMORA_BENCH_RUNS:-3}
size=${VELMORA_BENCH_SIZE:-1920x1080}
watch_seconds=${VELMORA_BENCH_WATCH:-5}
session=$tmp/session-1
# The session's own user must reach its folder.
chmod 0755 "$tmp"

stop_session() {
  "$here/tests/support/wayland-session.sh" stop "$session" >/dev/null 2>&1 || true
}
trap 'stop_all; stop_session; rm -rf "$tmp"' EXIT

# One run of the renderer (as root, who reaches the session's sockets): appends "startup <ms>"
# and "cpu <percent>" to <out>.
one_run() {  # <out> <env assignment or "">
  local out=$1 timing=$tmp/timing
  rm -f "$timing"
  env ${2:+"$2"} VELMORA_ROOT=$tmp/root VELMORA_TIMING=$timing \
    LD_PRELOAD=$bin/velmora_timing_shim.so "$bin/velmora_timed_launch" "$bin/Velmora.dll" &
  launched=$!
  wait_mark "$timing" picture-frame 30 || { echo "run-wayland: no picture shown" >&2; return 1; }
  echo "cpu $(cpu_shares "$watch_seconds" 1 "$launched")" >>"$out"
  awk '{ t[$1] = $2 / 1e6 } END { printf "startup %.1f\n", t["picture-frame"] - t["launch"] }' \
    "$timing" >>"$out"
  WAYLAND_DISPLAY=$WAYLAND_DISPLAY wtype -s 300 -k Escape
  for _ in $(seq 200); do alive "$launched" || break; sleep 0.05; done
  alive "$launched" && kill -KILL "$launched" 2>/dev/null
  wait "$launched" 2>/dev/null || true
  launched=0
}

median() {  # <file> <key>
  awk -v k="$2" '$1 == k { print $2 }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

width=${size%x*} height=${size#*x}
mkdir -p "$tmp/root/c/tolvik"
chmod -R 0700 "$tmp/root"
# One-pixel squares at the output's full resolution.
convert -size 2x2 xc:black -fill white -draw 'point 1,0' -draw 'point 0,1' -write mpr:t +delete \
  -size "$size" tile:mpr:t -type truecolor "BMP3:$tmp/root/c/tolvik/Zentrova.bmp"
printf "%-8s %-10s %12s %10s\n" scale path startup-ms cpu-%
for scale in 1 2; do
  stop_session
  session=$tmp/session-$scale
  "$here/tests/support/wayland-session.sh" start "$session" --size "$size" --scale "$scale" \
    --no-portal --owner $$ >"$tmp/env"
  set -a && . "$tmp/env" && set +a
  for path in surfaces xwayland; do
    assignment=""
    [ "$path" = xwayland ] && assignment=VELMORA_FORCE_XWAYLAND=1
    rm -f "$tmp/results"
    for _ in $(seq "$runs"); do one_run "$tmp/results" "$assignment"; done
    printf "%-8s %-10s %12s %10s\n" "$scale" "$path" "$(median "$tmp/results" startup)" \
      "$(median "$tmp/results" cpu)"
  done
done
echo "(output ${size} pixels, llvmpipe and sway's pixman renderer; medians of $runs runs)"

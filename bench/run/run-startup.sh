#!/usr/bin/env bash
# Start-up of a full-screen run under Xvfb: time from starting `Velmora.scr /s` to the renderer's
# first frame at 1024x768 and 1920x1080, split into its steps, and the host's CPU use while it
# watches the renderer. bench/run/run-startup.sh <build folder>; VELMORA_BENCH_RUNS runs per size
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

# Running and not a zombie: an ended child stays visible to kill -0 until it is waited for.
alive() { [ -r "/proc/$1/status" ] && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"; }

tmp=$(mktemp -d)
xvfb=0 host=0 painter=0
cleanup() {
  [ "$host" -gt 0 ] && kill -KILL "$host" 2>/dev/null || true
  [ "$painter" -gt 0 ] && kill "$painter" 2>/dev/null || true
  [ "$xvfb" -gt 0 ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

start_xvfb() {  # <width> <height>
  rm -f "$tmp/displayfd"
  Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$tmp/displayfd" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$tmp/displayfd" ] && break
    sleep 0.05
  done
  [ -s "$tmp/displayfd" ] || { echo "run-startup: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(tr -d '[:space:]' <"$tmp/displayfd")
}

stop_xvfb() {
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=0
}

cpu_ticks() {  # utime + stime of a process, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# One run: prints "<step> <ms>" lines for the steps and the host's CPU share while watching.
one_run() {  # <timing file>
  local timing=$1
  rm -rf "$tmp/root" "$timing"
  VELMORA_TIMING=$timing LD_PRELOAD=$bin/velmora_timing_shim.so VELMORA_ROOT=$tmp/root \
    SDL_AUDIODRIVER=dummy "$bin/velmora_timed_launch" "$bin/Velmora.scr" /s &
  host=$!
  for _ in $(seq 400); do
    grep -q '^first-frame ' "$timing" 2>/dev/null && break
    alive "$host" || break
    sleep 0.05
  done
  grep -q '^first-frame ' "$timing" 2>/dev/null || { echo "run-startup: no frame was drawn" >&2; return 1; }
  local before after hz
  hz=$(getconf CLK_TCK)
  before=$(cpu_ticks "$host")
  sleep "$watch_seconds"
  after=$(cpu_ticks "$host")
  echo "host-cpu-percent $(awk -v d=$((after - before)) -v hz="$hz" -v s="$watch_seconds" \
    'BEGIN { printf "%.2f", 100 * d / hz / s }')"
  local window
  window=$(xdotool search --name '^Zentrova_VC$' | head -n1)
  xdotool key --window "$window" Escape >/dev/null 2>&1 || true  # the key-up may find it gone
  for _ in $(seq 100); do
    alive "$host" || break
    sleep 0.05
  done
  wait "$host" 2>/dev/null || true
  host=0
  # Steps from the marks: each is the time between two marks, in milliseconds.
  awk '
    { t[$1] = $2 / 1e6 }
    function step(name, a, b) { if ((a in t) && (b in t)) printf "%s %.1f\n", name, t[b] - t[a] }
    END {
      step("host-start", "launch", "form-load")
      step("capture", "form-load", "bmp-write-begin")
      step("bitmap-write", "bmp-write-begin", "bmp-write-end")
      step("music-and-shell", "bmp-write-end", "renderer-started")
      step("renderer-start", "renderer-started", "bmp-load-begin")
      step("..exec", "renderer-started", "exec-Velmora.dll")
      step("..window", "exec-Velmora.dll", "window-created")
      step("bitmap-load", "bmp-load-begin", "upload-begin")
      step("upload", "upload-begin", "upload-end")
      step("first-frame", "upload-end", "first-frame")
      step("total", "launch", "first-frame")
      step("window-seen-by-host", "launch", "renderer-window-seen")
      step("host-end-after-renderer", "exit-Velmora.dll", "run-end")
    }' "$timing"
}

printf '%-22s' "step (median ms)"
sizes=(1024x768 1920x1080)
for size in "${sizes[@]}"; do printf '%12s' "$size"; done
echo
for size in "${sizes[@]}"; do
  start_xvfb "${size%x*}" "${size#*x}"
  "$here/tools/make-desktop.sh" "${size%x*}" "${size#*x}" "$tmp/desktop.png"
  # A borderless window at (0, 0) stands for the desktop: paint on the root does not last on Xvfb.
  display -geometry +0+0 -borderwidth 0 -immutable -title Desktop "$tmp/desktop.png" 2>/dev/null &
  painter=$!
  for _ in $(seq 100); do
    [ "$(import -window root -format '%k' info: 2>/dev/null || echo 0)" -gt 16 ] && break
    sleep 0.1
  done
  : >"$tmp/all-$size"
  for _ in $(seq "$runs"); do one_run "$tmp/timing" >>"$tmp/all-$size"; done
  kill "$painter" 2>/dev/null || true
  wait "$painter" 2>/dev/null || true
  painter=0
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
echo "($runs runs per size; ..exec and ..window are parts of renderer-start; window-seen-by-host"
echo " counts from the launch; host-end-after-renderer from the renderer's exit on Escape to the"
echo " host's unload; host CPU measured over ${watch_seconds} s of watching)"

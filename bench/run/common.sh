# Sourced by the start-up benchmarks: a private Xvfb, a painted desktop on it, timed launches of
# the programs with the timing shim, and the medians of their figures. Needs $bin (the build's
# bin folder) and $tmp (a scratch folder the caller removes) to be set.

xvfb=0 painter=0 launched=0

# Running and not a zombie: an ended child stays visible to kill -0 until it is waited for.
alive() { [ -r "/proc/$1/status" ] && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"; }

start_xvfb() {  # <width> <height>
  rm -f "$tmp/displayfd"
  # -noreset: RandR monitors set by a client (xrandr --setmonitor) outlive its connection.
  Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp -noreset 3>"$tmp/displayfd" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$tmp/displayfd" ] && break
    sleep 0.05
  done
  [ -s "$tmp/displayfd" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(tr -d '[:space:]' <"$tmp/displayfd")
}

stop_xvfb() {
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=0
}

# A generated desktop in a borderless window at (0, 0): paint on the root does not last on Xvfb.
paint_desktop() {  # <width> <height>
  "$here/tools/make-desktop.sh" "$1" "$2" "$tmp/desktop.png"
  display -geometry +0+0 -borderwidth 0 -immutable -title Desktop "$tmp/desktop.png" 2>/dev/null &
  painter=$!
  for _ in $(seq 100); do
    [ "$(import -window root -format '%k' info: 2>/dev/null || echo 0)" -gt 16 ] && break
    sleep 0.1
  done
}

stop_painter() {
  [ "$painter" -gt 0 ] && { kill "$painter" 2>/dev/null || true; wait "$painter" 2>/dev/null || true; }
  painter=0
}

stop_all() {
  [ "$launched" -gt 0 ] && kill -KILL "$launched" 2>/dev/null || true
  stop_painter
  [ "$xvfb" -gt 0 ] && kill "$xvfb" 2>/dev/null || true
}

cpu_ticks() {  # utime + stime of a process, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# The processor time a process has used, in nanoseconds (all its threads): finer than the clock
# ticks of /proc/<pid>/stat, whose 10 ms would be a quarter of the goal in a 5 s watch.
cpu_ns() {
  local total=0 t
  for t in /proc/"$1"/task/*/schedstat; do
    total=$((total + $(cut -d' ' -f1 "$t" 2>/dev/null || echo 0)))
  done
  echo "$total"
}

# Starts a program with the timing shim, its marks going to <timing file>, and waits for its
# first presented frame. Leaves its pid in $launched; false when no frame came.
launch_timed() {  # <timing file> <program> [args...]
  local timing=$1
  shift
  rm -f "$timing"
  VELMORA_TIMING=$timing LD_PRELOAD=$bin/velmora_timing_shim.so SDL_AUDIODRIVER=dummy \
    "$bin/velmora_timed_launch" "$@" &
  launched=$!
  for _ in $(seq 600); do
    grep -q '^first-frame ' "$timing" 2>/dev/null && return 0
    alive "$launched" || break
    sleep 0.02
  done
  echo "bench: $(basename "$1") drew no frame" >&2
  return 1
}

# Presses Escape in the window titled <title> and waits until the launched program has ended.
end_launched() {  # <title>
  local window
  window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && { xdotool key --window "$window" Escape >/dev/null 2>&1 || true; }
  for _ in $(seq 200); do
    alive "$launched" || break
    sleep 0.05
  done
  alive "$launched" && kill -KILL "$launched" 2>/dev/null
  wait "$launched" 2>/dev/null || true
  launched=0
}

# The time between two marks of a timing file, in milliseconds.
mark_span() {  # <timing file> <from mark> <to mark>
  awk -v a="$2" -v b="$3" '$1 == a && !(a in t) { t[a] = $2 } $1 == b && !(b in t) { t[b] = $2 }
    END { if ((a in t) && (b in t)) printf "%.1f\n", (t[b] - t[a]) / 1e6 }' "$1"
}

# Frames per second from the warm-up frame to the program's exit (marks of the timing shim).
frame_rate() {  # <timing file> <program name>
  awk -v e="exit-$2" '$1 == "swap-warm" { w = $2 } $1 == e { x = $2 } $1 == "swaps" { n = $2 }
    END { if (w && x > w && n > 20) printf "%.1f\n", (n - 20) / ((x - w) / 1e9) }' "$1"
}

# The median of the numbers on standard input ("-" when there are none).
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (!NR) print "-"; else print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

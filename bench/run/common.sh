# Sourced by the run benchmarks: the common start (the build's programs checked, a scratch
# folder, everything stopped on the way out), a private Xvfb of one or two monitors with a
# painted desktop, timed launches of the programs with the timing shim, processor shares, and
# the medians of their figures. Needs $here (the source tree) to be set.

xvfb=0 painter=0 launched=0 extra_pid=0

# What every benchmark does first: sets $build, $bin and $tmp (removed on exit), ends with a
# message when one of the named programs of the build's bin folder is missing, and on the way out
# stops Xvfb, the painter, the launched program and $extra_pid (a yardstick run beside it).
bench_start() {  # <script name> <build folder> <program>...
  local name=$1 f
  build=$(cd "$2" && pwd)
  bin=$build/bin
  shift 2
  for f in "$@"; do
    [ -e "$bin/$f" ] || { echo "$name: $bin/$f is missing" >&2; exit 1; }
  done
  tmp=$(mktemp -d)
  trap 'stop_all; rm -rf "$tmp"' EXIT
  trap 'exit 130' INT TERM HUP
}

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

# Starts Xvfb for a size "WxH" or "2xWxH" (two RandR monitors of W x H side by side on one
# screen) and paints its desktop.
start_layout() {  # <size>
  local one=${1#2x} count=1 width height
  [ "$one" != "$1" ] && count=2
  width=${one%x*} height=${one#*x}
  start_xvfb $((width * count)) "$height"
  if [ "$count" = 2 ]; then
    xrandr --setmonitor LEFT "$width/508x$height/286+0+0" screen >/dev/null
    xrandr --setmonitor RIGHT "$width/508x$height/286+$width+0" none >/dev/null
  fi
  paint_desktop $((width * count)) "$height"
}

stop_layout() {
  stop_painter
  stop_xvfb
}

# Runs <round function> $runs times at each size of $sizes, its figures going to
# $tmp/figures-<size> (given as its argument); <prepare>, when named, runs once per size before.
measure_sizes() {  # <round function> [<prepare>]
  local size
  for size in "${sizes[@]}"; do
    start_layout "$size"
    [ -z "${2:-}" ] || "$2"
    : >"$tmp/figures-$size"
    for _ in $(seq "$runs"); do "$1" "$tmp/figures-$size"; done
    stop_layout
  done
}

stop_all() {
  [ "$launched" -gt 0 ] && kill -KILL "$launched" 2>/dev/null || true
  [ "$extra_pid" -gt 0 ] && kill "$extra_pid" 2>/dev/null || true
  stop_painter
  [ "$xvfb" -gt 0 ] && kill "$xvfb" 2>/dev/null || true
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

# The processor time each process uses over the next <seconds>, in per cent of a core with
# <decimals> places: one figure per process, on one line.
cpu_shares() {  # <seconds> <decimals> <pid>...
  local seconds=$1 decimals=$2 before=() deltas=() pid i
  shift 2
  for pid in "$@"; do before+=("$(cpu_ns "$pid")"); done
  sleep "$seconds"
  i=0
  for pid in "$@"; do
    deltas+=($(($(cpu_ns "$pid") - before[i])))
    i=$((i + 1))
  done
  awk -v s="$seconds" -v d="${deltas[*]}" -v p="$decimals" 'BEGIN { n = split(d, v, " ")
    for (i = 1; i <= n; i++) printf("%." p "f%s", 100 * v[i] / 1e9 / s, (i < n ? " " : "\n")) }'
}

# How often the threads of a process have gone to sleep since it started (their voluntary context
# switches): each wait of its loop that sleeps until something wakes it counts once.
sleeps() {
  local total=0 t n
  for t in /proc/"$1"/task/*/status; do
    n=$(awk '$1 == "voluntary_ctxt_switches:" { print $2 }' "$t" 2>/dev/null || true)
    total=$((total + ${n:-0}))
  done
  echo "$total"
}

# What each process costs over the next <seconds> while it waits: its share of a core in per cent
# (3 places) and its wake-ups a second (1 place), "<cpu> <wake-ups>" per process, on one line.
watch_costs() {  # <seconds> <pid>...
  local seconds=$1 cpu=() woken=() figures=() pid i
  shift
  for pid in "$@"; do
    cpu+=("$(cpu_ns "$pid")")
    woken+=("$(sleeps "$pid")")
  done
  sleep "$seconds"
  i=0
  for pid in "$@"; do
    figures+=($(($(cpu_ns "$pid") - cpu[i])) $(($(sleeps "$pid") - woken[i])))
    i=$((i + 1))
  done
  awk -v s="$seconds" -v f="${figures[*]}" 'BEGIN { n = split(f, v, " ")
    for (i = 1; i < n; i += 2)
      printf("%.3f %.1f%s", 100 * v[i] / 1e9 / s, v[i + 1] / s, (i + 1 < n ? " " : "\n")) }'
}

# The launched host's costs while it watches the renderer, beside the toolkit's bare loop with one
# 100 ms timer (bench/naive's idle_loop) in the same seconds: appends host-cpu, host-wakes,
# idle-cpu and idle-wakes lines to <out>. $seconds long; needs $launched running.
watch_beside_idle_loop() {  # <out>
  local host_cpu host_wakes idle_cpu idle_wakes
  "$bin/idle_loop" &
  extra_pid=$!
  sleep 0.2
  read -r host_cpu host_wakes idle_cpu idle_wakes < <(watch_costs "$seconds" "$launched" "$extra_pid")
  kill "$extra_pid"
  wait "$extra_pid" 2>/dev/null || true
  extra_pid=0
  printf 'host-cpu %s\nhost-wakes %s\nidle-cpu %s\nidle-wakes %s\n' "$host_cpu" "$host_wakes" \
    "$idle_cpu" "$idle_wakes" >>"$1"
}

# Waits until the timing file has the mark <label>, at most <seconds> (30 when left out); false
# when the launched program ended first or the time ran out.
wait_mark() {  # <timing file> <label> [<seconds>]
  for _ in $(seq $((${3:-30} * 50))); do
    grep -q "^$2 " "$1" 2>/dev/null && return 0
    alive "$launched" || return 1
    sleep 0.02
  done
  return 1
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
  wait_mark "$timing" first-frame 12 && return 0
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

# The median of figure <name> at <size>, from $tmp/figures-<size>.
figure() {  # <size> <name>
  awk -v n="$2" '$1 == n { print $2 }' "$tmp/figures-$1" | median
}

# <a> / <b> in per cent with <decimals> places (0 when left out); "-" when either is missing.
ratio() {  # <a> <b> [<decimals>]
  awk -v a="$1" -v b="$2" -v p="${3:-0}" \
    'BEGIN { if (a != "-" && b != "-" && b > 0) printf("%." p "f%%\n", 100 * a / b); else print "-" }'
}

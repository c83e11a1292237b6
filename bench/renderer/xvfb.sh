# Sourced by the renderer's bench scripts: starts a private Xvfb of the given size (-displayfd
# picks a free display), exports DISPLAY, and stops it when the script ends.
#   start_xvfb 1920x1080
start_xvfb() {
  bench_tmp=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$bench_tmp/display" 2>/dev/null &
  bench_xvfb=$!
  trap 'kill "$bench_xvfb" 2>/dev/null; rm -rf "$bench_tmp"' EXIT
  trap 'exit 130' INT TERM HUP  # so that the EXIT trap also runs when the script is stopped
  for _ in $(seq 100); do
    [ -s "$bench_tmp/display" ] && break
    sleep 0.05
  done
  [ -s "$bench_tmp/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(head -n1 "$bench_tmp/display")
}

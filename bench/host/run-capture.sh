#!/usr/bin/env bash
# Desktop capture at 1920x1080 under a private Xvfb: capture plus bitmap write, the capture
# alone and the write alone, beside a plain XGetImage of the same screen.
#   bench/host/run-capture.sh <build folder> [rounds]
set -euo pipefail
build=${1:?build folder}
rounds=${2:-20}
tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.05
done
[ -s "$tmp/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$tmp/display") "$build/bin/host_capture_bench" "$tmp" "$rounds"

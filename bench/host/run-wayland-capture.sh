#!/usr/bin/env bash
# Desktop capture in a headless sway session at 1920x1080 (tests/support/wayland-session.sh):
# the screen copy and the portal's Screenshot, each beside grim, run as the session's user.
#   bench/host/run-wayland-capture.sh <build folder> [rounds]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
rounds=${2:-10}
session=$(mktemp -d /tmp/velmora-bench-XXXXXX)
chmod 0755 "$session"
trap '"$here/tests/support/wayland-session.sh" stop "$session" >/dev/null 2>&1; rm -rf "$session"' EXIT
"$here/tests/support/wayland-session.sh" start "$session" --size 1920x1080 >/dev/null
"$here/tests/support/wayland-session.sh" run "$session" \
  "$build/bin/wayland_capture_bench" 1920 1080 "$rounds"

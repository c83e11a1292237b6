#!/usr/bin/env bash
# Runs every benchmark: bench/run.sh [build folder, default build]. Each bench/*/run-*.sh script
# prints its own figures; all of them use a private Xvfb where they need a display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null 2>"$build/bench-build.log" || { cat "$build/bench-build.log" >&2; exit 1; }
for script in "$here"/bench/*/run-*.sh; do
  [ -e "$script" ] || continue
  echo "== $(basename "$script" .sh)"
  bash "$script" "$build"
done

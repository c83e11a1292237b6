#!/usr/bin/env bash
# Runs every benchmark: bench/run.sh [build folder, default build]. The speed goals come first
# (bench/run/run-goals.sh: each goal's ratio against its yardstick, measured side by side), then
# each bench/*/run-*.sh script with its own figures, among them the pace and processor time of a
# paced run beside a paced textured quad (run-pacing) and the split of the start-up into its
# steps (run-startup); all of them use a private Xvfb where they need a display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null 2>"$build/bench-build.log" || { cat "$build/bench-build.log" >&2; exit 1; }
for script in "$here"/bench/run/run-goals.sh "$here"/bench/*/run-*.sh; do
  [ -e "$script" ] || continue
  case $script in */run/run-goals.sh) [ -n "${goals_done:-}" ] && continue; goals_done=1 ;; esac
  echo "== $(basename "$script" .sh)"
  bash "$script" "$build"
done

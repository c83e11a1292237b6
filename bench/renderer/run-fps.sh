#!/usr/bin/env bash
# Frames per second at 1920x1080 under Xvfb: the renderer's drawing beside a loop that only
# clears and swaps, on the same display.   bench/renderer/run-fps.sh <build folder> [seconds]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-5}
source "$(dirname "$0")/xvfb.sh"
start_xvfb 1920x1080
"$build/bin/renderer_load_bench" "$bench_tmp" >/dev/null  # leaves desktop-1920.bmp behind
"$build/bin/renderer_fps_bench" clear "$seconds"
"$build/bin/renderer_fps_bench" warp "$seconds" "$bench_tmp/desktop-1920.bmp"

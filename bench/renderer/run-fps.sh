#!/usr/bin/env bash
# Frames per second at 1920x1080 under Xvfb: the renderer's drawing beside one textured quad and
# a loop that only clears and swaps, on the same display.
#   bench/renderer/run-fps.sh <build folder> [seconds]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-5}
source "$(dirname "$0")/xvfb.sh"
start_xvfb 1920x1080
"$build/bin/renderer_load_bench" "$bench_tmp" >/dev/null  # leaves desktop-1920.bmp behind
"$build/bin/renderer_fps_bench" clear "$seconds"
# The renderer reads the picture where the host leaves it.
export VELMORA_ROOT=$bench_tmp/root
mkdir -p "$VELMORA_ROOT/c/tolvik"
cp "$bench_tmp/desktop-1920.bmp" "$VELMORA_ROOT/c/tolvik/Zentrova.bmp"
"$build/bin/renderer_fps_bench" quad "$seconds" "$bench_tmp/desktop-1920.bmp"
"$build/bin/renderer_fps_bench" warp "$seconds"

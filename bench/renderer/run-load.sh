#!/usr/bin/env bash
# Load and upload time of 1024x768, 1920x1080 and 3840x2160 bitmaps, and the cost of one
# mesh evaluation.   bench/renderer/run-load.sh <build folder>
set -euo pipefail
build=${1:?build folder}
source "$(dirname "$0")/xvfb.sh"
start_xvfb 1024x768
"$build/bin/renderer_load_bench" "$bench_tmp"

#!/usr/bin/env bash
# The push button's paint and pointer-poll costs under a private Xvfb.
#   bench/host/run-button.sh <build folder>
set -euo pipefail
build=${1:?build folder}
source "$(dirname "$0")/../renderer/xvfb.sh"
start_xvfb 1024x768
"$build/bin/button_bench"

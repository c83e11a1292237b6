#!/usr/bin/env bash
# Runs a screensaver run from a build folder: tools/demo-run.sh <build folder>.
set -euo pipefail
build=${1:?build folder}
exec "$build/bin/Velmora.scr" /s

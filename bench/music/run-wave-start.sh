#!/usr/bin/env bash
# A long WAV played looped through the wave-sound player on SDL's dummy output: the time until
# the call returns and the memory the playing sound holds, for a 2 GB file (a sparse one).
#   bench/music/run-wave-start.sh <build folder> [megabytes]
set -euo pipefail
build=${1:?build folder}
megabytes=${2:-2048}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
SDL_AUDIODRIVER=dummy "$build/bin/wave_start_bench" "$tmp/long.wav" "$megabytes"

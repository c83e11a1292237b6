#!/usr/bin/env bash
# Makes the README's picture assets/readme/velmora.png: the generated desktop as the renderer
# shows it, flat, at the swirl's strongest frame and at the lens's strongest frame, side by side.
#   tools/make-readme-picture.sh <build folder> [output.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
out=${2:-$here/assets/readme/velmora.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Frame 0 is the flat picture, 25 the swirl's first turning point, 254 the lens's.
"$here/tools/render-desktop-frames.sh" "$build" 640 480 "$work" 0 25 254
mkdir -p "$(dirname "$out")"
convert "$work"/frame-0.png "$work"/frame-25.png "$work"/frame-254.png -resize 320x240 \
  -bordercolor '#202020' -border 4 +append -strip "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"

#!/usr/bin/env bash
# Makes the preview picture assets/preview/preview.jpg: the generated desktop bent by the
# renderer's own swirl at a frame where the swirl is strong, scaled down to the preview's
# 152 x 112 pixels.
#   tools/make-preview-picture.sh <build folder> [output.jpg]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
out=${2:-$here/assets/preview/preview.jpg}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Frame 25: the swirl's first turning point, about 2.5 radians at the centre, its strongest.
"$here/tools/render-desktop-frames.sh" "$build" 640 480 "$work" 25
convert "$work/frame-25.png" -resize '152x112!' -strip -quality 95 -sampling-factor 1x1 "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"

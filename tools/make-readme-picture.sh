#!/usr/bin/env bash
# Makes the README's picture assets/readme/velmora.png: the generated desktop of
# tools/make-desktop.sh as the renderer shows it, flat, at the swirl's strongest frame and at
# the lens's strongest frame, side by side.
#   tools/make-readme-picture.sh <build folder> [output.png]
# Needs ImageMagick, a build that holds bin/velmora_render_frames, and Xvfb when there is no
# display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
out=${2:-$here/assets/readme/velmora.png}
render="$build/bin/velmora_render_frames"
[ -x "$render" ] || { echo "missing $render: build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
W=640 H=480
"$here/tools/make-desktop.sh" $W $H "$work/desktop.png"
convert "$work/desktop.png" -type TrueColor "BMP3:$work/desktop.bmp"
# Frame 0 is the flat picture, 25 the swirl's first turning point, 254 the lens's.
render_cmd=("$render" "$work/desktop.bmp" $W $H "$work/frame-#.png" 0 25 254)
if [ -n "${DISPLAY:-}" ]; then "${render_cmd[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${render_cmd[@]}"; fi
mkdir -p "$(dirname "$out")"
convert "$work"/frame-0.png "$work"/frame-25.png "$work"/frame-254.png -resize 320x240 \
  -bordercolor '#202020' -border 4 +append -strip "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"

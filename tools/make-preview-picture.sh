#!/usr/bin/env bash
# Makes the preview picture assets/preview/preview.jpg: takes the generated desktop of
# tools/make-desktop.sh, lets the renderer bend it with its own swirl at a frame
# where the swirl is strong, and scales that frame down to the preview's 152 x 112 pixels.
#   tools/make-preview-picture.sh <build folder> [output.jpg]
# Needs ImageMagick, a build that holds bin/velmora_render_frames, and Xvfb when there is no
# display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
out=${2:-$here/assets/preview/preview.jpg}
render="$build/bin/velmora_render_frames"
[ -x "$render" ] || { echo "missing $render: build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
W=640 H=480
# The same generated desktop that runs on a virtual display show.
"$here/tools/make-desktop.sh" $W $H "$work/desktop.png"
convert "$work/desktop.png" -type TrueColor "BMP3:$work/desktop.bmp"

# Frame 25: the swirl's first turning point, about 2.5 radians at the centre, its strongest.
# The renderer needs an X display; without one it gets a virtual one of its own.
render_cmd=("$render" "$work/desktop.bmp" $W $H "$work/frame.png" 25)
if [ -n "${DISPLAY:-}" ]; then "${render_cmd[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${render_cmd[@]}"; fi
frame=$work/frame.png
convert "$frame" -resize '152x112!' -strip -quality 95 -sampling-factor 1x1 "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"

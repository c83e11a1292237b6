#!/usr/bin/env bash
# Renders chosen animation frames of the generated desktop (tools/make-desktop.sh) with the
# renderer's own drawing code, for the pictures made from it:
#   tools/render-desktop-frames.sh <build folder> <width> <height> <folder> <frame>...
# writes <folder>/frame-<N>.png for each frame N (0 is the flat picture). Needs ImageMagick, a
# build that holds bin/velmora_render_frames, and Xvfb when there is no display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
W=${2:?width}
H=${3:?height}
folder=${4:?output folder}
shift 4
render="$build/bin/velmora_render_frames"
[ -x "$render" ] || { echo "missing $render: build first" >&2; exit 1; }
mkdir -p "$folder"
"$here/tools/make-desktop.sh" "$W" "$H" "$folder/desktop.png"
convert "$folder/desktop.png" -type TrueColor "BMP3:$folder/desktop.bmp"
render_cmd=("$render" "$folder/desktop.bmp" "$W" "$H" "$folder/frame-#.png" "$@")
# The renderer needs an X display; without one it gets a virtual one of its own.
if [ -n "${DISPLAY:-}" ]; then
  "${render_cmd[@]}" >/dev/null
else
  xvfb-run -a -s "-screen 0 1024x768x24" "${render_cmd[@]}" >/dev/null
fi

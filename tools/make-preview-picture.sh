#!/usr/bin/env bash
# Makes the preview picture assets/preview/preview.jpg: draws a plain desktop (gradient, icons
# with labels, two windows, a panel), lets the renderer bend it with its own swirl at a frame
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
font=DejaVu-Sans
bold=DejaVu-Sans-Bold

# One desktop icon: a coloured glyph at (x, y) with its label centred below it.
icon() {
  local x=$1 y=$2 kind=$3 label=$4
  local cx=$((x + 20))
  case $kind in
    folder) draw+=(-fill '#e8b83a' -stroke '#8a6410' -draw "roundrectangle $x,$((y + 6)) $((x + 40)),$((y + 34)) 3,3"
                   -draw "rectangle $x,$((y + 2)) $((x + 16)),$((y + 8))") ;;
    computer) draw+=(-fill '#d8d8d0' -stroke '#505050' -draw "rectangle $((x + 2)),$y $((x + 38)),$((y + 26))"
                     -fill '#3060a8' -draw "rectangle $((x + 6)),$((y + 4)) $((x + 34)),$((y + 22))"
                     -fill '#c0c0b8' -draw "rectangle $((x + 10)),$((y + 28)) $((x + 30)),$((y + 34))") ;;
    document) draw+=(-fill white -stroke '#505050' -draw "polygon $((x + 6)),$y $((x + 28)),$y $((x + 34)),$((y + 6)) $((x + 34)),$((y + 34)) $((x + 6)),$((y + 34))"
                     -stroke '#7090c0' -draw "line $((x + 10)),$((y + 12)) $((x + 30)),$((y + 12))"
                     -draw "line $((x + 10)),$((y + 18)) $((x + 30)),$((y + 18))"
                     -draw "line $((x + 10)),$((y + 24)) $((x + 26)),$((y + 24))") ;;
    bin) draw+=(-fill '#a8b0b8' -stroke '#404850' -draw "polygon $((x + 8)),$((y + 6)) $((x + 32)),$((y + 6)) $((x + 29)),$((y + 34)) $((x + 11)),$((y + 34))"
                -draw "rectangle $((x + 5)),$((y + 2)) $((x + 35)),$((y + 6))") ;;
    globe) draw+=(-fill '#3a8ad8' -stroke '#184878' -draw "circle $cx,$((y + 17)) $cx,$((y + 1))"
                  -fill '#58b050' -stroke none -draw "ellipse $((cx - 5)),$((y + 13)) 7,6 0,360"
                  -draw "ellipse $((cx + 7)),$((y + 24)) 5,4 0,360") ;;
  esac
  draw+=(-stroke none -fill '#00000080' -font "$font" -pointsize 11 -gravity NorthWest
         -annotate "+$((cx - ${#label} * 3 + 1))+$((y + 41))" "$label"
         -fill white -annotate "+$((cx - ${#label} * 3))+$((y + 40))" "$label")
}

# A window with a title bar at (x, y), w x h, and a few lines of content.
window() {
  local x=$1 y=$2 w=$3 h=$4 title=$5 bar=$6
  draw+=(-stroke '#303030' -fill '#00000040' -draw "rectangle $((x + 4)),$((y + 4)) $((x + w + 4)),$((y + h + 4))"
         -fill '#ece9e2' -draw "rectangle $x,$y $((x + w)),$((y + h))"
         -stroke none -fill "$bar" -draw "rectangle $((x + 1)),$((y + 1)) $((x + w - 1)),$((y + 20))"
         -fill white -font "$bold" -pointsize 11 -gravity NorthWest -annotate "+$((x + 8))+$((y + 4))" "$title"
         -fill '#d85040' -draw "rectangle $((x + w - 18)),$((y + 5)) $((x + w - 6)),$((y + 16))"
         -fill white -draw "rectangle $((x + 4)),$((y + 24)) $((x + w - 4)),$((y + h - 4))")
  local line=$((y + 32))
  while [ $line -lt $((y + h - 14)) ]; do
    draw+=(-fill '#8090a8' -draw "rectangle $((x + 12)),$line $((x + 12 + (line * 37 % (w - 40)) + 20)),$((line + 4))")
    line=$((line + 14))
  done
}

draw=()
icon 24 20 computer "Computer"
icon 24 96 folder "Documents"
icon 24 172 globe "Network"
icon 24 248 document "notes.txt"
icon 24 324 bin "Trash"
icon 104 20 folder "Pictures"
window 200 70 300 200 "Documents" '#2f5fa8'
window 330 210 250 170 "notes.txt - Editor" '#4a7a3a'
# The panel along the bottom with a menu button and a clock.
draw+=(-stroke none -fill '#202830' -draw "rectangle 0,$((H - 28)) $W,$H"
       -fill '#3a6ea8' -draw "roundrectangle 4,$((H - 24)) 70,$((H - 4)) 4,4"
       -fill white -font "$bold" -pointsize 12 -annotate "+20+$((H - 21))" "Menu"
       -fill '#c8d0d8' -font "$font" -pointsize 11 -annotate "+$((W - 44))+$((H - 20))" "12:00")

convert -size ${W}x${H} gradient:'#3a7bbf-#0b2a4a' "${draw[@]}" -type TrueColor "BMP3:$work/desktop.bmp"

# Frame 25: the swirl's first turning point, about 2.5 radians at the centre, its strongest.
# The renderer needs an X display; without one it gets a virtual one of its own.
render_cmd=("$render" "$work/desktop.bmp" $W $H "$work/frame.png" 25)
if [ -n "${DISPLAY:-}" ]; then "${render_cmd[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${render_cmd[@]}"; fi
frame=$work/frame.png
convert "$frame" -resize '152x112!' -strip -quality 95 -sampling-factor 1x1 "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"

#!/usr/bin/env bash
# Draws a plausible desktop picture (wallpaper, icons, two application windows, a panel with a
# clock) for runs on a virtual display that has no desktop of its own:
#   tools/make-desktop.sh <width> <height> <out.png>
# Needs ImageMagick's convert. The picture is the same for the same size.
set -euo pipefail
w=${1:?width}
h=${2:?height}
out=${3:?output picture}
case "$w$h" in *[!0-9]*) echo "make-desktop: width and height are whole numbers" >&2; exit 2 ;; esac
if [ "$w" -lt 320 ] || [ "$h" -lt 240 ] || [ "$w" -gt 8192 ] || [ "$h" -gt 8192 ]; then
  echo "make-desktop: size must lie between 320x240 and 8192x8192" >&2
  exit 2
fi

fontdir=/usr/share/fonts/truetype/dejavu
font=() bold=() mono=()
[ -f "$fontdir/DejaVuSans.ttf" ] && font=(-font "$fontdir/DejaVuSans.ttf")
[ -f "$fontdir/DejaVuSans-Bold.ttf" ] && bold=(-font "$fontdir/DejaVuSans-Bold.ttf")
[ -f "$fontdir/DejaVuSansMono.ttf" ] && mono=(-font "$fontdir/DejaVuSansMono.ttf")

# Everything is laid out in units of the screen's size so every resolution looks alike.
s=$((h / 48))            # base unit: text size and spacing
panel=$((s * 2))         # panel height
icon=$((s * 3))          # desktop icon size

args=(-size "${w}x${h}" gradient:'#1d3f6e-#c86b3c')

# Wallpaper: soft hills and a sun, so the warp has large shapes to bend.
args+=(-fill '#f2c14e' -draw "circle $((w * 7 / 10)),$((h * 3 / 10)) $((w * 7 / 10 + s * 5)),$((h * 3 / 10))")
args+=(-fill '#2f5d50' -draw "ellipse $((w / 4)),$h $((w / 2)),$((h * 3 / 10)) 180,360")
args+=(-fill '#24493f' -draw "ellipse $((w * 3 / 4)),$h $((w / 2)),$((h / 4)) 180,360")

# Desktop icons down the left edge, each a tile with a label.
names=(Home Documents Music Pictures Trash)
colours=('#e9c46a' '#8ecae6' '#f4a261' '#90be6d' '#adb5bd')
for i in "${!names[@]}"; do
  x=$s
  y=$((panel + s + i * (icon + s * 2)))
  args+=(-fill "${colours[$i]}" -stroke '#00000066' -draw "roundrectangle $x,$y $((x + icon)),$((y + icon)) $((s / 2)),$((s / 2))")
  args+=(-stroke none -fill white "${font[@]}" -pointsize "$((s * 2 / 3))" \
    -draw "text $x,$((y + icon + s)) '${names[$i]}'")
done

# window <x> <y> <width> <height> <title>: a framed application window with a title bar.
window() {
  local x=$1 y=$2 ww=$3 wh=$4 title=$5
  args+=(-fill '#00000055' -stroke none -draw "rectangle $((x + s / 2)),$((y + s / 2)) $((x + ww + s / 2)),$((y + wh + s / 2))")
  args+=(-fill '#f8f9fa' -stroke '#495057' -draw "rectangle $x,$y $((x + ww)),$((y + wh))")
  args+=(-fill '#3a5a8c' -stroke none -draw "rectangle $x,$y $((x + ww)),$((y + s * 3 / 2))")
  args+=(-fill white "${bold[@]}" -pointsize "$((s * 3 / 4))" -draw "text $((x + s / 2)),$((y + s * 11 / 10)) '$title'")
  local b
  for b in 0 1 2; do
    args+=(-fill '#dee2e6' -draw "rectangle $((x + ww - (b + 1) * s * 3 / 2)),$((y + s / 4)) $((x + ww - b * s * 3 / 2 - s / 4)),$((y + s * 5 / 4))")
  done
}

# A text editor with lines of code.
ex=$((w * 15 / 100)) ey=$((h * 12 / 100)) ew=$((w * 45 / 100)) eh=$((h * 55 / 100))
window "$ex" "$ey" "$ew" "$eh" 'notes.txt - Editor'
lines=('#include <stdio.h>' '' 'int main(void) {' '    for (int i = 0; i < 10; i++)' \
  '        printf("%d\\n", i * i);' '    return 0;' '}' '' '/* grid 8x8, step 0.25 */' \
  'swirl = 0.0; lens = 1.0;' 'frames: 201 forward, 201 back' 'TODO: water the plants')
args+=(-fill '#212529' "${mono[@]}" -pointsize "$((s * 3 / 4))")
for i in "${!lines[@]}"; do
  ly=$((ey + s * 3 + i * s * 6 / 5))
  [ "$ly" -lt $((ey + eh - s / 2)) ] || break
  args+=(-draw "text $((ex + s)),$ly '${lines[$i]//\'/}'")
done

# A photo viewer holding a checkerboard: straight lines show the warp best.
px=$((w * 52 / 100)) py=$((h * 40 / 100)) pw=$((w * 40 / 100)) ph=$((h * 45 / 100))
window "$px" "$py" "$pw" "$ph" 'grid.png - Viewer'
cell=$((s * 3 / 2))
for ((r = 0; (py + s * 2 + (r + 1) * cell) <= (py + ph - s / 2); r++)); do
  for ((c = 0; (px + s / 2 + (c + 1) * cell) <= (px + pw - s / 2); c++)); do
    if (((r + c) % 2 == 0)); then colour='#264653'; else colour='#e76f51'; fi
    x0=$((px + s / 2 + c * cell))
    y0=$((py + s * 2 + r * cell))
    args+=(-fill "$colour" -draw "rectangle $x0,$y0 $((x0 + cell - 1)),$((y0 + cell - 1))")
  done
done

# The panel along the top with a menu, task buttons and a clock.
args+=(-fill '#212529ee' -stroke none -draw "rectangle 0,0 $w,$panel")
args+=(-fill white "${bold[@]}" -pointsize "$((s * 4 / 5))" -draw "text $s,$((panel * 2 / 3)) 'Applications'")
args+=(-fill '#495057' -draw "rectangle $((s * 9)),$((s / 3)) $((s * 17)),$((panel - s / 3))")
args+=(-fill white "${font[@]}" -draw "text $((s * 19 / 2)),$((panel * 2 / 3)) 'Editor'")
args+=(-fill '#343a40' -draw "rectangle $((s * 18)),$((s / 3)) $((s * 26)),$((panel - s / 3))")
args+=(-fill white -draw "text $((s * 37 / 2)),$((panel * 2 / 3)) 'Viewer'")
args+=(-fill white -draw "text $((w - s * 5)),$((panel * 2 / 3)) '12:34'")

convert "${args[@]}" -depth 8 "PNG24:$out"

#!/usr/bin/env bash
# The renderer Velmora.dll under Wine: it shows the hand-off bitmap in its window
# "Zentrova_VC" and ends with exit code 0 on Escape; a bitmap it can't read gives the "Error"
# box and exit code 1. Saves screenshots and the time to the first frame in the artifacts.
#   renderer_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@"
mkdir -p "$work/root/c/tolvik"
bitmap=$work/root/c/tolvik/Zentrova.bmp
read -r width height < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')

# A desktop picture with a magenta square in the middle: the first frame shows it at the
# screen's centre.
desktop=$work/desktop.png
"$(dirname "$0")/../../tools/make-desktop.sh" "$width" "$height" "$desktop"
convert "$desktop" -fill '#c03090' \
  -draw "rectangle $((width * 35 / 100)),$((height * 35 / 100)) $((width * 65 / 100)),$((height * 65 / 100))" \
  -type truecolor "BMP3:$bitmap"

echo "A readable bitmap is shown until Escape"
start=$(now_ms)
wine "$bin/Velmora.dll" &
renderer=$!
id=$(wait_window Zentrova_VC 30) || fail "no window Zentrova_VC"
shown=$(now_ms)
first=
while [ $(( $(now_ms) - start )) -lt 30000 ]; do
  if near "$(pixel $((width / 2)) $((height / 2)))" "192 48 144" 40; then
    first=$(now_ms)
    break
  fi
  sleep 0.05
done
[ -n "$first" ] || { screenshot "$artifacts/renderer-no-frame.png"; fail "the picture never appeared"; }
sleep 1.5
screenshot "$artifacts/renderer.png"
echo "window after $((shown - start)) ms, first frame after $((first - start)) ms (${width}x${height})" |
  tee "$artifacts/renderer-timing.txt"
xdotool key --window "$id" Escape 2>/dev/null
wait_exit "$renderer" 20 || fail "Escape did not end the renderer"
[ "$exit_code" = 0 ] || fail "the renderer ended with $exit_code after Escape"

echo "An unreadable bitmap gives the Error box and exit code 1"
printf 'BM this is no bitmap' >"$bitmap"
wine "$bin/Velmora.dll" &
renderer=$!
id=$(wait_window Error 30) || fail "no Error box"
sleep 0.5
screenshot "$artifacts/renderer-error.png"
xdotool key --window "$id" Return 2>/dev/null
wait_exit "$renderer" 20 || fail "the Error box did not end the renderer"
[ "$exit_code" = 1 ] || fail "the renderer ended with $exit_code after the Error box"

echo "A missing bitmap does the same"
rm -f "$bitmap"
wine "$bin/Velmora.dll" &
renderer=$!
id=$(wait_window Error 30) || fail "no Error box for a missing bitmap"
xdotool key --window "$id" Return 2>/dev/null
wait_exit "$renderer" 20 || fail "the Error box did not end the renderer"
[ "$exit_code" = 1 ] || fail "the renderer ended with $exit_code for a missing bitmap"
no_window Zentrova_VC || fail "a renderer window is left over"

echo "A missing bitmap under a long root: the box's lines fit the screen, with the pointer at its edge"
long=$work/$(printf 'r%.0s' $(seq 150))/velmora
mkdir -p "$long/c/tolvik"
xdotool mousemove $((width - 4)) 4
VELMORA_ROOT=$(windows_path "$long") wine "$bin/Velmora.dll" &
renderer=$!
id=$(wait_window Error 30) || fail "no Error box for a long root"
sleep 0.5
screenshot "$artifacts/renderer-error-long-path.png"
eval "$(xdotool getwindowgeometry --shell "$id")"
echo "box at ${X},${Y}, ${WIDTH}x${HEIGHT} on ${width}x${height}"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$width" ] && [ $((Y + HEIGHT)) -le "$height" ] ||
  fail "the box for a long path is not wholly on the screen"
xdotool key --window "$id" Return 2>/dev/null
wait_exit "$renderer" 20 || fail "the Error box did not end the renderer"
[ "$exit_code" = 1 ] || fail "the renderer ended with $exit_code for a missing bitmap"
echo "ok"

#!/usr/bin/env bash
# A screensaver run over two monitors under Wine. Wine's display driver takes its monitors from
# RandR 1.4's outputs, which Xvfb has one of; told not to use RandR it asks Xinerama, which the X
# server answers from its RandR 1.5 monitors. So the session's screen is split with
# `xrandr --setmonitor` into two monitors of unequal sizes, and Wine's UseXRandR is off for this
# test (both are undone at its end). The hand-off bitmap must hold both monitors where they are
# and black where neither shows; during the run each monitor shows its own desktop near its
# corners, where nothing moves; Escape ends both programs.
#   monitors_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@" Velmora.scr Velmora.dll
bitmap=$work/root/c/tolvik/Zentrova.bmp
read -r width height < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')

# Two monitors: the left one the full height, the right one shorter and lower.
lw=$((width * 6 / 10)) rw=$((width - width * 6 / 10)) rh=$((height * 7 / 10)) ry=$((height / 8))
monitors=("0 0 $lw $height" "$lw $ry $rw $rh")
restore() {
  xrandr --delmonitor VELMORA_R >/dev/null 2>&1 || true
  xrandr --delmonitor VELMORA_L >/dev/null 2>&1 || true
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
}
trap restore EXIT
xrandr --setmonitor VELMORA_L "$lw/100x$height/100+0+0" screen >/dev/null
xrandr --setmonitor VELMORA_R "$rw/100x$rh/100+$lw+$ry" none >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true  # the next start reads the monitors anew

# Each monitor's desktop in four coloured quarters, white where no monitor shows.
colours=("192 48 32" "32 160 64" "32 64 192" "224 208 64" "128 32 160" "32 192 192" "240 128 0"
  "96 96 96")
desktop=$work/desktop.png
draw=()
for m in 0 1; do
  read -r x y w h <<<"${monitors[$m]}"
  for q in 0 1 2 3; do
    qx=$((x + (q % 2) * (w / 2))) qy=$((y + (q / 2) * (h / 2)))
    qw=$(((q % 2) ? w - w / 2 : w / 2)) qh=$(((q / 2) ? h - h / 2 : h / 2))
    read -r r g b <<<"${colours[$((m * 4 + q))]}"
    draw+=(-fill "rgb($r,$g,$b)" -draw "rectangle $qx,$qy $((qx + qw - 1)),$((qy + qh - 1))")
  done
done
convert -size "${width}x${height}" xc:white "${draw[@]}" -type truecolor "$desktop"
display -window root "$desktop" || true

# bitmap_pixel X Y: the hand-off bitmap's colour at (X, Y) as "R G B".
bitmap_pixel() {
  convert "$bitmap" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | head -n1 |
    awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}
# probes_match: every monitor shows its corner quarters 5 % in from the sides and 7 % in from
# top and bottom, and black above the picture's corner (the desktop is not black there).
probes_match() {
  local m q x y w h px py
  for m in 0 1; do
    read -r x y w h <<<"${monitors[$m]}"
    for q in 0 1 2 3; do
      px=$((x + ((q % 2) ? w - 1 - w * 5 / 100 : w * 5 / 100)))
      py=$((y + ((q / 2) ? h - 1 - h * 7 / 100 : h * 7 / 100)))
      near "$(pixel "$px" "$py")" "${colours[$((m * 4 + q))]}" 8 || return 1
    done
    near "$(pixel $((x + w * 5 / 100)) $((y + 1)))" "0 0 0" 8 || return 1
  done
}

echo "Wine sees two monitors; /s writes both into one bitmap"
wine "$work/program/Velmora.scr" /s &
run=$!
id=$(wait_window Zentrova_VC 60) || fail "no window Zentrova_VC"
[ "$(identify -format '%w %h' "$bitmap")" = "$width $height" ] ||
  fail "the bitmap is $(identify -format '%w %h' "$bitmap"), not the monitors' ${width}x${height}"
for m in 0 1; do
  read -r x y w h <<<"${monitors[$m]}"
  for q in 0 1 2 3; do
    px=$((x + ((q % 2) ? w - 2 : 1))) py=$((y + ((q / 2) ? h - 2 : 1)))
    near "$(bitmap_pixel "$px" "$py")" "${colours[$((m * 4 + q))]}" 8 ||
      fail "bitmap: monitor $m quarter $q at $px,$py is $(bitmap_pixel "$px" "$py")"
  done
done
near "$(bitmap_pixel $((lw + rw / 2)) $((ry / 2)))" "0 0 0" 0 ||
  fail "the bitmap is not black where no monitor shows"

echo "Each monitor shows its own desktop about its own centre"
limit=$(($(now_ms) + 30000))
until probes_match; do
  [ "$(now_ms)" -lt "$limit" ] || {
    screenshot "$artifacts/monitors-wrong.png"
    fail "the monitors do not show their own corners"
  }
  sleep 0.1
done
for shot in 1 2 3; do
  screenshot "$artifacts/monitors-$shot.png"
  probes_match || fail "screenshot $shot: a monitor's corners changed"
done

echo "Escape ends both programs"
xdotool key --window "$id" Escape 2>/dev/null
wait_exit "$run" 20 || fail "Escape did not end the run"
[ "$exit_code" = 0 ] || fail "Velmora.scr ended with $exit_code after Escape"
echo "ok"

#!/usr/bin/env bash
# A screensaver run, Velmora.scr /s, under Wine: the hand-off bitmap it writes holds the pattern
# painted on the screen, the renderer's window "Zentrova_VC" shows it, a second /s during the run
# ends at once, three /s at the same instant make one run, a killed host takes its renderer
# along, and Escape ends both programs, also when the music file set is one the system
# can't play (a broken WAV or MP3). A working folder that others may write gets no
# bitmap, so the host shows its "Error" box and the run ends without a renderer. Saves a screenshot of the run
# and the time from /s to the first frame in the artifacts.
#   run_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@" Velmora.scr Velmora.dll
bitmap=$work/root/c/tolvik/Zentrova.bmp
read -r width height < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
magenta="192 48 144"

# The desktop: a generated picture with a magenta square in the middle, as the root window's
# background (what Wine's screen capture reads).
desktop=$work/desktop.png
"$(dirname "$0")/../../tools/make-desktop.sh" "$width" "$height" "$desktop"
convert "$desktop" -fill '#c03090' \
  -draw "rectangle $((width * 35 / 100)),$((height * 35 / 100)) $((width * 65 / 100)),$((height * 65 / 100))" \
  -type truecolor "$desktop"
centre() { pixel $((width / 2)) $((height / 2)); }
wait_colour() {  # wait_colour "R G B" SECONDS: until the screen's centre shows that colour
  local limit=$(($(now_ms) + $2 * 1000))
  while [ "$(now_ms)" -lt "$limit" ]; do
    near "$(centre)" "$1" 40 && return 0
    sleep 0.05
  done
  return 1
}

# wait_file FILE SECONDS: until FILE exists (the bitmap is written beside and renamed into place).
wait_file() {
  local limit=$(($(now_ms) + $2 * 1000))
  until [ -f "$1" ]; do
    [ "$(now_ms)" -lt "$limit" ] || return 1
    sleep 0.02
  done
}

# start_run: puts the desktop picture on the screen, starts Velmora.scr /s (pid in $run) and
# returns once the renderer shows its first frame, with its window in $id and the times from
# the start to the window and to the first frame in $shown_ms and $first_ms.
start_run() {
  display -window root "$desktop" || true  # sets the background, then reports 1 all the same
  wait_colour "$magenta" 20 || fail "the desktop picture is not on the screen"
  rm -f "$bitmap"
  local start shown
  start=$(now_ms)
  wine "$work/program/Velmora.scr" /s &
  run=$!
  wait_file "$bitmap" 30 || fail "no hand-off bitmap"
  # From now on the desktop's centre is green: magenta there again is the renderer's first frame.
  xsetroot -solid '#00ff00'
  id=$(wait_window Zentrova_VC 30) || fail "no window Zentrova_VC"
  shown=$(now_ms)
  wait_colour "$magenta" 30 || {
    screenshot "$artifacts/run-no-frame.png"
    fail "the renderer never showed the picture"
  }
  shown_ms=$((shown - start)) first_ms=$(($(now_ms) - start))
}

# end_run: Escape ends both programs, Velmora.scr with exit code 0.
end_run() {
  xdotool key --window "$id" Escape 2>/dev/null
  wait_exit "$run" 20 || fail "Escape did not end the run"
  [ "$exit_code" = 0 ] || fail "Velmora.scr ended with $exit_code after Escape"
  local limit=$(($(now_ms) + 10000))
  until no_window Zentrova_VC; do
    [ "$(now_ms)" -lt "$limit" ] || fail "the renderer's window outlived the run"
    sleep 0.05
  done
}

echo "/s writes the screen to the hand-off bitmap and the renderer shows it"
start_run
echo "window after $shown_ms ms, first frame after $first_ms ms (${width}x${height})" |
  tee "$artifacts/run-timing.txt"
differing=$(compare -metric AE -fuzz 2% "$bitmap" "$desktop" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the hand-off bitmap differs from the desktop in $differing pixels"
sleep 1.5  # the picture has begun to bend
screenshot "$artifacts/run.png"

echo "A second /s during the run ends at once"
wine "$work/program/Velmora.scr" /s &
second=$!
wait_exit "$second" 20 || fail "a second /s did not end"
kill -0 "$run" 2>/dev/null || fail "the first run ended too"
[ "$(xdotool search --name '^Zentrova_VC$' | wc -l)" = 1 ] || fail "a second renderer window"

echo "Escape ends both programs"
end_run

echo "A killed host takes its renderer along (the job object), and the next /s makes one run"
start_run
kill -KILL "$run"
wait "$run" 2>/dev/null || true
limit=$(($(now_ms) + 10000))
until no_window Zentrova_VC; do
  [ "$(now_ms)" -lt "$limit" ] || fail "the renderer outlived its killed host"
  sleep 0.05
done
echo "renderer gone $(($(now_ms) + 10000 - limit)) ms after the kill" | tee "$artifacts/run-killed-host.txt"
start_run
end_run

echo "Three /s released at the same instant make one run (the named mutex)"
rm -f "$work/gate" && mkfifo "$work/gate"
exec 9<>"$work/gate"  # held open: a start that opens it late still finds its byte
starts=()
for _ in 1 2 3; do
  (read -r _ <"$work/gate" && exec wine "$work/program/Velmora.scr" /s) &
  starts+=($!)
done
printf '\n\n\n' >&9
id=$(wait_window Zentrova_VC 30) || fail "no window Zentrova_VC"
running=3
limit=$(($(now_ms) + 20000))
while [ "$running" -gt 1 ]; do
  [ "$(now_ms)" -lt "$limit" ] || fail "$running runs of three simultaneous starts"
  running=0
  for pid in "${starts[@]}"; do kill -0 "$pid" 2>/dev/null && running=$((running + 1)); done
  sleep 0.05
done
[ "$(xdotool search --name '^Zentrova_VC$' | wc -l)" = 1 ] || fail "more than one renderer window"
for pid in "${starts[@]}"; do
  if kill -0 "$pid" 2>/dev/null; then run=$pid; else wait "$pid" || fail "a losing start ended with $?"; fi
done
exec 9>&-
end_run

# The settings file beside the program, in the Japanese code page its key names are written in.
write_settings() {  # write_settings MODE FILE
  printf '[Section]\r\nBGM区分=%s\r\nBGMﾌｧｲﾙ=%s\r\n' "$1" "$2" |
    iconv -f UTF-8 -t SHIFT_JIS >"$work/program/Velmora.ini"
}
echo "Music files the system can't play hold nothing up: the run goes on and ends on Escape"
for kind in wav mp3; do
  printf 'RIFF\x10\0\0\0WAVEbroken' >"$work/broken.$kind"
  write_settings 2 "$(windows_path "$work/broken.$kind")"
  start_run
  end_run
done
rm -f "$work/program/Velmora.ini"

echo "A working folder others may write gets no bitmap: the host's Error box, no renderer, status 1"
rm -rf "$work/root" && mkdir -p "$work/root" && chmod 0777 "$work/root"
wine "$work/program/Velmora.scr" /s &
run=$!
id=$(wait_window Error 30) || fail "no Error box"
[ ! -e "$bitmap" ] || fail "a bitmap was written into a folder others may write"
no_window Zentrova_VC || fail "a renderer was started without a picture"
screenshot "$artifacts/run-error.png"
xdotool key --window "$id" Return 2>/dev/null
wait_exit "$run" 20 || fail "the run did not end after the Error box"
[ "$exit_code" = 1 ] || fail "Velmora.scr ended with $exit_code after a picture it could not save"
no_window Zentrova_VC || fail "a renderer window is left over"
echo "ok"

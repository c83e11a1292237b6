#!/usr/bin/env bash
# The settings dialog Velmora.scr /c under Wine: "<Velmora>" opens with a 496x246 client area,
# a second start ends at once, a right-button click on a radio label and Settings write the
# choice to the Velmora.ini beside the program (on a Japanese and on a western system), and
# Cancel writes nothing; on German, French, Spanish, Brazilian Portuguese and English systems the
# captions are that language's, and a failed save on a German one shows a box titled "Fehler".
# Saves screenshots of the dialog (dialog-<locale>.png) and the box in the artifacts.
#   dialog_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@" Velmora.scr
# On a Japanese system: Wine's ANSI code page is then 932, which carries the settings file's
# key names and any Japanese value.
jwine() { env LC_ALL=ja_JP.UTF-8 wine "$@"; }
runner=jwine
ini=$work/program/Velmora.ini

# Client points that the test clicks, as the dialog lays them out.
label_file=(60 120)  # "MP3、WAV"
label_cd=(60 80)     # "音楽CD"
settings=(362 212)
cancel=(442 212)

open_dialog() {
  $runner "$work/program/Velmora.scr" /c &
  dialog=$!
  id=$(wait_window '<Velmora>' 30) || fail "no window <Velmora>"
  # The form is made hidden, then placed and shown: wait until it is on the screen.
  local limit=$(($(now_ms) + 20000))
  until xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; do
    [ "$(now_ms)" -lt "$limit" ] || fail "the dialog was never shown"
    sleep 0.05
  done
  sleep 0.5  # painted
  eval "$(xdotool getwindowgeometry --shell "$id")"
}

click() {  # click X Y [BUTTON]
  xdotool mousemove $((X + $1)) $((Y + $2)) sleep 0.2 click "${3:-1}" sleep 0.3
}

# The settings file in UTF-8 without carriage returns (its key names are Shift-JIS bytes), and
# without blanks before values: the system's profile calls write the file, and Wine's drop the
# blank that the design's numbers start with (" 2") where Windows keeps it.
ini_text() { iconv -f SHIFT_JIS -t UTF-8 "$ini" | tr -d '\r' | sed 's/= */=/'; }

echo "The dialog opens with its client size, and a second start ends at once"
open_dialog
[ "$WIDTH" = 496 ] && [ "$HEIGHT" = 246 ] || fail "client area ${WIDTH}x${HEIGHT}, not 496x246"
# The outer window stands centred, a third of the free height from the top; without a window
# manager the X window is the client area, inside the frame Wine reckons with.
[ "$X" -ge $(((1024 - 496) / 2)) ] && [ "$X" -le $(((1024 - 496) / 2 + 8)) ] &&
  [ "$Y" -ge $(((768 - 246) / 3)) ] && [ "$Y" -le $(((768 - 246) / 3 + 40)) ] ||
  fail "placed at $X,$Y"
screenshot "$artifacts/dialog.png" "$id"
jwine "$work/program/Velmora.scr" /c &
second=$!
wait_exit "$second" 20 || fail "a second /c did not end"
kill -0 "$dialog" 2>/dev/null || fail "the first dialog ended too"

echo "A right click on the file kind's label, then Settings, writes the choice"
click "${label_file[@]}" 3
screenshot "$artifacts/dialog-file-kind.png" "$id"
click "${settings[@]}"
wait_exit "$dialog" 20 || fail "Settings did not close the dialog"
[ -f "$ini" ] || fail "Settings wrote no Velmora.ini"
expected=$'[Section]\nBGM区分=2\nBGMﾘﾋﾟｰﾄ=0\nBGMﾌｧｲﾙ='
[ "$(ini_text)" = "$expected" ] || fail "Velmora.ini holds: $(ini_text)"

echo "Cancel after another choice writes nothing"
before=$(md5sum <"$ini")
open_dialog
click "${label_cd[@]}"
click "${cancel[@]}"
wait_exit "$dialog" 20 || fail "Cancel did not close the dialog"
[ "$(md5sum <"$ini")" = "$before" ] || fail "Cancel changed Velmora.ini: $(ini_text)"

echo "On a western system (code page 1252) Settings writes the same keys"
rm -f "$ini"
runner=wine
open_dialog
click "${label_file[@]}" 3
click "${settings[@]}"
wait_exit "$dialog" 20 || fail "Settings did not close the dialog"
[ "$(ini_text)" = "$expected" ] || fail "Velmora.ini holds: $(ini_text 2>&1)"
no_window '<Velmora>' || fail "a dialog window is left over"
echo "In the user's language: German, French, Spanish, Brazilian Portuguese and English captions"
# The dialog of the Japanese system above is the design; each other language changes its
# captions, and its buttons still work where they are.
design=$artifacts/dialog.png
for locale in de_DE fr_FR es_ES pt_BR en_US; do
  runner="env LC_ALL=$locale.UTF-8 wine"
  open_dialog
  screenshot "$artifacts/dialog-$locale.png" "$id"
  changed=$(compare -metric AE "$design" "$artifacts/dialog-$locale.png" null: 2>&1 || true)
  [ "${changed%% *}" -gt 500 ] 2>/dev/null || fail "the $locale dialog shows the design's captions"
  click "${cancel[@]}"
  wait_exit "$dialog" 20 || fail "Cancel did not close the $locale dialog"
done

echo "A failed save on a German system: a box titled Fehler, and the dialog stays open"
rm -f "$ini" && mkdir "$ini"
runner="env LC_ALL=de_DE.UTF-8 wine"
open_dialog
click "${label_cd[@]}"
click "${settings[@]}"
box=$(wait_window 'Fehler' 20) || fail "no box titled Fehler"
sleep 0.5  # painted
screenshot "$artifacts/dialog-save-failed-de_DE.png"
kill -0 "$dialog" 2>/dev/null || fail "the dialog ended with the box"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
click "${cancel[@]}"
wait_exit "$dialog" 20 || fail "Cancel did not close the dialog after the box"
rmdir "$ini"
no_window '<Velmora>' || fail "a dialog window is left over"
echo "ok"

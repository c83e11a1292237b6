#!/usr/bin/env bash
# The preview Velmora.scr /p <hwnd> under Wine: the form "Preview Window" becomes a child of a
# parent window made by preview_parent.exe, filling its client area, and the program ends when
# that window is destroyed. (Wine does not show a child window that another process paints, so
# the parent reports its children instead of the test reading the picture off the screen.)
#   preview_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@"

echo "The preview becomes a child filling the parent's client area"
wine "$bin/preview_parent.exe" 152 112 15000 >"$work/parent.txt" &
parent=$!
wait_window 'Velmora Preview Parent' 30 >/dev/null || fail "no parent window"
for _ in $(seq 100); do [ -s "$work/parent.txt" ] && break; sleep 0.05; done
handle=$(head -n1 "$work/parent.txt" | tr -d '\r\n')
[ -n "$handle" ] || fail "the parent printed no handle"
wine "$bin/Velmora.scr" /p "$handle" &
preview=$!
embedded=
for _ in $(seq 120); do
  if grep -q '^child Preview Window 152x112 0,0' "$work/parent.txt"; then
    embedded=1
    break
  fi
  sleep 0.1
done
[ -n "$embedded" ] || fail "no preview child in the parent: $(tail -n +2 "$work/parent.txt")"
kill -0 "$preview" 2>/dev/null || fail "the preview ended while its parent was there"

echo "The preview ends when the parent's window is destroyed"
wait_exit "$parent" 30 || fail "the parent did not end"
wait_exit "$preview" 10 || fail "the preview outlived its parent"
echo "ok"

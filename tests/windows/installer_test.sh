#!/usr/bin/env bash
# The installer under Wine, as a user runs it. Its first page speaks the user's language (German
# here, kept as a screenshot). Its silent install puts both programs and their documents side by
# side in the user's programs folder, makes Velmora the user's screen saver and registers its
# uninstaller; the installed Velmora.scr /s runs and Escape ends it. The silent uninstall removes
# the programs and the entry, leaves a screen saver setting that names another program and the
# user's settings file alone, and sets the screen saver back to none while it still names Velmora.
#   installer_test.sh BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_test "$@"
setup=$(ls "$bin"/../Velmora-*-setup.exe 2>/dev/null | head -n1 || true)
[ -f "$setup" ] || fail "no Velmora-<version>-setup.exe beside $bin"
version=$(basename "$setup" | sed 's/^Velmora-\(.*\)-setup\.exe$/\1/')

desktop_key='HKCU\Control Panel\Desktop'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
other_saver='C:\windows\system32\other.scr'

# reg_value KEY NAME: the value's data, nothing when it is not there.
reg_value() {
  { wine reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
set_saver() { wine reg add "$desktop_key" /v SCRNSAVE.EXE /d "$1" /f >/dev/null 2>&1; }

local_app_data=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
folder_win="$local_app_data\\Programs\\Velmora"
folder=$(winepath -u "$folder_win" 2>/dev/null)
folder=${folder%/}
[ -n "$local_app_data" ] && [ -n "$folder" ] || fail "no %LOCALAPPDATA% in the Wine prefix"

# The prefix is shared with the other tests: what this one changes is put back at its end.
saved_saver=$(reg_value "$desktop_key" SCRNSAVE.EXE)
restore() {
  rm -rf "$folder"
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  if [ -n "$saved_saver" ]; then
    set_saver "$saved_saver"
  else
    wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1 || true
  fi
}
trap restore EXIT
restore

# uninstalled: until the uninstaller, which goes on from a copy of itself after its start has
# ended, has removed the programs and the entry (at most 60 s).
uninstalled() {
  local limit=$(($(now_ms) + 60000))
  while [ -e "$folder/Velmora.scr" ] || [ -e "$folder/uninstall.exe" ] ||
    [ -n "$(reg_value "$uninstall_key" DisplayName)" ]; do
    [ "$(now_ms)" -lt "$limit" ] || return 1
    sleep 0.2
  done
}
install_silently() {
  timeout 120 wine "$(windows_path "$setup")" /S || fail "the silent install ended with $?"
}

echo "The installer's first page speaks German to a German user"
env LC_ALL=de_DE.UTF-8 wine "$(windows_path "$setup")" &
installer=$!
# Its German caption; an English one would be "Velmora Setup".
id=$(wait_window "Installation von Velmora" 30) || fail "no window \"Installation von Velmora\""
# Until the page is painted: more than a handful of colours (text, picture, buttons).
limit=$(($(now_ms) + 15000))
until screenshot "$artifacts/installer-de.png" "$id" &&
  [ "$(convert "$artifacts/installer-de.png" -format %k info:)" -gt 50 ]; do
  [ "$(now_ms)" -lt "$limit" ] || fail "the installer's first page was not painted"
  sleep 0.2
done
xdotool key --window "$id" Escape 2>/dev/null
wait_exit "$installer" 20 || fail "Escape did not end the installer"
[ ! -e "$folder" ] || fail "the cancelled installer left $folder"

echo "A silent install puts Velmora in place as the user's screen saver, with its uninstaller"
set_saver "$other_saver"
install_silently
for file in Velmora.scr Velmora.dll INSTALL.txt LICENSE.txt uninstall.exe; do
  [ -f "$folder/$file" ] || fail "the install holds no $file"
done
cmp -s "$folder/Velmora.scr" "$bin/Velmora.scr" || fail "the installed Velmora.scr is not the built one"
cmp -s "$folder/Velmora.dll" "$bin/Velmora.dll" || fail "the installed Velmora.dll is not the built one"
grep -q "GNU GENERAL PUBLIC LICENSE" "$folder/LICENSE.txt" || fail "LICENSE.txt is not the licence"
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "$folder_win\\Velmora.scr" ] ||
  fail "SCRNSAVE.EXE is \"$(reg_value "$desktop_key" SCRNSAVE.EXE)\", not the installed Velmora.scr"
[ "$(reg_value "$uninstall_key" DisplayName)" = Velmora ] || fail "no uninstall entry"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "the entry's version"
[ -n "$(reg_value "$uninstall_key" Publisher)" ] || fail "the entry names no publisher"
[ "$(reg_value "$uninstall_key" DisplayIcon)" = "$folder_win\\Velmora.scr,0" ] ||
  fail "the entry's icon is not the program's"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$folder_win\\uninstall.exe\"" ] ||
  fail "the entry's uninstaller"
size=$(reg_value "$uninstall_key" EstimatedSize)
[ $((size)) -gt 100 ] || fail "the entry's size is \"$size\" KiB"

echo "The installed Velmora.scr /s runs, and Escape ends it"
wine "$folder/Velmora.scr" /s &
run=$!
id=$(wait_window Zentrova_VC 30) || fail "no window Zentrova_VC"
xdotool key --window "$id" Escape 2>/dev/null
wait_exit "$run" 20 || fail "Escape did not end the run"
[ "$exit_code" = 0 ] || fail "the installed Velmora.scr ended with $exit_code"

echo "A silent uninstall leaves another screen saver and the user's settings alone"
printf '[Section]\r\nBGM=0\r\n' >"$folder/Velmora.ini"
set_saver "$other_saver"
timeout 60 wine "$folder/uninstall.exe" /S || fail "the silent uninstall ended with $?"
uninstalled || fail "the uninstaller left the programs or the entry"
for file in Velmora.dll INSTALL.txt LICENSE.txt; do
  [ ! -e "$folder/$file" ] || fail "the uninstaller left $file"
done
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "$other_saver" ] ||
  fail "the uninstaller changed another screen saver's setting"
[ "$(cat "$folder/Velmora.ini")" = "$(printf '[Section]\r\nBGM=0\r\n')" ] ||
  fail "the uninstaller did not keep the settings file"

echo "Uninstalled while it is still the screen saver, the setting goes back to none"
install_silently
[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "$folder_win\\Velmora.scr" ] || fail "SCRNSAVE.EXE"
timeout 60 wine "$folder/uninstall.exe" /S || fail "the silent uninstall ended with $?"
uninstalled || fail "the uninstaller left the programs or the entry"
[ -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)" ] ||
  fail "SCRNSAVE.EXE still names \"$(reg_value "$desktop_key" SCRNSAVE.EXE)\""
[ -f "$folder/Velmora.ini" ] || fail "the second uninstall did not keep the settings file"
echo "ok"

#!/usr/bin/env bash
# Runs a command with Velmora's Wine test session around it:
#   wine-session.sh BUILD_FOLDER COMMAND [ARG...]
# A private Xvfb (1024x768, 24 bits) is started on a free display and exported as DISPLAY; the
# Wine prefix BUILD_FOLDER/wineprefix is made once (wineboot) and exported as WINEPREFIX; one
# idle Wine process keeps Wine's own services up meanwhile, so that each test starts in a
# fraction of a second instead of three. Everything started here is ended afterwards, and the
# command's exit code is returned.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 BUILD_FOLDER COMMAND [ARG...]" >&2; exit 2; }
build=$(cd "$1" && pwd)
shift
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
screen=${VELMORA_WINE_SCREEN:-1024x768x24}

xvfb_pid='' keep_pid=''
# A test may already have ended the Wine processes (wineserver -k): a kill that finds nothing
# must not turn the session's status into a failure.
finish() {
  if [ -n "$keep_pid" ]; then kill "$keep_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
}
trap finish EXIT

displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -noreset -nolisten tcp 3>"$displayfd" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$displayfd" ] && break
  sleep 0.1
done
DISPLAY=:$(head -n1 "$displayfd")
rm -f "$displayfd"
[ "$DISPLAY" != ":" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# An idle command prompt reading from a pipe that stays open until the session ends.
mkfifo "$build/.wine-keepalive" 2>/dev/null || true
wine cmd.exe <"$build/.wine-keepalive" >/dev/null 2>&1 &
keep_pid=$!
exec 4>"$build/.wine-keepalive"

status=0
"$@" || status=$?
exec 4>&-
exit $status

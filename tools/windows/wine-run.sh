#!/usr/bin/env bash
# Runs one Windows program under Wine in Velmora's own prefix: wine-run.sh PROGRAM [ARG...].
# The prefix is $WINEPREFIX when set, else <folder above the program's folder>/wineprefix (the
# build folder's, for build-windows/bin/x.exe); it is made on first use, once, even when several
# tests start together. Wine's chatter and its Mono and Gecko prompts are switched off.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARG...]" >&2; exit 2; }
program=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(cd "$(dirname "$program")/.." && pwd)/wineprefix
fi
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# Making the prefix writes system.reg last: its presence means the prefix is complete.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$program" "$@"

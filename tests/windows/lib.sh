# shellcheck shell=bash
# Shared helpers of the Wine tests (sourced): run Velmora's Windows programs on the session's
# display (tools/windows/wine-session.sh exports DISPLAY and WINEPREFIX) and watch them with
# xdotool and ImageMagick. Tests print what they check and end with fail() on the first fault.

# A test without the session's display or prefix is skipped (ctest's SKIP_RETURN_CODE).
require_session() {
  if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "skipped: run through tools/windows/wine-session.sh"
    exit 77
  fi
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

# wait_window TITLE SECONDS: prints the X id of the first window titled exactly TITLE once one
# exists; fails after SECONDS.
wait_window() {
  local title=$1 limit=$(( $(now_ms) + $2 * 1000 )) id
  while [ "$(now_ms)" -lt "$limit" ]; do
    id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# no_window TITLE: true when no window is titled exactly TITLE.
no_window() {
  [ -z "$(xdotool search --name "^${1}\$" 2>/dev/null || true)" ]
}

# pixel X Y: the screen's colour at (X, Y) as "R G B" (0-255).
pixel() {
  import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' | head -n1 |
    awk '{ printf "%d %d %d\n", $1, $2, $3 }'
}

# near "R G B" "R G B" TOLERANCE: true when every channel differs by at most TOLERANCE.
near() {
  local a b i
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  for i in 0 1 2; do
    local d=$(( ${a[$i]:-999} - ${b[$i]:-0} ))
    [ "${d#-}" -le "$3" ] || return 1
  done
}

# screenshot FILE [WINDOW]: saves the screen (or one window) as a picture.
screenshot() {
  if [ -n "${2:-}" ]; then
    import -silent -window "$2" "$1"
  else
    import -silent -window root "$1"
  fi
}

# wait_exit PID SECONDS: waits for the background job PID (of this shell, so not from a
# command substitution) and sets exit_code; fails, killing it, after SECONDS.
wait_exit() {
  local pid=$1 limit=$(( $(now_ms) + $2 * 1000 ))
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$(now_ms)" -ge "$limit" ]; then
      kill "$pid" 2>/dev/null
      return 1
    fi
    sleep 0.05
  done
  exit_code=0  # read by the tests
  wait "$pid" || exit_code=$?
}

# A Windows path for a Linux one (Wine maps / to drive Z:).
windows_path() { winepath -w "$1" 2>/dev/null; }

# fresh_work FOLDER: FOLDER emptied, with FOLDER/root as the programs' private root
# (VELMORA_ROOT exported as its Windows path).
fresh_work() {
  rm -rf "$1" && mkdir -p "$1/root"
  VELMORA_ROOT=$(windows_path "$1/root")
  export VELMORA_ROOT
}

# start_test BIN_FOLDER ARTIFACT_FOLDER WORK_FOLDER [PROGRAM...]: what every test does first.
# Skips without the session, sets bin, artifacts and work, makes the artifact folder and a fresh
# working folder, and copies the named programs of BIN_FOLDER into $work/program (when any are
# named), so that each run has a program folder of its own.
start_test() {
  require_session
  bin=$1 artifacts=$2 work=$3
  shift 3
  mkdir -p "$artifacts"
  fresh_work "$work"
  [ $# -eq 0 ] && return 0
  mkdir -p "$work/program"
  local program
  for program in "$@"; do cp "$bin/$program" "$work/program/"; done
}

#!/usr/bin/env bash
# The Windows portability check: compiles every source that must build on Windows (host/, forms/,
# renderer/, shared/ and platform/ outside its system backend folders) with Debian's mingw-w64
# g++ for syntax only, with freeglut's headers from Debian's freeglut source package. Fails on
# any error or warning, except in the files of tools/windows-syntax-pending.txt, which are known
# to fail for now; a pending file that compiles fails the check too, so that the list shrinks.
#   tools/check-windows-syntax.sh [build folder]     (default: build/ beside the sources)
# Installs the compiler and fetches the freeglut source on first use (needs root or sudo); the
# source is kept in <build folder>/windows-syntax/ for later runs.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$here/build}" && cd "${1:-$here/build}" && pwd)
cache=$build/windows-syntax
pending_list=$here/tools/windows-syntax-pending.txt
cxx=x86_64-w64-mingw32-g++-posix
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

# Folders whose sources talk to one system or toolkit only; they never build for Windows here.
backend_folders='^(platform/(x11|wayland|dbus|glib|posix|sound|fltk|win32)|forms/(fltk|win32))/'

ensure_compiler() {
  command -v "$cxx" >/dev/null && return 0
  echo "Installing the mingw-w64 compiler..."
  $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends \
    g++-mingw-w64-x86-64-posix >/dev/null
}

# Source entries ("Types: deb-src") beside the binary ones, unless some are there already.
ensure_source_entries() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
    return 0
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/velmora-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/velmora-deb-src.list >/dev/null
  fi
  $sudo apt-get update -qq
}

# Prints the include folder of the freeglut source, fetching it on first use.
freeglut_include() {
  local found
  found=$(ls -d "$cache"/freeglut-*/include 2>/dev/null | head -1)
  if [ -z "$found" ]; then
    ensure_source_entries >&2
    mkdir -p "$cache"
    # Unpacked without dpkg-source: only the headers are needed.
    (cd "$cache" && apt-get source --download-only -qq freeglut >&2 &&
      tar -xzf freeglut_*.orig.tar.gz --wildcards '*/include/GL/*' >&2) || return 1
    found=$(ls -d "$cache"/freeglut-*/include 2>/dev/null | head -1)
  fi
  [ -n "$found" ] && echo "$found"
}

sources() {
  (cd "$here" && git ls-files --cached --others --exclude-standard -- \
    'host/*.cpp' 'forms/*.cpp' 'renderer/*.cpp' 'platform/*.cpp' 'shared/*.cpp' | grep -Ev "$backend_folders")
}

pending() {
  [ -f "$pending_list" ] && grep -Ev '^[[:space:]]*(#|$)' "$pending_list" || true
}

check() {
  local include=$1 failures=0 compiled=0 file
  local -A expected=()
  for file in $(pending); do expected[$file]=1; done
  for file in "${!expected[@]}"; do
    [ -f "$here/$file" ] || { echo "PENDING BUT GONE: $file (take it off $pending_list)"; failures=$((failures + 1)); }
  done
  mkdir -p "$cache/logs"
  for file in $(sources); do
    local log=$cache/logs/${file//\//_}.log
    if (cd "$here" && "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I. -I"$include" \
          -I"$build/generated" "$file") >"$log" 2>&1; then
      compiled=$((compiled + 1))
      if [ -n "${expected[$file]:-}" ]; then
        echo "NOW COMPILES: $file (take it off $pending_list)"; failures=$((failures + 1))
      fi
    elif [ -n "${expected[$file]:-}" ]; then
      echo "pending: $file"
    else
      echo "FAILED: $file"; grep -m5 -E 'error|warning' "$log" | sed 's/^/  /'
      failures=$((failures + 1))
    fi
  done
  echo "$compiled sources compile for Windows"
  return "$failures"
}

ensure_compiler || { echo "check-windows-syntax: could not install $cxx"; exit 1; }
# The headers CMake generates (the embedded files' declarations) come from the build folder,
# configured here when it is not yet.
if [ ! -f "$build/generated/embedded_files.h" ]; then
  cmake -S "$here" -B "$build" >/dev/null ||
    { echo "check-windows-syntax: could not configure $build"; exit 1; }
fi
include=$(freeglut_include) || { echo "check-windows-syntax: no freeglut source"; exit 1; }
check "$include"
failed=$?
if [ "$failed" -ne 0 ]; then
  echo "check-windows-syntax: $failed problem(s)"; exit 1
fi
echo "check-windows-syntax: every source compiles for Windows (pending ones aside)"

#!/usr/bin/env bash
# The Windows build from a fresh Debian 12 machine, run by `./velmora.sh windows`:
#   1. installs the cross compiler, Wine and the test tools (root or sudo; skipped when present),
#   2. fetches Debian's freeglut and googletest source packages and builds them for Windows
#      (static) into <build>/deps, once,
#   3. configures and builds Velmora with cmake/toolchain-mingw64.cmake into <build>,
#   4. checks that both programs need nothing but system DLLs,
#   5. runs the Windows tests under Wine on a private Xvfb (tools/windows/wine-session.sh),
#   6. packs Velmora-<version>-windows-x64.zip; the build made the installer
#      Velmora-<version>-setup.exe beside it (packaging/windows/).
# A second call reuses the packages, the built libraries, the Wine prefix and the build.
# Usage: tools/windows/build.sh [BUILD_FOLDER]   (default: build-windows beside the sources)
# VELMORA_WINDOWS_SKIP_TESTS=1 stops after the zip's inputs are built and checked.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(mkdir -p "${1:-${VELMORA_WINDOWS_BUILD:-$here/build-windows}}" && cd "${1:-${VELMORA_WINDOWS_BUILD:-$here/build-windows}}" && pwd)
deps=$build/deps
jobs=$(nproc)

packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 cmake dpkg-dev xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick
  ca-certificates
  # makensis makes the installer.
  nsis
  # msgfmt compiles the catalogs of po/ that the programs carry.
  gettext
  # What Wine only recommends but the tests need: OpenGL through Mesa, the X extensions its
  # display driver loads, and a Japanese font for the dialog's captions.
  libgl1 libgl1-mesa-dri libxrender1 libxrandr2 libxcursor1 libxi6 libxcomposite1
  libxinerama1 libxxf86vm1 fonts-ipafont-gothic
  # The music test: Wine's PulseAudio driver into a private daemon's null sink, recorded with
  # parec; MP3 through Wine's multimedia layer needs GStreamer's MPEG audio parser and decoder;
  # sox and lame make the test's sounds.
  pulseaudio pulseaudio-utils libpulse0 gstreamer1.0-plugins-good sox lame
)

. "$here/tools/apt.sh"
install_packages() { apt_install "${packages[@]}"; }

# fetch_source PACKAGE: unpacks Debian's source package into $deps/src/PACKAGE-<version>; prints that folder.
fetch_source() {
  local name=$1 dir
  dir=$(find "$deps/src" -maxdepth 1 -type d -name "$name-[0-9]*" 2>/dev/null | head -n1)
  if [ -z "$dir" ]; then
    enable_source_entries
    mkdir -p "$deps/src"
    (cd "$deps/src" && apt-get source -qq "$name" >/dev/null 2>&1) || {
      echo "apt-get source $name failed" >&2
      exit 1
    }
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$name-[0-9]*" | head -n1)
  fi
  echo "$dir"
}

cross_cmake() {
  cmake -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/prefix" "$@"
}

build_freeglut() {
  [ -f "$deps/prefix/lib/libfreeglut_static.a" ] && return 0
  local src
  src=$(fetch_source freeglut)
  echo "Building freeglut for Windows from $(basename "$src")"
  cross_cmake -S "$src" -B "$deps/build-freeglut" -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
    -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF >/dev/null
  cmake --build "$deps/build-freeglut" -j"$jobs" >/dev/null 2>&1
  cmake --install "$deps/build-freeglut" >/dev/null
}

build_googletest() {
  [ -f "$deps/prefix/lib/libgtest.a" ] && return 0
  local src
  src=$(fetch_source googletest)
  echo "Building GoogleTest for Windows from $(basename "$src")"
  cross_cmake -S "$src" -B "$deps/build-googletest" -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$deps/build-googletest" -j"$jobs" >/dev/null
  cmake --install "$deps/build-googletest" >/dev/null
}

build_velmora() {
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$deps/prefix" -DVELMORA_BENCH=OFF \
    "${launcher[@]}" >/dev/null
  cmake --build "$build" -j"$jobs"
}

# Every DLL the two programs import must come with Windows itself.
check_imports() {
  local allowed
  allowed=" $(echo kernel32 user32 gdi32 msvcrt opengl32 glu32 winmm shell32 comctl32 comdlg32 \
    advapi32 ole32 oleaut32 shlwapi uxtheme dwmapi shcore imm32 version windowscodecs |
    sed 's/\([a-z0-9]*\)/\1.dll/g') "
  local bad=0 f dll
  for f in "$build/bin/Velmora.scr" "$build/bin/Velmora.dll"; do
    [ -f "$f" ] || continue
    for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
      case "$allowed" in
        *" $dll "*) ;;
        *) echo "$(basename "$f") needs $dll, which Windows does not have" >&2; bad=1 ;;
      esac
    done
  done
  return $bad
}

make_zip() {
  if [ ! -f "$build/bin/Velmora.scr" ] || [ ! -f "$build/bin/Velmora.dll" ]; then
    echo "No zip: Velmora.scr or Velmora.dll was not built" >&2
    return 1
  fi
  local version zip stage=$build/zip docs=$build/packaging/windows/docs
  version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
  zip=$build/Velmora-$version-windows-x64.zip
  rm -rf "$stage" && mkdir -p "$stage"
  # The documents with Windows' line ends, as the installer carries them.
  cp "$build/bin/Velmora.scr" "$build/bin/Velmora.dll" "$docs/INSTALL.txt" "$docs/LICENSE.txt" \
    "$stage/"
  rm -f "$zip"
  (cd "$stage" && cmake -E tar cf "$zip" --format=zip Velmora.scr Velmora.dll INSTALL.txt \
    LICENSE.txt)
  echo "Made $zip"
  echo "Made $build/Velmora-$version-setup.exe ($(du -k "$build/Velmora-$version-setup.exe" | cut -f1) KiB)"
}

install_packages
build_freeglut
build_googletest
build_velmora
check_imports
if [ "${VELMORA_WINDOWS_SKIP_TESTS:-0}" != 1 ]; then
  # Every test runs once: a test that fails now and then is a fault to mend, not to retry.
  "$here/tools/windows/wine-session.sh" "$build" ctest --test-dir "$build" --output-on-failure \
    -j"$jobs" --timeout 300
fi
make_zip

#!/usr/bin/env bash
# Velmora's one entry point for people and CI on a fresh Debian 12 machine.
#   ./velmora.sh run    install what is missing, build, and run a screensaver run
#   ./velmora.sh test   install what is missing, build, and run every test
#   ./velmora.sh setup  only install the Debian packages and build
#   ./velmora.sh windows  build both programs for Windows, test them under Wine, make the zip
#   ./velmora.sh package-test  build the Debian package, install, run, purge it (root)
#   ./velmora.sh sanitize  build every test with ASan+UBSan (clang) in build-sanitize, run them
# Installing needs root or sudo; it is skipped when every package is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${VELMORA_BUILD:-$here/build}

packages=(
  build-essential cmake pkg-config git ca-certificates
  clang libclang-rt-14-dev llvm-14
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libx11-dev libxfixes-dev libxrandr-dev libxext-dev
  libfltk1.3-dev libsdl2-dev libsdl2-mixer-dev
  libcdio-dev libcdio-cdda-dev libcdio-paranoia-dev libsndfile1-dev
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick icewm
  fonts-ipafont-gothic fonts-dejavu-core
  sox libsox-fmt-mp3 lame xdg-utils
  libpng-dev gettext locales
  libxss-dev dpkg-dev file
  libwayland-dev libegl-dev libegl-mesa0 libsystemd-dev dbus mutter
  sway swaybg xwayland dbus-bin pipewire pipewire-bin util-linux
  xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk wtype grim foot
  wayland-protocols plasma-wayland-protocols
  libglib2.0-dev libglib2.0-bin gsettings-desktop-schemas gnome-settings-daemon-common
)

# What the package test checks the package with.
package_test_packages=(lintian appstream desktop-file-utils)

# The packages above, those missing installed (tools/apt.sh).
. "$here/tools/apt.sh"
install_packages() { apt_install "${packages[@]}" "$@"; }

build() {
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)"
}

case "${1:-}" in
  setup) install_packages; build ;;
  windows)
    "$here/tools/check-windows-syntax.sh" "$build"
    exec "$here/tools/windows/build.sh" ;;
  run) install_packages; build; exec "$here/tools/demo-run.sh" "$build" ;;
  test)
    install_packages; build
    cd "$build"
    # Every test runs once: a test that fails now and then is a fault to mend, not to retry.
    # The display tests start their own X and Wayland servers: a desktop session around them
    # (WAYLAND_DISPLAY) would send the capture to its compositor instead of theirs.
    exec env -u WAYLAND_DISPLAY ctest --output-on-failure -j"$(nproc)" --timeout 300 ;;
  package-test) install_packages "${package_test_packages[@]}"; build; exec "$here/packaging/package-test.sh" "$build" ;;
  sanitize) install_packages; exec "$here/tools/sanitize.sh" "${@:2}" ;;
  *) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac

#!/usr/bin/env bash
# Builds the Debian package and has lintian check it (no error, no warning), installs it with apt,
# validates the installed AppStream metadata and desktop entries, runs the installed `velmora /s`
# from /usr under Xvfb, ends it with Escape, checks the other installed files, then purges the
# package and checks that none of its files is left. Changes the system (root, or sudo for apt), so
# it is not part of ctest. Needs lintian, appstream and desktop-file-utils (velmora.sh installs
# them for package-test).
#   packaging/package-test.sh <build folder>
set -euo pipefail
build=$(cd "${1:?usage: package-test.sh <build folder>}" && pwd)
work=$(mktemp -d)
xvfb_pid=""
run_pid=""

cleanup() {
  [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "package-test: FAILED: $*" >&2; exit 1; }
step() { echo "package-test: $*"; }

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo DEBIAN_FRONTEND=noninteractive"
if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "ok installed"; then
  fail "a velmora package is installed already; remove it first"
fi

step "making the package"
rm -f "$build"/package/velmora_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$build"/package/velmora_*_amd64.deb 2>/dev/null | head -n1)
[ -f "$deb" ] || fail "no velmora_*_amd64.deb in $build/package"
step "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB; $(dpkg-deb -f "$deb" Depends)"
# The dynamic libraries' packages that dpkg-shlibdeps found, beside the fixed ones.
dpkg-deb -f "$deb" Depends | grep -q "libsdl2-mixer" || fail "no shlibs-derived Depends"
for script in postinst postrm; do
  dpkg-deb -I "$deb" "$script" >/dev/null 2>&1 && fail "the package has a $script"
done

step "lintian"
# Every tag of every severity, so that the log shows the informational ones too.
lintian --display-level '>=pedantic' --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
sed 's/^/  /' "$work/lintian.log"
grep -qE '^[EW]: ' "$work/lintian.log" && fail "lintian reports errors or warnings"

# Every path the package holds, for the check after the purge (folders it shares with the rest
# of the system, such as /usr/bin, stay).
dpkg-deb -c "$deb" | awk '{ p = $6; sub(/^\./, "", p); if (p !~ /\/$/) print p }' >"$work/files"

step "installing with apt"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 \
  || { cat "$work/apt.log"; fail "apt-get install"; }
trap '$sudo apt-get purge -y -qq velmora >/dev/null 2>&1 || true; cleanup' EXIT

step "checking the installed layout"
[ "$(readlink /usr/bin/velmora)" = "../lib/velmora/Velmora.scr" ] || fail "bin/velmora link"
for f in /usr/lib/velmora/Velmora.scr /usr/lib/velmora/Velmora.dll /usr/lib/velmora/velmora-idle \
  /usr/lib/velmora/velmora_sound.so /usr/lib/velmora/velmora_message_box.so \
  /usr/share/applications/velmora-settings.desktop /usr/share/man/man1/velmora.1.gz \
  /usr/share/icons/hicolor/48x48/apps/velmora.png /usr/share/systemd/user/velmora-idle.service \
  /usr/share/velmora/velmora-idle.desktop; do
  [ -e "$f" ] || fail "missing $f"
done
grep -qx "Exec=/usr/bin/velmora /c" /usr/share/applications/velmora-settings.desktop \
  || fail "the settings entry does not run velmora /c"
grep -qx "ExecStart=/usr/bin/velmora-idle" /usr/share/systemd/user/velmora-idle.service \
  || fail "the unit does not start /usr/bin/velmora-idle"
velmora-idle --help | grep -q "systemctl --user enable" || fail "velmora-idle --help"
[ ! -e /etc/xdg/autostart/velmora-idle.desktop ] || fail "the companion must not start by itself"

# Manual pages and the change log compressed; the licence in Debian's machine-readable form.
for f in /usr/share/man/man1/velmora.1.gz /usr/share/man/man1/velmora-idle.1.gz \
  /usr/share/doc/velmora/changelog.gz; do
  gzip -t "$f" 2>/dev/null || fail "$f is not a whole gzip file"
done
[ ! -e /usr/share/man/man1/velmora.1 ] || fail "an uncompressed manual page is installed"
head -n1 /usr/share/doc/velmora/copyright | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "the copyright file is not machine-readable"
grep -qx 'License: GPL-3+' /usr/share/doc/velmora/copyright || fail "no GPL-3+ in the copyright file"

step "validating the AppStream metadata and the desktop entries"
metainfo=/usr/share/metainfo/org.example.velmora.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log"; fail "appstreamcli validate"; }
for language in de fr es pt_BR ja; do
  grep -q "<summary xml:lang=\"$language\">" "$metainfo" || fail "no $language summary in $metainfo"
done
grep -q '<launchable type="desktop-id">velmora-settings.desktop</launchable>' "$metainfo" \
  || fail "the metadata does not launch the settings entry"
desktop-file-validate /usr/share/applications/velmora-settings.desktop \
  /usr/share/velmora/velmora-idle.desktop || fail "desktop-file-validate"

step "running the installed velmora /s under Xvfb"
Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export VELMORA_ROOT="$work/root" HOME="$work/home" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"

# An unknown role ends at once.
timeout 5 velmora /x || fail "velmora /x did not end cleanly"

velmora /s &
run_pid=$!
window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^Zentrova_VC$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no renderer window appeared"
[ -s "$VELMORA_ROOT/c/tolvik/Zentrova.bmp" ] || fail "the run captured no screen"
xdotool key --window "$window" Escape >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$run_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$run_pid" 2>/dev/null && fail "the run did not end after Escape"
wait "$run_pid" || fail "the run ended with exit code $?"
run_pid=""
for p in /proc/[0-9]*; do readlink "$p/exe" 2>/dev/null; done | grep -q '^/usr/lib/velmora/' \
  && fail "a Velmora process is left after the run"

step "purging the package"
$sudo apt-get purge -y -qq velmora >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get purge"; }
trap cleanup EXIT
dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "installed" && fail "still installed"
left=$(while read -r f; do [ -e "$f" ] || [ -L "$f" ] && echo "$f"; done <"$work/files" || true)
[ -z "$left" ] || fail "left behind: $left"
[ ! -e /usr/lib/velmora ] && [ ! -e /usr/share/velmora ] || fail "package folders left behind"
step "passed"

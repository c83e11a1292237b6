#!/usr/bin/env bash
# Runs a screensaver run from a build folder: tools/demo-run.sh <build folder> [picture folder]
# On your display when $DISPLAY works (press Escape to end the run). Without one it starts a
# virtual display showing a generated desktop, runs Velmora.scr /s there, saves pictures of the
# run (screenshots, an animated image and, when the build has velmora_render_frames, chosen
# frames of the swirl and the lens) in the picture folder, ends the run with Escape and checks
# that both programs ended. The picture folder defaults to <build folder>/demo-run.
# VELMORA_DEMO_SIZE (default 1024x768) sets the virtual display's size.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
out=${2:-$build/demo-run}
bin=$build/bin
for program in Velmora.scr Velmora.dll; do
  [ -x "$bin/$program" ] || { echo "demo-run: $bin/$program is missing: build first" >&2; exit 1; }
done

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Running on display $DISPLAY: press Escape to end the run."
  exec "$bin/Velmora.scr" /s
fi

size=${VELMORA_DEMO_SIZE:-1024x768}
[[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "demo-run: VELMORA_DEMO_SIZE must look like 1024x768" >&2; exit 2; }
width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]}

# Running and not a zombie: an ended child stays visible to kill -0 until it is waited for.
alive() { [ -r "/proc/$1/status" ] && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"; }

tmp=$(mktemp -d)
xvfb=0 host=0 painter=0
cleanup() {
  # Only what this script started: the run's programs (when still there) and the Xvfb.
  [ "$host" -gt 0 ] && kill -KILL "$host" 2>/dev/null || true
  [ -n "${renderer:-}" ] && kill -KILL "$renderer" 2>/dev/null || true
  [ "$painter" -gt 0 ] && kill "$painter" 2>/dev/null || true
  [ "$xvfb" -gt 0 ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# -displayfd picks a free display number and writes it once the server accepts clients.
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$tmp/displayfd" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$tmp/displayfd" ] && break
  sleep 0.05
done
[ -s "$tmp/displayfd" ] || { echo "demo-run: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(tr -d '[:space:]' <"$tmp/displayfd")

mkdir -p "$out"
# Only the pictures of an earlier demo go: the folder may be one the user named.
rm -f "$out"/run-[0-9][0-9].png "$out"/swirl-*.png "$out"/lens-*.png "$out/run.gif" "$out/desktop.png"
"$here/tools/make-desktop.sh" "$width" "$height" "$out/desktop.png"
# The desktop is a borderless window at (0, 0) beneath everything: a picture painted straight on
# the root window does not survive the first exposure on Xvfb.
display -geometry +0+0 -borderwidth 0 -immutable -title Desktop "$out/desktop.png" 2>/dev/null &
painter=$!
for _ in $(seq 100); do  # until the picture is on the screen, not just the window
  [ "$(import -window root -format '%k' info: 2>/dev/null || echo 0)" -gt 16 ] && break
  sleep 0.1
done

# The run keeps its files in the temporary folder and plays any music into SDL's null output.
VELMORA_ROOT=$tmp/root SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$bin/Velmora.scr" /s &
host=$!

window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^Zentrova_VC$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  alive "$host" || break
  sleep 0.1
done
[ -n "$window" ] || { echo "demo-run: the renderer's window did not appear" >&2; exit 1; }
renderer=$(pgrep -P "$host" -x Velmora.dll | head -n1 || true)
echo "Run on virtual display $DISPLAY (${width}x${height}): host $host, renderer ${renderer:-?}"

# Screenshots of the live run: one phase (201 frames) lasts a few seconds here, so about ten
# seconds of them cover the swirl and the lens.
sleep 0.5
for i in $(seq -w 0 19); do
  import -window root "$out/run-$i.png"
  sleep 0.15
done

xdotool key --window "$window" Escape >/dev/null 2>&1 || true  # the key-up may find it gone
ended=0
for _ in $(seq 50); do
  if ! alive "$host" && { [ -z "${renderer:-}" ] || ! alive "$renderer"; }; then
    ended=1
    break
  fi
  sleep 0.1
done
wait "$host" 2>/dev/null || true
host=0
if [ "$ended" -ne 1 ]; then
  echo "demo-run: the run did not end on Escape" >&2
  exit 1
fi
echo "Escape ended the renderer and the host."
convert -delay 25 -loop 0 "$out"/run-*.png -resize 40% -layers Optimize "$out/run.gif"

# Exact frames of both effects from the run's own captured desktop, when the tool is built: the
# swirl moves in frames 1-201, the lens in frames 202-402.
bitmap=$tmp/root/c/tolvik/Zentrova.bmp
if [ -x "$bin/velmora_render_frames" ] && [ -f "$bitmap" ]; then
  { "$bin/velmora_render_frames" "$bitmap" "$width" "$height" "$out/swirl-#.png" 30 60 120 &&
    "$bin/velmora_render_frames" "$bitmap" "$width" "$height" "$out/lens-#.png" 230 260 330; } \
    >/dev/null 2>&1 || echo "demo-run: velmora_render_frames failed; only screenshots saved" >&2
fi
echo "Pictures of the run: $out"

#!/usr/bin/env bash
# The frame-rate bench on a working folder that others can write: it says why and ends with
# status 1 (before, it showed the renderer's message box and waited for ever).
#   fps_bench_refused_test.sh <renderer_fps_bench>
set -euo pipefail
bench=${1:?renderer_fps_bench}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/c/tolvik"
chmod 0777 "$root/c/tolvik"
status=0
VELMORA_ROOT=$root timeout 60 "$bench" warp 1 2>"$root/said" || status=$?
said=$(cat "$root/said")
[ "$status" -eq 1 ] || { echo "ended with status $status (124: it did not end); said: $said"; exit 1; }
grep -q "working folder refused" <<<"$said" || { echo "did not say why: $said"; exit 1; }
echo "ok: $said"

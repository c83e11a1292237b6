#!/usr/bin/env bash
# The whole test suite built with clang's AddressSanitizer and UndefinedBehaviorSanitizer in its
# own build folder (build-sanitize, or $VELMORA_SANITIZE_BUILD) and run: a memory error, undefined
# behaviour or leak in any test or in any program the tests start fails the run. Only leaks
# inside third-party libraries are suppressed (tools/lsan-suppressions.txt). Arguments go to
# ctest (tools/sanitize.sh -R Preview runs the preview tests only).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_SANITIZE_BUILD:-$here/build-sanitize}
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
link="-fsanitize=address,undefined"

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_BENCH=OFF -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$link" -DCMAKE_SHARED_LINKER_FLAGS="$link" \
  -DCMAKE_MODULE_LINKER_FLAGS="$link" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Mesa's GL driver stays loaded to the end of every program (see the preloaded module's file).
keep=$build/sanitize-keep-gl-driver.so
clang++ -std=c++20 -O1 -shared -fPIC -o "$keep" "$here/tools/sanitize-keep-gl-driver.cpp" -ldl
export LD_PRELOAD="$keep${LD_PRELOAD:+:$LD_PRELOAD}"

# Every sanitized program, the tests and the programs they start alike, writes its report to a
# file of its own in $reports (named after the program and its process id), so a finding in a
# program whose exit status no test looks at still fails the run. A finding ends the program with
# status 23, which none of ours uses, so a test expecting status 1 can't mistake one for it.
reports=$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
common="exitcode=23:log_path=$reports/report:log_exe_name=1"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:$common"
export LSAN_OPTIONS="suppressions=$here/tools/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:$common"
# Sanitized programs start and end several times slower: the tests stretch their time bounds.
# The leak checker of this compiler misreads the thread-local storage of a module loaded at run
# time when the C library places it in the static block's spare room (as it may since glibc
# 2.35): it then reads a bogus range and dies with "Tracer caught signal 11" at the renderer's
# exit. Without that optional placement such storage is dynamic, which the checker reads right.
export GLIBC_TUNABLES="glibc.rtld.optional_static_tls=0${GLIBC_TUNABLES:+:$GLIBC_TUNABLES}"
export VELMORA_TEST_TIME_SCALE=4

cd "$build"
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@" || status=$?
shopt -s nullglob
found=("$reports"/report.*)
if [ ${#found[@]} -gt 0 ]; then
  for f in "${found[@]}"; do
    echo "=== ${f#"$reports"/}"
    cat "$f"
  done
  echo "Sanitizer findings: ${#found[@]} report(s) above, kept in $reports" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"

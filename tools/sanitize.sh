#!/usr/bin/env bash
# The whole test suite built with clang's AddressSanitizer and UndefinedBehaviorSanitizer in its
# own build folder (build-sanitize, or $VELMORA_SANITIZE_BUILD) and run: a memory error, undefined
# behaviour or leak in any test or in the programs the tests start fails that test. Only leaks
# inside third-party libraries are suppressed (tools/lsan-suppressions.txt).
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

# The programs started by the tests inherit these and report into their own standard error.
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$here/tools/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
exec ctest --output-on-failure -j"$(nproc)" --timeout 600

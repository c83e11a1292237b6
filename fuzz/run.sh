#!/usr/bin/env bash
# Fuzzes every target for a while with libFuzzer: fuzz/run.sh [seconds per target, default 300]
# Builds with clang into build-fuzz/; new inputs go to build-fuzz/corpus/<target>, crashes to
# fuzz/findings/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
cmake -S "$here" -B "$here/build-fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build-fuzz" -j"$(nproc)" >/dev/null
mkdir -p "$here/fuzz/findings"
for fuzzer in "$here"/build-fuzz/bin/*_fuzzer; do
  name=$(basename "$fuzzer" _fuzzer)
  seeds=$(find "$here/fuzz" -type d -path "*/corpus/$name" | head -n1)
  work="$here/build-fuzz/corpus/$name"
  mkdir -p "$work"
  echo "== $name ($seconds s)"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$here/fuzz/findings/$name-" \
    "$work" ${seeds:+"$seeds"} 2>&1 | grep -E '^(stat::|#[0-9]+ +DONE|==[0-9]+==ERROR|SUMMARY)' || true
done

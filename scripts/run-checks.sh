#!/usr/bin/env bash
# Sanitizer and fuzzing checks: builds the core and window tests with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs them (the browser test once is enough), then builds the fuzz targets with clang
# and fuzzes each for a short while, starting from the corpus under fuzz/corpus/: the XML
# reader, and a quiz file opened and then saved in every format (save_fuzz).
# Last, the benchmarks are built (not run). FUZZ_SECONDS sets the time per fuzz target
# (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

fuzz_seconds=${FUZZ_SECONDS:-60}

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIRETA_WERROR=ON \
  -DVIRETA_SANITIZE=ON >/dev/null
cmake --build build/asan
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build/asan --output-on-failure -j2 -LE browser

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVIRETA_WERROR=ON -DVIRETA_SANITIZE=ON \
  -DVIRETA_BUILD_FUZZ=ON -DVIRETA_BUILD_GUI=OFF -DVIRETA_BUILD_TESTS=OFF >/dev/null

# Each target NAME_fuzz fuzzes with fuzz/corpus/NAME as seeds (and fuzz/NAME.dict
# when present); new inputs go to a working corpus under build/fuzz.
for target in xml save web_game aiken gift spreadsheet moodle image classroom; do
  cmake --build build/fuzz --target "${target}_fuzz"
  work=build/fuzz/corpus-$target
  mkdir -p "$work"
  dict=()
  [[ -f fuzz/$target.dict ]] && dict=(-dict="fuzz/$target.dict")
  echo "Fuzzing ${target}_fuzz for ${fuzz_seconds} s"
  build/fuzz/fuzz/"${target}_fuzz" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/${target}-" "${dict[@]}" "$work" "fuzz/corpus/$target"
done

# The benchmarks are built, not run (their figures mean something only on a quiet
# machine), so that they keep compiling as the code changes.
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIRETA_WERROR=ON \
  -DVIRETA_BUILD_BENCH=ON -DVIRETA_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench

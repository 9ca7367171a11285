#!/usr/bin/env bash
# Runs every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (with a bounded fuzz pass over the file readers),
# then the Windows builds under Wine: x86_64 under 64-bit Wine, i686 under
# 32-bit Wine (through qemu's emulator on kernels that run no 32-bit program).
# Run build.sh first.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)

echo "== native tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizers and fuzzing (clang, ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DZANDREK_SANITIZE=ON -DZANDREK_FUZZ=ON -DZANDREK_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
for fuzzer in build-asan/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="tests/fuzz/corpus/${name#fuzz_}"
    mkdir -p "build-asan/corpus-$name"
    echo "-- $name (20 s)"
    "$fuzzer" -max_total_time=20 -rss_limit_mb=2048 -print_final_stats=0 "build-asan/corpus-$name" \
        $( [ -d "$corpus" ] && echo "$corpus" ) 2>&1 | tail -n 2
done

echo "== Windows x86_64 tests under 64-bit Wine"
ctest --test-dir build-win-x86_64 --output-on-failure -j "$jobs"

if wine32=$(cmake/wine32-check); then
    echo "== Windows i686 tests under 32-bit Wine (${wine32#yes: })"
    ctest --test-dir build-win-i686 --output-on-failure -j "$jobs"
else
    echo "== Windows i686: tests built but not run: ${wine32#no: }"
fi

echo "== whole-program tests: the game under Wine, played from outside; the release"
bash tests/whole_program/run.sh

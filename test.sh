#!/usr/bin/env bash
# Runs every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (with a bounded fuzz pass over the file readers),
# then the Windows builds under Wine. Run build.sh first.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)

echo "== native tests"
ctest --test-dir build --output-on-failure

echo "== sanitizers and fuzzing (clang, ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DZANDREK_SANITIZE=ON -DZANDREK_FUZZ=ON -DZANDREK_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure
for fuzzer in build-asan/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="tests/fuzz/corpus/${name#fuzz_}"
    mkdir -p "build-asan/corpus-$name"
    echo "-- $name (20 s)"
    "$fuzzer" -max_total_time=20 -rss_limit_mb=2048 -print_final_stats=0 "build-asan/corpus-$name" \
        $( [ -d "$corpus" ] && echo "$corpus" ) 2>&1 | tail -n 2
done

echo "== Windows x86_64 tests under Wine"
ctest --test-dir build-win-x86_64 --output-on-failure

if [ -x /usr/lib/wine/wine ]; then
    echo "== Windows i686 tests under 32-bit Wine"
    ctest --test-dir build-win-i686 --output-on-failure
else
    echo "== Windows i686: compile-checked only (32-bit Wine is not installed on this machine)"
fi

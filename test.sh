#!/usr/bin/env bash
# Runs every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (with a bounded fuzz pass over the file readers),
# then the Windows builds under Wine: x86_64 under 64-bit Wine, i686 under
# 32-bit Wine (through qemu's emulator on kernels that run no 32-bit program).
# Run build.sh first.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
# No test asks the maker's real server for news; the news cases start their own.
export ZANDREK_NEWS_SERVER=127.0.0.1:9

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
    # Seeds: the small hand-made files, and for packs the ones that ship.
    seeds=("tests/fuzz/corpus/${name#fuzz_}")
    [ "$name" = fuzz_pack ] && seeds+=(assets/packs)
    mkdir -p "build-asan/corpus-$name"
    echo "-- $name (20 s)"
    "$fuzzer" -max_total_time=20 -rss_limit_mb=2048 -print_final_stats=0 "build-asan/corpus-$name" \
        $(for d in "${seeds[@]}"; do [ -d "$d" ] && echo "$d"; done) 2>&1 | tail -n 2
done

# The Windows test programs drive real windows: they want an X display, here a
# virtual one big enough for the largest magnification.
virtual_display() {
    local number
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>build/xvfb.display 2>build/xvfb.log &
    xvfb_pid=$!
    for _ in $(seq 100); do
        number=$(cat build/xvfb.display 2>/dev/null || true)
        [ -n "$number" ] && { export DISPLAY=":$number"; return 0; }
        sleep 0.1
    done
    echo "no virtual display could be started (see build/xvfb.log)"
    return 1
}
virtual_display
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT

# Every test case is a Wine process of its own. A wineserver kept running for
# the whole stage keeps the prefix's services up between them; without it each
# case would boot them again (seconds each). The services inherit the standard
# output of the process that started them, so a first run with its output
# thrown away starts them: ctest would otherwise wait on their output forever.
wine_stage() {  # PREFIX RUNNER BUILD
    local server=/usr/lib/wine/wineserver64 status=0
    WINEPREFIX=$1 $server -k >/dev/null 2>&1 || true  # a server left by an earlier run
    WINEPREFIX=$1 $server -p >/dev/null 2>&1
    WINEPREFIX=$1 timeout 240 "$2" "$3/zandrek_tests.exe" --gtest_list_tests >/dev/null 2>&1 || true
    # Under the emulator a case now and then fails to start the game with no
    # message at all (seen twice in one run, never when rerun): such a case
    # gets one more try.
    WINEPREFIX=$1 ctest --test-dir "$3" --output-on-failure -j "$jobs" --repeat until-pass:2 || status=$?
    WINEPREFIX=$1 $server -k || true
    return $status
}

echo "== Windows x86_64 tests under 64-bit Wine"
wine_stage "${WINEPREFIX:-$HOME/.wine-zandrek}" cmake/wine64-run build-win-x86_64

if wine32=$(cmake/wine32-check); then
    echo "== Windows i686 tests under 32-bit Wine (${wine32#yes: })"
    wine_stage "${WINEPREFIX:-$HOME/.wine-zandrek32}" cmake/wine32-run build-win-i686
else
    echo "== Windows i686: tests built but not run: ${wine32#no: }"
fi

echo "== whole-program tests: the game under Wine, played from outside; the release"
bash tests/whole_program/run.sh

#!/usr/bin/env bash
# Runs every test stage: the native suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer with a bounded fuzz pass over
# the file readers, the Windows builds under Wine (x86_64 under 64-bit Wine,
# i686 under 32-bit Wine), then the whole-program tests. Run build.sh first.
#
# A stage that fails says which command failed and how; the stages after it
# still run, so one run shows everything that is broken. The last line counts
# the cases of every stage: a ctest test, a whole-program case, one fuzz
# target's bounded run.
set -uo pipefail
set -E
cd "$(dirname "$0")"
source cmake/state.sh
source cmake/sound_to_file.sh
jobs=$(nproc)
logs=$ZANDREK_STATE/test-logs
rm -rf "$logs" && mkdir -p "$logs"
# No test asks the maker's real server for news; the news cases start their own.
export ZANDREK_NEWS_SERVER=127.0.0.1:9

passed=0 failed=0 skipped=0 stage_name="" retried=() failed_stages=()
trap 'echo "!! stage \"$stage_name\": \"$BASH_COMMAND\" failed with exit status $?" >&2' ERR

stage() { stage_name=$1 && echo "== $1"; }
stage_failed() { failed_stages+=("$stage_name"); }
count() { passed=$((passed + $1)) failed=$((failed + $2)) skipped=$((skipped + ${3:-0})); }
# A stage whose prerequisite is missing does not run, and that is a failure.
needs() {  # FILE...
    local f
    for f in "$@"; do
        [ -e "$f" ] || { echo "   not run: $f is missing (did build.sh pass?)" && count 0 1 && stage_failed && return 1; }
    done
}

# ctest in BUILD, its output also kept in LOG; adds its counts. A run that
# ends before its summary counts as one failure, so a crash is never a pass.
run_ctest() {  # BUILD LOG [CTEST OPTIONS...]
    local build=$1 log=$2 summary total failures status
    ctest --test-dir "$build" --output-on-failure -j "$jobs" "${@:3}" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    summary=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "!! stage \"$stage_name\": ctest in $build printed no summary (exit status $status)" >&2
        count 0 1 && return 1
    fi
    failures=${summary%% *} total=${summary##* }
    count $((total - failures)) "$failures"
    [ "$status" = 0 ] || { echo "!! stage \"$stage_name\": ctest --test-dir $build exited $status" >&2 && return 1; }
}

# A runner script of ours, its output also kept in LOG; adds the counts of its
# last line ("N passed, N failed[, N skipped]") and the cases it names as
# retried. A run that ends before that line counts as one failure.
run_script() {  # LOG SCRIPT [ARGS...]
    local log=$1 status summary p f s name
    bash "${@:2}" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "!! stage \"$stage_name\": $2 printed no summary (exit status $status)" >&2
        count 0 1 && return 1
    fi
    read -r p _ f _ s _ <<<"${summary//,/}"
    count "$p" "$f" "${s:-0}"
    for name in $(sed -n 's/^retried: //p' "$log"); do retried+=("$name"); done
    [ "$status" = 0 ] || { echo "!! stage \"$stage_name\": $2 exited $status" >&2 && return 1; }
}

# ---- native
stage "native tests"
! needs build/zandrek_tests || run_ctest build "$logs/native.log" || stage_failed

# ---- sanitizers and fuzzing
stage "sanitizers and fuzzing (clang, ASan + UBSan)"
if cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
        -DZANDREK_SANITIZE=ON -DZANDREK_FUZZ=ON -DZANDREK_BENCH=OFF >"$logs/asan-configure.log" &&
    cmake --build build-asan -j "$jobs" >"$logs/asan-build.log"; then
    run_ctest build-asan "$logs/asan.log" || stage_failed
    # Corpora and crash files stay in the build folder.
    for fuzzer in build-asan/fuzz_*; do
        [ -x "$fuzzer" ] || continue
        name=$(basename "$fuzzer")
        # Seeds: the small hand-made files, and for packs the ones that ship.
        seeds=("tests/fuzz/corpus/${name#fuzz_}")
        [ "$name" = fuzz_pack ] && seeds+=(assets/packs)
        mkdir -p "build-asan/corpus-$name" "build-asan/artifacts-$name"
        echo "-- $name (20 s)"
        if "$fuzzer" -max_total_time=20 -rss_limit_mb=2048 -print_final_stats=0 \
            -artifact_prefix="build-asan/artifacts-$name/" "build-asan/corpus-$name" \
            $(for d in "${seeds[@]}"; do [ -d "$d" ] && echo "$d"; done) >"$logs/$name.log" 2>&1; then
            tail -n 2 "$logs/$name.log" && count 1 0
        else
            tail -n 20 "$logs/$name.log" && echo "   $name FAILED; crash files in build-asan/artifacts-$name/"
            count 0 1 && stage_failed
        fi
    done
else
    echo "   the sanitizer build failed: see $logs/asan-configure.log and $logs/asan-build.log"
    tail -n 20 "$logs/asan-build.log" 2>/dev/null
    count 0 1 && stage_failed
fi

# ---- the browser edition
stage "browser edition in headless Chromium"
run_script "$logs/web.log" tests/web/run.sh || stage_failed

# ---- the Windows builds under Wine
# The Windows test programs drive real windows: they want an X display, here a
# virtual one big enough for the largest magnification.
virtual_display() {
    local number
    rm -f "$ZANDREK_STATE/xvfb.display"
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$ZANDREK_STATE/xvfb.display" \
        2>"$logs/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        number=$(cat "$ZANDREK_STATE/xvfb.display" 2>/dev/null)
        [ -n "$number" ] && { export DISPLAY=":$number"; return 0; }
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "no virtual display could be started (see $logs/xvfb.log)"
    return 1
}

# Every test case is a Wine process of its own. A wineserver kept running for
# the whole stage keeps the prefix's services up between them; without it each
# case would boot them again (seconds each). The prefix is made first: a
# server started for a prefix that does not exist yet fails, and one started
# before a 32-bit prefix's first boot would mark it 64-bit. The services
# inherit the standard output of the process that started them, so a first
# run with its output in a file starts them: ctest would otherwise wait on
# their output for ever.
wine_stage() {  # PREFIX RUNNER BUILD LOG [RETRY]
    local prefix=$1 runner=$2 build=$3 log=$4 retry=${5:-} server=/usr/lib/wine/wineserver64 status=0 name
    WINEPREFIX=$prefix $server -k >/dev/null 2>&1 # a server left by an earlier run
    if [ ! -f "$prefix/system.reg" ]; then
        echo "   making the Wine prefix $prefix"
        WINEPREFIX=$prefix timeout -k 10 300 "$runner" wineboot -i >"$log.boot" 2>&1 </dev/null
        WINEPREFIX=$prefix timeout 60 $server -w
        [ -f "$prefix/system.reg" ] || { echo "   the prefix could not be made (see $log.boot)" && count 0 1 && return 1; }
    fi
    WINEPREFIX=$prefix $server -p
    WINEPREFIX=$prefix timeout -k 10 240 "$runner" "$build/zandrek_tests.exe" --gtest_list_tests >"$log.start" 2>&1 </dev/null
    # The platform's sound cases play into a file, as the whole-program cases do.
    alsa_driver_set "$prefix" ||
        WINEPREFIX=$prefix timeout -k 10 240 "$runner" "${ALSA_DRIVER_SETTING[@]}" >"$log.sound" 2>&1 </dev/null
    # A home inside the build folder holds the sound setting, never the user's own.
    local home=$PWD/$build/home
    sound_to_file "$home" "$PWD/$build/sound.wav"
    HOME=$home WINEPREFIX=$prefix run_ctest "$build" "$log" --output-junit "$log.xml" || status=$?
    # The failed cases run again, once and named, when none of them tested
    # anything (their program never reached its first test: a Wine process
    # dying as it starts), or under the emulator, whatever failed.
    if [ "$status" != 0 ] && [ -s "$build/Testing/Temporary/LastTestsFailed.log" ]; then
        local failed_cases=() unstarted=()
        while IFS=: read -r _ name; do failed_cases+=("$name"); done <"$build/Testing/Temporary/LastTestsFailed.log"
        mapfile -t unstarted < <(cmake/never-started "$log.xml")
        if [ -n "$retry" ] || [ "${#unstarted[@]}" = "${#failed_cases[@]}" ]; then
            echo "   once more: ${failed_cases[*]}"
            retried+=("${failed_cases[@]}")
            failed=$((failed - ${#failed_cases[@]}))
            HOME=$home WINEPREFIX=$prefix run_ctest "$build" "$log.again" --rerun-failed && status=0
        fi
    fi
    WINEPREFIX=$prefix $server -k
    return $status
}

stage "Windows x86_64 tests under 64-bit Wine"
if virtual_display; then
    trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
    ! needs build-win-x86_64/zandrek_tests.exe ||
        wine_stage "$ZANDREK_TEST_PREFIX64" cmake/wine64-run build-win-x86_64 "$logs/win-x86_64.log" ||
        stage_failed

    if wine32=$(cmake/wine32-check); then
        stage "Windows i686 tests under 32-bit Wine (${wine32#yes: })"
        retry=""
        [[ $wine32 != *qemu* ]] || retry=yes
        ! needs build-win-i686/zandrek_tests.exe ||
            wine_stage "$ZANDREK_TEST_PREFIX32" cmake/wine32-run build-win-i686 "$logs/win-i686.log" $retry ||
            stage_failed
    else
        # A machine that runs no 32-bit program is no failure of the game's.
        echo "== Windows i686 tests: built, not run: ${wine32#no: }" && count 0 0 1
    fi
else
    echo "   not run: no virtual display" && count 0 1 && stage_failed
fi

stage "whole-program tests: the game under Wine, played from outside; the release"
run_script "$logs/whole_program.log" tests/whole_program/run.sh || stage_failed

echo
[ ${#failed_stages[@]} -eq 0 ] || echo "failed stages: $(printf '%s; ' "${failed_stages[@]}" | sed 's/; $//')"
[ ${#retried[@]} -eq 0 ] || echo "retried: ${retried[*]}"
line="$passed passed, $failed failed"
[ "$skipped" = 0 ] || line="$line, $skipped skipped"
echo "$line"
[ "$failed" = 0 ] && [ ${#failed_stages[@]} -eq 0 ]

#!/usr/bin/env bash
# Whole-program tests: the real zandrek.exe, started under Wine on a virtual X
# display in a Wine prefix of its own, played from outside by zandrek-driver
# (tests/driver) the way a person plays it; then the release zip and the
# installer. The x86_64 build runs under 64-bit Wine; the i686 build, the one
# players get, is installed from the setup program and played through 32-bit
# Wine under qemu's emulator.
#
# usage: tests/whole_program/run.sh [CASE ...]    (default: every case)
# Run build.sh first. Screenshots are kept in build/screenshots/, each case's
# logs in build/whole_program/cases/CASE/.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/whole_program
native=$root/build
win64=$root/build-win-x86_64
win32=$root/build-win-i686
release=$root/build-release
work=$native/whole_program
shots=$native/screenshots
tool=$native/zandrek-tool
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

# Wine's helpers that would show a browser prompt, a debugger or write menu
# entries into the host's home stay off; the news check asks a closed port.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;wineusb.sys=d;winemenubuilder.exe=d"
export ZANDREK_NEWS_SERVER=127.0.0.1:9
unset WAYLAND_DISPLAY

# Timeouts, in seconds; the emulator's are several times the native ones.
T64=120
T32=900
PREFIX_TIMEOUT=600

mkdir -p "$work" "$shots"
passed=0
failed=0
skipped=0
failures=()

# ---- reporting ----

case_dir=""
case_name=""
case_failed=0

problem() {
    echo "    $*"
    case_failed=1
}

# Runs one case function in a fresh case folder and counts its outcome.
run_case() {
    case_name=$1
    case_dir=$work/cases/$case_name
    case_failed=0
    rm -rf "$case_dir"
    mkdir -p "$case_dir"
    local start=$SECONDS
    echo "-- $case_name"
    "case_$case_name"
    local status=$?
    [ "$status" = 0 ] || case_failed=1
    [ "$status" = 77 ] && case_failed=2
    stop_prefix "$case_dir/prefix"
    case $case_failed in
        0)
            passed=$((passed + 1))
            rm -rf "$case_dir/prefix"
            echo "   ok ($((SECONDS - start)) s)"
            ;;
        2)
            skipped=$((skipped + 1))
            rm -rf "$case_dir/prefix"
            echo "   skipped"
            ;;
        *)
            failed=$((failed + 1))
            failures+=("$case_name")
            echo "   FAILED ($((SECONDS - start)) s); logs in $case_dir"
            ;;
    esac
}

# ---- the virtual display ----

xvfb_pid=""
start_display() {
    local n
    for n in $(seq 90 199); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        local tries
        for tries in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        xvfb_pid=""
    done
    echo "no virtual display could be started (see $work/xvfb.log)"
    return 1
}

stop_display() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

# ---- Wine prefixes ----

# Ends whatever still runs in a prefix of ours (a failed case may leave the
# game behind); a prefix with nothing in it returns at once.
stop_prefix() {
    [ -d "$1" ] || return 0
    WINEPREFIX=$1 timeout 30 "$wineserver" -k >/dev/null 2>&1
    WINEPREFIX=$1 timeout 30 "$wineserver" -w >/dev/null 2>&1
    return 0
}

# One prefix per kind is made once and copied for every case: a new one costs
# half a minute natively and minutes through the emulator.
prepare_prefix() {
    local kind=$1 base=$work/prefix-$1
    [ -f "$base/.zandrek-ready" ] && return 0
    rm -rf "$base"
    mkdir -p "$work/home"
    echo "   making the $kind-bit Wine prefix"
    local run=("$wine64")
    [ "$kind" = 32 ] && run=("$root/cmake/wine32-run")
    (HOME=$work/home WINEPREFIX=$base timeout -k 10 "$PREFIX_TIMEOUT" "${run[@]}" wineboot -i \
        >"$work/prefix-$kind.log" 2>&1 </dev/null
    # Sound goes to ALSA, whose output each case sends to a file.
    HOME=$work/home WINEPREFIX=$base timeout -k 10 "$PREFIX_TIMEOUT" "${run[@]}" reg add \
        'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >>"$work/prefix-$kind.log" 2>&1 </dev/null
    true) 2>/dev/null
    stop_prefix "$base"
    if [ ! -f "$base/system.reg" ] || ! grep -q -i 'Software\\\\Wine\\\\Drivers' "$base/user.reg"; then
        echo "   the $kind-bit prefix could not be made (see $work/prefix-$kind.log)"
        return 1
    fi
    touch "$base/.zandrek-ready"
}

# The case's own copy of the prefix, its home with the sound capture, and a
# game folder as a player has it.
new_prefix() {
    local kind=$1
    prepare_prefix "$kind" || return 1
    cp -a --reflink=auto "$work/prefix-$kind" "$case_dir/prefix"
    mkdir -p "$case_dir/home"
    cat >"$case_dir/home/.asoundrc" <<EOF
pcm.!default {
    type file
    slave.pcm "null"
    file "$case_dir/sound.wav"
    format "wav"
}
EOF
}

game_folder() {
    local build=$1
    mkdir -p "$case_dir/game"
    cp "$build/zandrek.exe" "$build/Zandrek.map" "$root/assets/packs/lantern_docks.zrp" "$case_dir/game/"
}

# Runs the driver with a script, in the game folder; its lines go to the
# case's driver log and on failure to the screen as well.
drive() {
    local log=$case_dir/driver.log
    echo "   driver: $*" >>"$log"
    (cd "$case_dir/game" && HOME=$case_dir/home WINEPREFIX=$case_dir/prefix \
        timeout -k 10 "$T64" "$wine64" "$win64/zandrek-driver.exe" "$@" >"$case_dir/last.log" 2>&1 </dev/null)
    cat "$case_dir/last.log" >>"$log"
    if ! grep -q '^driver: done' "$case_dir/last.log"; then
        problem "the driver stopped:"
        grep '^driver' "$case_dir/last.log" | tail -n 4 | sed 's/^/      /'
        return 1
    fi
}

# A program through 32-bit Wine under the emulator, in the case's prefix,
# its output into a file. Wine ends emulated processes with a kill, so their
# exit status tells nothing; the shell is kept from reporting the kill.
wine32() {
    local out=$1
    shift
    (cd "$case_dir/game" && HOME=$case_dir/home WINEPREFIX=$case_dir/prefix \
        timeout -k 10 "$T32" "$root/cmake/wine32-run" "$@" >"$out" 2>&1 </dev/null
    true) 2>/dev/null
}

# The driver through the emulator: its last line tells whether it got through.
drive32() {
    local log=$case_dir/driver.log
    echo "   driver32: $*" >>"$log"
    wine32 "$case_dir/last.log" "$win32/zandrek-driver.exe" "$@"
    cat "$case_dir/last.log" >>"$log"
    if ! grep -q '^driver: done' "$case_dir/last.log"; then
        problem "the driver stopped:"
        grep '^driver' "$case_dir/last.log" | tail -n 4 | sed 's/^/      /'
        return 1
    fi
}

# Nothing of the case's prefix may be left running once the game has quit.
expect_all_ended() {
    if ! WINEPREFIX=$case_dir/prefix timeout 60 "$wineserver" -w; then
        problem "processes were still running in the prefix a minute after the game ended"
        return 1
    fi
}

# ---- pictures ----

to_png() { /usr/bin/convert "$1" "$2"; }

# The title screen as the window shows it against the tool's drawing of
# board -1, pixel for pixel, outside the top right corner where the window
# draws its banner and icon over the title.
BANNER_WIDTH=260
BANNER_HEIGHT=48
compare_title() {
    local shot=$1 map=$2 magnify=$3 name=$4
    local render=$case_dir/title-render.png
    "$tool" render "$map" -1 --magnify "$magnify" -o "$render" >/dev/null || {
        problem "zandrek-tool render failed"
        return 1
    }
    local width=$((320 * magnify))
    local mask="rectangle $((width - BANNER_WIDTH)),0 $((width - 1)),$((BANNER_HEIGHT - 1))"
    /usr/bin/convert "$shot" -fill black -draw "$mask" "$case_dir/shot-masked.png"
    /usr/bin/convert "$render" -fill black -draw "$mask" "$case_dir/render-masked.png"
    local differ
    differ=$(/usr/bin/compare -metric AE "$case_dir/shot-masked.png" "$case_dir/render-masked.png" \
        "$shots/$name-diff.png" 2>&1)
    if [ "$differ" != 0 ]; then
        problem "the title screen differs from zandrek-tool render -1 in $differ pixels (see $shots/$name-diff.png)"
        return 1
    fi
    rm -f "$shots/$name-diff.png"
    # The banner itself must be there.
    local banner
    banner=$(/usr/bin/compare -metric AE "$shot" "$render" null: 2>&1)
    if [ "$banner" = 0 ]; then
        problem "no banner over the title screen"
        return 1
    fi
}

# ---- registry and score file ----

reg_query() {
    HOME=$case_dir/home WINEPREFIX=$case_dir/prefix timeout 60 "$wine64" reg query "$@" 2>/dev/null </dev/null | tr -d '\r'
}

expect_reg_value() {
    local key=$1 name=$2 type=$3 want=$4 seen
    seen=$(reg_query "$key" /v "$name" | awk -v n="$name" '$1 == n { $1 = ""; print }' | sed 's/^ *//')
    if [ "$seen" != "$type    $want" ] && [ "$(echo "$seen" | tr -s ' ')" != "$type $want" ]; then
        problem "registry value $name is \"$seen\", not \"$type $want\""
        return 1
    fi
}

SETTINGS_KEY='HKCU\Software\Ostrovane\Zandrek'

# ---- the cases ----

TITLE_TEXT="Greetings - Click or press any key to begin"

# The title screen, the first run's name dialog, level 1 played to solved
# with its stored solution, the must-solve refusal, the magnifications and
# the quit key; then what the run left behind.
case_play() {
    new_prefix 64 && game_folder "$win64" || return 1
    drive run zandrek.exe wait-window 60 \
        expect-title "$TITLE_TEXT" expect-client 640 384 sleep 1500 shot title.bmp \
        click 320 200 \
        expect-box-title "Player Name" expect-edit 100 Zandrek set-edit 100 Tester press OK \
        expect-title "Zandrek - Level 1" \
        expect-title-start "Zandrek: Tester - Level=1 Moves=0 Pushes=0 Time=" \
        key n expect-box "Sorry, you must solve this" press OK \
        key RIGHT expect-title-start "Zandrek: Tester - Level=1 Moves=1 Pushes=0 Time=" \
        key RIGHT expect-title-start "Zandrek: Tester - Level=1 Moves=2 Pushes=1 Time=" \
        key RIGHT sleep 1500 expect-title-start "Zandrek: Tester - Level=1 Moves=2 Pushes=1 Time=" \
        shot solved.bmp \
        key SPACE expect-title "Zandrek - Level 2" \
        command 1221 expect-client 320 192 \
        command 1224 expect-client 1280 768 \
        command 1223 expect-client 960 576 \
        key q wait-exit || return 1
    to_png "$case_dir/game/title.bmp" "$shots/title-x86_64.png"
    to_png "$case_dir/game/solved.bmp" "$shots/level1-solved-x86_64.png"
    compare_title "$case_dir/game/title.bmp" "$case_dir/game/Zandrek.map" 2 title-x86_64
    expect_all_ended

    local score
    score=$("$tool" score "$case_dir/game/Zandrek.score" 2>&1)
    echo "$score" >"$case_dir/score.txt"
    if ! echo "$score" | grep -q -P '^Tester\t1\t3\t2\t'; then
        problem "the score file does not hold Tester with level 1 solved in 3 moves and 2 pushes:"
        echo "$score" | sed 's/^/      /'
    fi
    reg_query "$SETTINGS_KEY" >"$case_dir/registry.txt"
    expect_reg_value "$SETTINGS_KEY" magnify REG_DWORD 0x3
    expect_reg_value "$SETTINGS_KEY" player_name REG_SZ Tester
    grep -q -w x "$case_dir/registry.txt" && grep -q -w y "$case_dir/registry.txt" ||
        problem "the window position (x, y) was not stored: $(cat "$case_dir/registry.txt")"

    # A later run asks for no name, comes back at the stored magnification
    # and goes on at the level after the solved one.
    drive run zandrek.exe wait-window 60 expect-title "$TITLE_TEXT" expect-client 960 576 \
        click 100 100 expect-title-start "Zandrek: Tester - Level=2 Moves=0 Pushes=0" expect-no-box 1 \
        key q wait-exit && expect_all_ended
    return "$case_failed"
}

# A map file cut short, and one of the wrong type: the map reader's message
# box, then the program ends by itself without showing its window.
damaged_map() {
    local damage=$1 message=$2
    new_prefix 64 && game_folder "$win64" || return 1
    case $damage in
        cut) head -c 3000 "$win64/Zandrek.map" >"$case_dir/game/Zandrek.map" ;;
        type) printf 'XXXX' | dd of="$case_dir/game/Zandrek.map" bs=1 seek=8 conv=notrunc status=none ;;
    esac
    drive run zandrek.exe expect-box-title Zandrek expect-box "$message" press OK timeout 20 wait-exit || return 1
    grep -q '^driver: window' "$case_dir/driver.log" && problem "the game window was shown"
    expect_all_ended
    return "$case_failed"
}

case_map_cut_short() { damaged_map cut "File Zandrek.map is cut short, not a whole Zandrek map file"; }

case_map_wrong_type() { damaged_map type "File Zandrek.map smells bad, not a Zandrek map file"; }

# A step makes the step sample's sound: Wine plays through ALSA, whose file
# output holds every buffer the game wrote, and the last sound after one step
# must be the step sample (speech id 0) sample for sample.
case_sound() {
    new_prefix 64 && game_folder "$win64" || return 1
    "$tool" sound "$case_dir/game/Zandrek.map" 0 -o "$case_dir/step.wav" >/dev/null || {
        problem "zandrek-tool sound failed"
        return 1
    }
    drive run zandrek.exe wait-window 60 expect-title "$TITLE_TEXT" click 320 200 \
        expect-box-title "Player Name" press OK expect-title "Zandrek - Level 1" \
        sleep 3000 key RIGHT expect-title-start "Zandrek: Zandrek - Level=1 Moves=1 Pushes=0" \
        sleep 1000 key q wait-exit || return 1
    expect_all_ended
    if [ ! -s "$case_dir/sound.wav" ]; then
        problem "nothing reached the sound output"
        return 1
    fi
    python3 "$here/sound_runs.py" "$case_dir/sound.wav" "$case_dir/step.wav" >"$case_dir/sound.txt" 2>&1 ||
        problem "the last sound is not the step sample: $(tr '\n' ' ' <"$case_dir/sound.txt")"
    sed 's/^/   /' "$case_dir/sound.txt"
    return "$case_failed"
}

# Levels 1, 10 and 50 at magnification 2, for a person to look at. The
# developer player may enter every level.
case_screenshots() {
    new_prefix 64 && game_folder "$win64" || return 1
    drive run zandrek.exe wait-window 60 expect-title "$TITLE_TEXT" click 320 200 \
        expect-box-title "Player Name" set-edit 100 Quillbarrow press OK expect-title "Zandrek - Level 1" \
        expect-client 640 384 sleep 1500 shot level01.bmp \
        command 10010 expect-title "Zandrek - Level 10" sleep 1500 shot level10.bmp \
        command 10050 expect-title "Zandrek - Level 50" sleep 1500 shot level50.bmp \
        key q wait-exit || return 1
    local n
    for n in 01 10 50; do
        to_png "$case_dir/game/level$n.bmp" "$shots/level$n-x86_64.png"
    done
    expect_all_ended
    return "$case_failed"
}

# The release zip holds what a player needs.
case_release_zip() {
    local version zip
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
    zip=$release/zandrek-$version-win32.zip
    [ -f "$zip" ] || { problem "$zip is missing"; return 1; }
    unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^$' | sort >"$case_dir/zip.txt"
    local want
    want=$(printf '%s\n' README.txt Zandrek.map lantern_docks.zrp zandhelp.html zandrek.exe | sort)
    [ "$(cat "$case_dir/zip.txt")" = "$want" ] || problem "the zip holds: $(tr '\n' ' ' <"$case_dir/zip.txt")"
    unzip -p "$zip" "zandrek-$version/zandrek.exe" | cmp -s - "$win32/zandrek.exe" ||
        problem "the zip's zandrek.exe is not the i686 build's"
    return "$case_failed"
}

# The player's way in: the setup program installs silently into a fresh
# 32-bit prefix, the installed game reaches its title screen, plays level 1
# and quits, and the uninstaller takes away everything it put there but the
# player's score file.
case_installer() {
    local version setup
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
    setup=$release/zandrek-$version-setup.exe
    [ -f "$setup" ] || { problem "$setup is missing"; return 1; }
    if ! "$root/cmake/wine32-check" >"$case_dir/wine32.txt"; then
        echo "   32-bit Windows programs do not run here: $(cat "$case_dir/wine32.txt")"
        return 77
    fi
    new_prefix 32 || return 1
    mkdir -p "$case_dir/game"
    # One wineserver for the whole case: each start under the emulator is
    # then a few seconds instead of many.
    WINEPREFIX=$case_dir/prefix "$wineserver" -p60
    wine32 "$case_dir/setup.log" "$setup" /S
    local users=$case_dir/prefix/drive_c/users
    local dir
    dir=$(find "$users" -maxdepth 5 -path '*/AppData/Local/Programs/Zandrek' -type d | head -n 1)
    if [ -z "$dir" ]; then
        problem "nothing was installed into AppData\\Local\\Programs\\Zandrek"
        return 1
    fi
    local user=${dir#"$users/"}
    user=${user%%/*}
    local windir="C:\\users\\$user\\AppData\\Local\\Programs\\Zandrek"
    local f
    for f in zandrek.exe Zandrek.map lantern_docks.zrp zandhelp.html README.txt uninstall.exe; do
        [ -f "$dir/$f" ] || problem "the installer did not install $f"
    done
    local menu="$users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zandrek"
    [ -f "$menu/Zandrek.lnk" ] || problem "no Start-menu entry"
    # The shortcut starts the game in its own folder: one of its strings is
    # that folder alone (the target's path goes on to the program's name).
    strings -e l "$menu/Zandrek.lnk" 2>/dev/null | FOLDER=$windir awk 'BEGIN { w = tolower(ENVIRON["FOLDER"]) }
        tolower(substr($0, length($0) - length(w) + 1)) == w { found = 1 } END { exit !found }' ||
        problem "the Start-menu entry does not start in $windir"
    wine32 "$case_dir/uninstall-key.txt" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zandrek'
    grep -q "DisplayVersion.*$version" "$case_dir/uninstall-key.txt" ||
        problem "no Add/Remove Programs entry with version $version: $(tr -d '\r' <"$case_dir/uninstall-key.txt" | tr '\n' ' ')"

    drive32 timeout 120 expect-file-version "$windir\\zandrek.exe" "$version" cd "$windir" \
        run zandrek.exe wait-window 300 expect-title "$TITLE_TEXT" expect-client 640 384 sleep 5000 shot title.bmp \
        click 320 200 expect-box-title "Player Name" set-edit 100 Tester press OK \
        expect-title "Zandrek - Level 1" moves ">>>" key SPACE expect-title "Zandrek - Level 2" \
        key q wait-exit || stop_prefix "$case_dir/prefix"
    if [ -f "$dir/title.bmp" ]; then
        to_png "$dir/title.bmp" "$shots/title-i686.png"
        compare_title "$dir/title.bmp" "$dir/Zandrek.map" 2 title-i686
        rm -f "$dir/title.bmp"
    fi
    "$tool" score "$dir/Zandrek.score" >"$case_dir/score.txt" 2>&1
    grep -q -P '^Tester\t1\t3\t2\t' "$case_dir/score.txt" ||
        problem "the score file does not hold Tester with level 1 solved: $(tr '\n' ' ' <"$case_dir/score.txt")"

    cp "$dir/Zandrek.score" "$case_dir/score-before"
    wine32 "$case_dir/uninstall.log" "$windir\\uninstall.exe" /S "_?=$windir"
    for f in zandrek.exe Zandrek.map lantern_docks.zrp zandhelp.html README.txt; do
        [ -e "$dir/$f" ] && problem "the uninstaller left $f"
    done
    [ -e "$menu" ] && problem "the uninstaller left the Start-menu entries"
    cmp -s "$dir/Zandrek.score" "$case_dir/score-before" || problem "the player's score file did not stay as it was"
    wine32 "$case_dir/uninstall-key-after.txt" reg query \
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zandrek'
    grep -q DisplayName "$case_dir/uninstall-key-after.txt" && problem "the Add/Remove Programs entry stayed"
    return "$case_failed"
}

# ---- main ----

source "$here/news_cases.sh"
all_cases=(play map_cut_short map_wrong_type sound screenshots release_zip installer "${news_cases[@]}")
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=("${all_cases[@]}")

for f in "$win64/zandrek.exe" "$win64/zandrek-driver.exe" "$win64/Zandrek.map" "$tool"; do
    [ -f "$f" ] || { echo "whole-program tests: $f is missing; run build.sh first"; exit 1; }
done
start_display || exit 1
trap 'stop_display' EXIT
echo "display $DISPLAY"
started=$SECONDS
for c in "${cases[@]}"; do
    run_case "$c"
done
echo "whole-program tests took $((SECONDS - started)) s; screenshots in $shots"
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]}"
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]

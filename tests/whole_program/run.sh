#!/usr/bin/env bash
# Whole-program tests: the real zandrek.exe under Wine on a virtual X display, each case in a Wine prefix of its
# own, played from outside by zandrek-driver; then the release, whose i686 installer runs through 32-bit Wine.
# usage: tests/whole_program/run.sh [CASE ...]    (default: every case)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/cmake/state.sh"
source "$root/cmake/sound_to_file.sh"
here=$root/tests/whole_program win64=$root/build-win-x86_64 win32=$root/build-win-i686 release=$root/build-release
work=$root/build/whole_program shots=$root/build/screenshots tool=$root/build/zandrek-tool
wineserver=/usr/lib/wine/wineserver64
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt" 2>/dev/null)
# Off: Wine's browser prompt, its debugger, menu entries in the host's home; the news check asks a closed port.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;wineusb.sys=d;winemenubuilder.exe=d"
export ZANDREK_NEWS_SERVER=127.0.0.1:9
unset WAYLAND_DISPLAY
mkdir -p "$work" "$shots"

TITLE_TEXT="Greetings - Click or press any key to begin"
SETTINGS_KEY='HKCU\Software\Ostrovane\Zandrek'
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zandrek'
# The greeting left for the first run's name dialog; its OK to level 1; level 1 solved, on to level 2.
ENTER=(click 320 200 expect-box "Player Name" "")
LEVEL1=(press OK expect-title "Zandrek - Level 1")
LEVEL2=(key RIGHT key RIGHT key RIGHT key SPACE expect-title "Zandrek - Level 2")
# What the release zip and the installer put beside each other, in C order.
GAME_FILES=(README.txt Zandrek.map lantern_docks.zrp zandhelp.html zandrek.exe)

problem() { echo "    $*" && case_failed=1 && return 1; }

# A case fails when it reports a problem or returns other than 0; 77 skips it.
run_case() {
    case_dir=$work/cases/$1 case_failed=0
    rm -rf "$case_dir" && mkdir -p "$case_dir/game" && echo "-- $1"
    local start=$SECONDS status
    "case_$1"
    status=$?
    stop_news_server
    stop_prefix "$case_dir/prefix"
    if [ "$status" = 77 ]; then
        skipped+=("$1") && echo "   skipped"
    elif [ "$case_failed" = 0 ] && [ "$status" = 0 ]; then
        passed+=("$1") && echo "   ok ($((SECONDS - start)) s)"
    else
        failures+=("$1") && echo "   FAILED ($((SECONDS - start)) s); logs in $case_dir" && return
    fi
    rm -rf "$case_dir/prefix"
}

# Ends whatever still runs in a prefix of ours; programs whose server died are found by their environment.
stop_prefix() {
    [ ! -d "$1" ] || for op in -k -w; do WINEPREFIX=$1 timeout 30 "$wineserver" $op >/dev/null 2>&1; done
    grep -lsxzF "WINEPREFIX=$1" /proc/[0-9]*/environ | cut -d/ -f3 | xargs -r kill -9 2>/dev/null
}

# A Windows program in $prefix (the case's by default), in the game folder,
# its output into FILE; its exit status tells nothing under the emulator.
in_prefix() {
    (cd "$case_dir/game" && HOME=${home:-$case_dir/home} WINEPREFIX=${prefix:-$case_dir/prefix} \
        exec timeout -k 10 "$limit" "${runner[@]}" "${@:2}" >"$1" 2>&1 </dev/null) 2>/dev/null
    true
}

# The case's copy of a prefix of the kind (64 or 32), made once, for it costs
# minutes through the emulator; a home whose sound goes to a file.
new_prefix() {
    local base=$work/prefix-$1
    runner=(/usr/lib/wine/wine64) limit=120 driver=$win64/zandrek-driver.exe
    [ "$1" = 32 ] && runner=("$root/cmake/wine32-run") limit=900 driver=$win32/zandrek-driver.exe
    if [ ! -f "$base/.zandrek-ready" ]; then
        echo "   making the $1-bit Wine prefix"
        rm -rf "$base" && mkdir -p "$work/home"
        home=$work/home prefix=$base limit=300 in_prefix "$work/prefix-$1.log" wineboot -i
        home=$work/home prefix=$base limit=300 in_prefix "$work/prefix-$1-reg.log" "${ALSA_DRIVER_SETTING[@]}"
        stop_prefix "$base"
        alsa_driver_set "$base" ||
            problem "the $1-bit prefix could not be made (see $work/prefix-$1.log)" || return
        touch "$base/.zandrek-ready"
    fi
    cp -a --reflink=auto "$base" "$case_dir/prefix"
    sound_to_file "$case_dir/home" "$case_dir/sound.wav"
}

new_game() {
    new_prefix 64 && cp "$win64"/{zandrek.exe,Zandrek.map} "$root/assets/packs/lantern_docks.zrp" "$case_dir/game/"
}

drive() {
    echo "   driver: $*" >>"$case_dir/driver.log"
    in_prefix "$case_dir/last.log" "$driver" "$@"
    cat "$case_dir/last.log" >>"$case_dir/driver.log"
    grep -q '^driver: done' "$case_dir/last.log" ||
        problem "the driver stopped:"$'\n'"$(grep '^driver' "$case_dir/last.log" | tail -n 4 | sed 's/^/      /')"
}

wait_for() {  # WHAT COMMAND...
    local until=$((SECONDS + 60))
    until "${@:2}" >/dev/null 2>&1; do
        [ $SECONDS -lt $until ] || problem "$1 never came" || return
        sleep 0.2
    done
}

play() { drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" "$@"; }

expect_all_ended() {
    WINEPREFIX=$case_dir/prefix timeout 60 "$wineserver" -w ||
        problem "processes were still running in the prefix a minute after the game ended"
}

# The title screen is the tool's drawing of board -1 pixel for pixel, but
# for the banner the window draws top right (260 x 48 at magnification 2).
compare_title() {  # SHOT MAP NAME
    local render=$case_dir/title-render.png mask="rectangle 380,0 639,47" differ
    convert "$1" "$shots/$3.png"
    "$tool" render "$2" -1 --magnify 2 -o "$render" >/dev/null || problem "zandrek-tool render failed" || return
    convert "$1" -fill black -draw "$mask" "$case_dir/shot-masked.png"
    convert "$render" -fill black -draw "$mask" "$case_dir/render-masked.png"
    differ=$(compare -metric AE "$case_dir/shot-masked.png" "$case_dir/render-masked.png" "$shots/$3-diff.png" 2>&1)
    [ "$differ" = 0 ] || problem "the title screen differs from zandrek-tool render -1 in $differ pixels" \
        "(see $shots/$3-diff.png)" || return
    rm -f "$shots/$3-diff.png"
    [ "$(compare -metric AE "$1" "$render" null: 2>&1)" != 0 ] || problem "no banner over the title screen"
}

# A value of the settings key as "TYPE DATA" (or nothing).
expect_reg() {  # NAME TYPE_DATA
    in_prefix "$case_dir/registry.txt" reg query "$SETTINGS_KEY"
    local seen=$(tr -d '\r' <"$case_dir/registry.txt" | awk -v n="$1" '$1 == n { $1 = ""; print substr($0, 2) }')
    [ "$seen" = "$2" ] || problem "registry value $1 is \"$seen\", not \"$2\""
}

MENU_EXIT=103
MAGNIFY_1=1221 MAGNIFY_3=1223 MAGNIFY_4=1224

# The magnification chosen last is stored, and the next run comes back at it.
case_magnification_stored() {
    new_game && play command $MAGNIFY_1 expect-client 320 192 command $MAGNIFY_4 expect-client 1280 768 \
        command $MAGNIFY_3 expect-client 960 576 command $MENU_EXIT wait-exit || return
    expect_reg magnify "REG_DWORD 0x3"
    play expect-client 960 576 command $MENU_EXIT wait-exit
}

# A later run asks for no name and goes on at the level after the solved one.
case_later_run_goes_on() {
    new_game && play "${ENTER[@]}" set-edit 100 Tester "${LEVEL1[@]}" "${LEVEL2[@]}" key q wait-exit || return
    expect_reg player_name "REG_SZ Tester"
    play click 100 100 expect-title "Zandrek: Tester - Level=2 Moves=0 Pushes=0*" expect-no-box 1 key q wait-exit &&
        expect_all_ended
}

# A damaged map file: the reader's box, then the program ends by itself without showing its window.
case_map_damaged() {
    new_game && truncate -s 3000 "$case_dir/game/Zandrek.map" || return
    drive run zandrek.exe expect-box Zandrek "is cut short" press OK timeout 20 wait-exit || return
    ! grep -q '^driver: window' "$case_dir/driver.log" || problem "the game window was shown"
    expect_all_ended
}

# A step makes the step sample's sound (speech id 0), sample for sample, in ALSA's file output.
case_sound() {
    new_game || return
    "$tool" sound "$case_dir/game/Zandrek.map" 0 -o "$case_dir/step.wav" >/dev/null ||
        problem "zandrek-tool sound failed" || return
    # Each sound plays out before the next step: the game runs on between scripts.
    play "${ENTER[@]}" "${LEVEL1[@]}" || return
    wait_for "the greeting and the level's sound" python3 "$here/sound_runs.py" --quiet-after 2 "$case_dir/sound.wav" ||
        return
    drive key RIGHT expect-title "Zandrek: Zandrek - Level=1 Moves=1 Pushes=0*" || return
    wait_for "the step's sound" python3 "$here/sound_runs.py" --quiet-after 3 "$case_dir/sound.wav" || return
    drive key q wait-exit || return
    expect_all_ended
    python3 "$here/sound_runs.py" "$case_dir/sound.wav" "$case_dir/step.wav" >"$case_dir/sound.txt" 2>&1 ||
        problem "the last sound is not the step sample: $(tr '\n' ' ' <"$case_dir/sound.txt")"
    sed 's/^/   /' "$case_dir/sound.txt"
}

case_release_zip() {
    local zip=$release/zandrek-$version-win32.zip
    unzip -Z1 "$zip" | sed 's|^[^/]*/||' | grep -v '^$' | LC_ALL=C sort >"$case_dir/zip.txt"
    [ "$(tr '\n' ' ' <"$case_dir/zip.txt")" = "${GAME_FILES[*]} " ] ||
        problem "the zip holds: $(tr '\n' ' ' <"$case_dir/zip.txt")"
    unzip -p "$zip" "zandrek-$version/zandrek.exe" | cmp -s - "$win32/zandrek.exe" ||
        problem "the zip's zandrek.exe is not the i686 build's"
}

# The player's way in: the setup program installs silently into a fresh 32-bit prefix, the installed game, of the
# release's version, plays level 1 to its score, and the uninstaller takes away all it put there but the score.
case_installer() {
    local setup=$release/zandrek-$version-setup.exe users=$case_dir/prefix/drive_c/users dir user windir menu f
    "$root/cmake/wine32-check" >"$case_dir/wine32.txt" ||
        { echo "   32-bit Windows programs do not run here: $(cat "$case_dir/wine32.txt")" && return 77; }
    new_prefix 32 || return
    # One wineserver for the whole case: a start under the emulator is then seconds, not minutes.
    WINEPREFIX=$case_dir/prefix "$wineserver" -p60
    in_prefix "$case_dir/setup.log" "$setup" /S
    dir=$(find "$users" -maxdepth 5 -path '*/AppData/Local/Programs/Zandrek' -type d | head -n 1)
    [ -n "$dir" ] || problem "$setup installed nothing into AppData\\Local\\Programs\\Zandrek" || return
    user=${dir#"$users/"} && user=${user%%/*}
    windir="C:\\users\\$user\\AppData\\Local\\Programs\\Zandrek"
    menu="$users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zandrek"
    for f in "${GAME_FILES[@]}" uninstall.exe; do [ -f "$dir/$f" ] || problem "the installer did not install $f"; done
    [ -f "$menu/Zandrek.lnk" ] || problem "no Start-menu entry"
    # The shortcut starts the game in its own folder: one of its strings is
    # that folder alone (the target's path goes on to the program's name).
    strings -e l "$menu/Zandrek.lnk" 2>/dev/null | FOLDER=$windir awk 'BEGIN { w = tolower(ENVIRON["FOLDER"]) }
        tolower(substr($0, length($0) - length(w) + 1)) == w { found = 1 } END { exit !found }' ||
        problem "the Start-menu entry does not start in $windir"
    in_prefix "$case_dir/uninstall-key.txt" reg query "$UNINSTALL_KEY"
    grep -q "DisplayVersion.*$version" "$case_dir/uninstall-key.txt" ||
        problem "no Add/Remove Programs entry with version $version: $(tr -d '\r' <"$case_dir/uninstall-key.txt")"

    # The version resource's fixed part follows its signature.
    /usr/bin/python3 -c 'import struct, sys; d = open(sys.argv[1], "rb").read(); i = d.find(b"\xbd\x04\xef\xfe")
v = struct.unpack("<4H", d[i + 8:i + 16]); sys.exit(f"{v[1]}.{v[0]}.{v[3]}" != sys.argv[2])' "$dir/zandrek.exe" "$version" ||
        problem "the installed zandrek.exe does not say version $version"
    drive timeout 120 cd "$windir" run zandrek.exe wait-window 300 expect-title "$TITLE_TEXT" expect-client 640 384 \
        shot title.bmp "${ENTER[@]}" expect-edit 100 Zandrek set-edit 100 Tester "${LEVEL1[@]}" "${LEVEL2[@]}" \
        key q wait-exit
    compare_title "$dir/title.bmp" "$dir/Zandrek.map" title-i686
    rm -f "$dir/title.bmp"
    "$tool" score "$dir/Zandrek.score" >"$case_dir/score.txt" 2>&1
    grep -q -P '^Tester\t1\t3\t2\t' "$case_dir/score.txt" ||
        problem "the score file does not hold Tester's level 1 in 3 moves, 2 pushes: $(cat "$case_dir/score.txt")"

    cp "$dir/Zandrek.score" "$case_dir/score-before"
    in_prefix "$case_dir/uninstall.log" "$windir\\uninstall.exe" /S "_?=$windir"
    for f in "${GAME_FILES[@]}"; do [ ! -e "$dir/$f" ] || problem "the uninstaller left $f"; done
    [ ! -e "$menu" ] || problem "the uninstaller left the Start-menu entries"
    cmp -s "$dir/Zandrek.score" "$case_dir/score-before" || problem "the player's score file did not stay as it was"
    in_prefix "$case_dir/uninstall-key-after.txt" reg query "$UNINSTALL_KEY"
    ! grep -q DisplayName "$case_dir/uninstall-key-after.txt" || problem "the Add/Remove Programs entry stayed"
}

# ---- the news check asks the test's own server (news_server.py)

NEWS_TITLE="Late Breaking News!"
NEWS_DATE_1="Tue, 01 Dec 2026 09:30:00 GMT"
# The offer again at exit, without an owner; after No the game ends (a game still there a minute later hangs).
OFFER_AT_EXIT=(command $MENU_EXIT expect-box "$NEWS_TITLE" "" expect-box-owner none press No timeout 60 wait-exit)
news_server_pid=""

# The server on PORT (or a free one) with OPTIONS, and the game pointed at it, with no port when it got 80.
start_news_server() {  # PORT OPTIONS...
    local got=$case_dir/news-port port
    rm -f "$got"
    python3 "$here/news_server.py" "$1" "$got" "$case_dir/news-requests.log" "${@:2}" \
        >"$case_dir/news-server.log" 2>&1 &
    news_server_pid=$!
    for _ in $(seq 100); do [ -s "$got" ] || ! kill -0 "$news_server_pid" 2>/dev/null && break || sleep 0.1; done
    port=$(cat "$got" 2>/dev/null) || problem "no news server: $(cat "$case_dir/news-server.log")" || return
    [ "$port" = 80 ] && export ZANDREK_NEWS_SERVER=127.0.0.1 || export ZANDREK_NEWS_SERVER=127.0.0.1:$port
    echo "   news server on port $port (${*:2}) $(cat "$case_dir/news-server.log")"
}

stop_news_server() {
    [ -z "$news_server_pid" ] || { kill "$news_server_pid" && wait "$news_server_pid"; } 2>/dev/null
    news_server_pid=""
    export ZANDREK_NEWS_SERVER=127.0.0.1:9
}

# The game ended, all it started gone; the one request, exactly as sent; NewsLastModified DATE (or nothing) stored.
news_ended() {  # DATE
    local log=$case_dir/news-requests.log
    expect_all_ended || return
    grep -q '^[0-9.]* HEAD /zandrek/latest-v4.0.html HTTP/1.0$' "$log" ||
        problem "no HEAD /zandrek/latest-v4.0.html HTTP/1.0 request came: $(head -n 3 "$log")"
    grep -q '^  User-Agent: Ostrovane Software Inc.$' "$log" || problem "the request's User-Agent is not the maker's"
    grep -q '^  Accept: \*/\*$' "$log" || problem "the request does not accept */*"
    [ "$(grep -c '^[0-9.]* [A-Z]* /' "$log")" -le 1 ] || problem "more than one request in one run"
    expect_reg NewsLastModified "${1:+REG_SZ $1}"
}

# Nothing listens where the check asks: nothing offered, nothing stored. The
# developer player plays on to levels 10 and 50, shot for a person to look at.
case_news_no_server() {
    new_game && play expect-no-box 3 "${ENTER[@]}" set-edit 100 Quillbarrow "${LEVEL1[@]}" shot level01.bmp \
        command 10010 expect-title "Zandrek - Level 10" shot level10.bmp command 10050 \
        expect-title "Zandrek - Level 50" shot level50.bmp command $MENU_EXIT wait-exit || return
    for n in 01 10 50; do convert "$case_dir/game/level$n.bmp" "$shots/level$n-x86_64.png"; done
    expect_reg NewsLastModified ""
}

# A new date, nothing stored: the offer at the greeting, owned by the game window, stays open through Escape and the
# close box; after No it comes again at exit without an owner. On port 80 when the test may take it.
case_news_offer() {
    new_game && start_news_server 80 --date "$NEWS_DATE_1" && play expect-box "$NEWS_TITLE" \
        "Would you like to see it now?" expect-box-owner game key ESCAPE expect-box-open box-close expect-box-open \
        press No expect-no-box 2 "${OFFER_AT_EXIT[@]}" && news_ended "$NEWS_DATE_1"
}

# An answer after the greeting's offer has passed: the offer comes at exit.
case_news_late() {
    new_game && start_news_server 0 --date "$NEWS_DATE_1" --after "$case_dir/offer-passed" --delay 2 &&
        play expect-no-box 1 && touch "$case_dir/offer-passed" && drive expect-no-box 3 "${OFFER_AT_EXIT[@]}" &&
        news_ended "$NEWS_DATE_1"
}

# An answer only once the window is gone (the settings key closes right
# after): the process ends at once, nothing stored, nothing offered.
case_news_after_quit() {
    new_game && start_news_server 0 --date "$NEWS_DATE_1" --after "$case_dir/quit-sent" --delay 0.3 &&
        play expect-no-box 2 "${ENTER[@]}" "${LEVEL1[@]}" key q wait-window-gone && touch "$case_dir/quit-sent" &&
        news_ended ""
}

cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=($(declare -F | sed -n 's/^declare -f case_//p'))
for f in "$win64/zandrek.exe" "$win64/zandrek-driver.exe" "$win64/Zandrek.map" "$tool"; do
    [ -f "$f" ] || { echo "whole-program tests: $f is missing; run build.sh first"; exit 1; }; done
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/xvfb.display" 2>"$work/xvfb.log" &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$work/xvfb.display" ] && break || sleep 0.1; done
[ -s "$work/xvfb.display" ] || { echo "no virtual display could be started (see $work/xvfb.log)"; exit 1; }
export DISPLAY=:$(cat "$work/xvfb.display")
echo "display $DISPLAY"
passed=() skipped=() failures=() started=$SECONDS
for c in "${cases[@]}"; do run_case "$c"; done
echo "whole-program tests took $((SECONDS - started)) s; screenshots in $shots"
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]}"
echo "${#passed[@]} passed, ${#failures[@]} failed, ${#skipped[@]} skipped"
[ ${#failures[@]} -eq 0 ]

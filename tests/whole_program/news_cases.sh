# The news check, whole-program: the real zandrek.exe asks a small HTTP
# server of the test's own on the loopback address (tests/whole_program/
# news_server.py), pointed at by ZANDREK_NEWS_SERVER. Sourced by run.sh,
# whose helpers these cases use.

NEWS_TITLE="Late Breaking News!"
MENU_EXIT=103
NEWS_DATE_1="Tue, 01 Dec 2026 09:30:00 GMT"
NEWS_DATE_2="Fri, 04 Dec 2026 17:05:00 GMT"
# A game that has quit must be gone within this many seconds.
NEWS_EXIT_SECONDS=5
# The title with a news server may come this much later than without one
# before it counts as delayed by the check: on a busy shared machine the
# time to the title of one run varies by a second or two. That start-up never
# waits for the check at all is shown by the servers that hold their answer
# until the test, after the title, lets them go.
NEWS_TITLE_SLACK_MS=2500

news_server_pid=""

# Starts the server on a free port (or the one given) with its options;
# ZANDREK_NEWS_SERVER points the game at it.
start_news_server() {
    local port=$1
    shift
    rm -f "$case_dir/news-port" "$case_dir/news-requests.log"
    python3 "$here/news_server.py" "$port" "$case_dir/news-port" "$case_dir/news-requests.log" "$@" \
        >"$case_dir/news-server.log" 2>&1 &
    news_server_pid=$!
    local tries
    for tries in $(seq 100); do
        [ -s "$case_dir/news-port" ] && break
        kill -0 "$news_server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$case_dir/news-port" ] && [ "$port" = 80 ]; then
        kill "$news_server_pid" 2>/dev/null
        echo "   port 80 is not ours to take; a free port instead"
        start_news_server 0 "$@"
        return
    fi
    if [ ! -s "$case_dir/news-port" ]; then
        problem "the news server did not start: $(cat "$case_dir/news-server.log")"
        return 1
    fi
    port=$(cat "$case_dir/news-port")
    if [ "$port" = 80 ]; then
        export ZANDREK_NEWS_SERVER=127.0.0.1
    else
        export ZANDREK_NEWS_SERVER=127.0.0.1:$port
    fi
    echo "   news server on port $port ($*)"
}

stop_news_server() {
    [ -n "$news_server_pid" ] && kill "$news_server_pid" 2>/dev/null && wait "$news_server_pid" 2>/dev/null
    news_server_pid=""
    export ZANDREK_NEWS_SERVER=127.0.0.1:9
}

# The port the game's own request goes to when the test may take it.
news_port_80_or_free() {
    if [ "$(id -u)" = 0 ] && ! ss -ltn 2>/dev/null | awk '{print $4}' | grep -q ':80$'; then
        echo 80
    else
        echo 0
    fi
}

# The request the game sent, exactly as the check fixes it.
expect_news_request() {
    local log=$case_dir/news-requests.log
    if ! grep -q '^[0-9.]* HEAD /zandrek/latest-v4.0.html HTTP/1.0$' "$log"; then
        problem "no HEAD /zandrek/latest-v4.0.html HTTP/1.0 request reached the server: $(head -n 3 "$log" 2>/dev/null | tr '\n' ' ')"
        return 1
    fi
    grep -q '^  User-Agent: Ostrovane Software Inc.$' "$log" || problem "the request's agent is not Ostrovane Software Inc."
    grep -q '^  Accept: \*/\*$' "$log" || problem "the request does not accept */*"
    [ "$(grep -c '^[0-9.]* [A-Z]* /' "$log")" = 1 ] || problem "more than one request per run: $(grep -c '^[0-9.]* [A-Z]* /' "$log")"
}

expect_news_date() {
    local want=$1 seen
    seen=$(reg_query "$SETTINGS_KEY" /v NewsLastModified | awk '$1 == "NewsLastModified" { $1 = ""; $2 = ""; print }' |
        sed 's/^ *//')
    echo "   NewsLastModified: \"$seen\""
    [ "$seen" = "$want" ] || problem "NewsLastModified is \"$seen\", not \"$want\""
}

windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

# The milliseconds the driver took from starting the game to seeing the title.
title_ms() {
    tr -d '\r' <"$case_dir/last.log" | sed -n 's/^driver: elapsed title \([0-9]*\) ms$/\1/p' | head -n 1
}

# Time from the last step that ends the game (quitting, or answering the
# offer at exit) to the process having ended.
exit_ms() {
    awk '/^driver: elapsed quit/ { s = $4 } /^driver: elapsed gone/ { e = $4 } END { if (s != "" && e != "") print e - s }' \
        <(tr -d '\r' <"$case_dir/last.log")
}

expect_quick_exit() {
    local ms
    ms=$(exit_ms)
    echo "   gone $ms ms after quitting"
    [ -n "$ms" ] && [ "$ms" -le $((NEWS_EXIT_SECONDS * 1000)) ] ||
        problem "the process was not gone within $NEWS_EXIT_SECONDS s of quitting ($ms ms)"
}

# No server at all: nothing listens where the check asks. The title time is
# the yardstick for the runs with a server.
case_news_no_server() {
    new_prefix 64 && game_folder "$win64" || return 1
    # A server runs, as in the other cases, but the game asks a closed port:
    # both measurements pay for the server's start alike.
    start_news_server 0 --date "$NEWS_DATE_1" || return 1
    export ZANDREK_NEWS_SERVER=127.0.0.1:9
    drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title \
        expect-no-box 3 elapsed quit command $MENU_EXIT timeout $NEWS_EXIT_SECONDS wait-exit elapsed gone
    local status=$?
    [ -s "$case_dir/news-requests.log" ] && problem "the server was asked though the game was pointed elsewhere"
    stop_news_server
    [ "$status" = 0 ] || return 1
    local t
    t=$(title_ms)
    echo "   title after $t ms with no server"
    echo "$t" >"$work/news-baseline-ms"
    expect_quick_exit
    expect_all_ended
    ! reg_query "$SETTINGS_KEY" | grep -q NewsLastModified || problem "NewsLastModified was stored with no server"
    return "$case_failed"
}

compare_title_time() {
    local t base
    t=$(title_ms)
    base=$(cat "$work/news-baseline-ms" 2>/dev/null)
    echo "   title after $t ms (no server: ${base:-not measured} ms)"
    [ -n "$base" ] && [ -n "$t" ] && [ "$t" -gt $((base + NEWS_TITLE_SLACK_MS)) ] &&
        problem "the title came $((t - base)) ms later than with no server"
    return 0
}

# What every run whose server answered in time shows: the title no later
# than with no server, a quick exit, one request, no process left, and
# DATE stored.
expect_answered_run() {
    compare_title_time
    expect_quick_exit
    expect_news_request
    expect_all_ended
    expect_news_date "$1"
}

# A new date, with nothing stored before: the offer at the greeting, owned
# by the game window; Escape and the close box leave it open; No leaves the
# offer for the exit, where it comes again without an owner. The date is
# stored at once. On port 80, as the game asks, when the test may take it.
case_news_offer() {
    new_prefix 64 && game_folder "$win64" || return 1
    start_news_server "$(news_port_80_or_free)" --date "$NEWS_DATE_1" || return 1
    drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title \
        expect-box-title "$NEWS_TITLE" expect-box "Would you like to see it now?" expect-box-owner game \
        box-key ESCAPE sleep 700 box-close sleep 700 expect-box-title "$NEWS_TITLE" press No \
        expect-no-box 2 command $MENU_EXIT expect-box-title "$NEWS_TITLE" expect-box-owner none elapsed quit \
        press No timeout $NEWS_EXIT_SECONDS wait-exit elapsed gone
    local status=$?
    stop_news_server
    [ "$status" = 0 ] || return 1
    expect_answered_run "$NEWS_DATE_1"
    return "$case_failed"
}

# The date stored at the last run, sent back in other letters: no news. The
# game is started with a delay of 3 s, which holds back the check too.
case_news_same_date() {
    new_prefix 64 && game_folder "$win64" || return 1
    HOME=$case_dir/home WINEPREFIX=$case_dir/prefix timeout 60 "$wine64" reg add "$SETTINGS_KEY" \
        /v NewsLastModified /d "$NEWS_DATE_1" /f >"$case_dir/reg-add.log" 2>&1 </dev/null
    start_news_server 0 --date "$(echo "$NEWS_DATE_1" | tr 'a-z' 'A-Z')" || return 1
    # The driver marks the moment it has started the game.
    local mark=$case_dir/started
    drive run "zandrek.exe 3" touch "$(windows_path "$mark")" wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title expect-no-box 3 \
        elapsed quit command $MENU_EXIT expect-no-box 1 timeout $NEWS_EXIT_SECONDS wait-exit elapsed gone
    local status=$?
    stop_news_server
    [ "$status" = 0 ] || return 1
    local started asked
    started=$(date -r "$mark" +%s.%N)
    asked=$(awk -v s="$started" '/ HEAD / { printf "%.1f", $1 - s; exit }' "$case_dir/news-requests.log")
    echo "   request $asked s after the start with a 3 s delay"
    awk -v a="${asked:-0}" 'BEGIN { exit !(a >= 3) }' || problem "the check asked after $asked s, before the 3 s delay"
    local t
    t=$(title_ms)
    [ -n "$t" ] && [ "$t" -ge 3000 ] || problem "the title came after $t ms, within the 3 s delay"
    expect_quick_exit
    expect_news_request
    expect_all_ended
    expect_news_date "$NEWS_DATE_1"
    return "$case_failed"
}

# Yes: Wine's internet shortcut refuses the page, the game says so, and the
# answered offer does not come again at exit.
case_news_yes() {
    new_prefix 64 && game_folder "$win64" || return 1
    start_news_server 0 --date "$NEWS_DATE_2" || return 1
    drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title \
        expect-box-title "$NEWS_TITLE" press Yes expect-box "Error invoking URL: " press OK \
        expect-no-box 1 elapsed quit command $MENU_EXIT expect-no-box 1 timeout $NEWS_EXIT_SECONDS wait-exit \
        elapsed gone
    local status=$?
    stop_news_server
    [ "$status" = 0 ] || return 1
    expect_answered_run "$NEWS_DATE_2"
    return "$case_failed"
}

# A server that answers 2 s after the greeting's offer has passed: the
# offer comes at exit, with no window to own it.
case_news_late() {
    new_prefix 64 && game_folder "$win64" || return 1
    local trigger=$case_dir/offer-passed
    start_news_server 0 --date "$NEWS_DATE_1" --after "$trigger" --delay 2 || return 1
    drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title expect-no-box 1 \
        touch "$(windows_path "$trigger")" expect-no-box 3 \
        elapsed quit command $MENU_EXIT expect-box-title "$NEWS_TITLE" expect-box-owner none elapsed quit press No \
        timeout $NEWS_EXIT_SECONDS wait-exit elapsed gone
    local status=$?
    stop_news_server
    [ "$status" = 0 ] || return 1
    expect_answered_run "$NEWS_DATE_1"
    return "$case_failed"
}

# A server that answers only once the player has quit and the window is
# gone (the settings key closes right after it): shutdown neither waits for
# the check nor lets it near the closed key. The process ends at once;
# nothing is stored, nothing offered.
case_news_after_quit() {
    new_prefix 64 && game_folder "$win64" || return 1
    local trigger=$case_dir/quit-sent
    start_news_server 0 --date "$NEWS_DATE_1" --after "$trigger" --delay 0.3 || return 1
    drive run zandrek.exe wait-window 60 timeout 20 expect-title "$TITLE_TEXT" elapsed title expect-no-box 2 \
        click 320 200 expect-box-title "Player Name" press OK expect-title "Zandrek - Level 1" \
        elapsed quit key q wait-window-gone touch "$(windows_path "$trigger")" expect-no-box 1 \
        timeout $NEWS_EXIT_SECONDS wait-exit elapsed gone
    local status=$?
    sleep 1
    stop_news_server
    [ "$status" = 0 ] || return 1
    compare_title_time
    expect_quick_exit
    expect_news_request
    expect_all_ended
    ! reg_query "$SETTINGS_KEY" | grep -q NewsLastModified ||
        problem "NewsLastModified was stored after the settings key was closed"
    return "$case_failed"
}

news_cases=(news_no_server news_offer news_same_date news_yes news_late news_after_quit)

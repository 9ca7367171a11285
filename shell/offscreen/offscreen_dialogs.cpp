// The off-screen boxes and dialogs, answered from the script the test set,
// and the browser and help viewer hand-overs.
#include "shell/offscreen/offscreen_internal.h"

#include <algorithm>
#include <cstdio>

#include "engine/game_state.h"
#include "engine/timers.h"

namespace
{

// A box's own loop: the game's timers keep firing while it waits for its answer.
void keep_box_open()
{
    Offscreen& o = offscreen();
    if (o.box_open_ms <= 0) return;
    const int64_t until = o.now_ms + o.box_open_ms;
    while (uint32_t id = offscreen_next_due_timer(until)) {
        const int64_t due = o.timers[id];
        on_window_timer(the_game(), id);
        auto still = o.timers.find(id);
        if (still != o.timers.end() && still->second == due) still->second += std::max<int64_t>(1, o.timer_periods[id]);
    }
}

} // namespace

int platform_message_box(const char* text, const char* caption, Box_style style)
{
    Offscreen& o = offscreen();
    keep_box_open();
    Platform_call& c = offscreen_record(CALL_BOX);
    c.a = style;
    c.text = text;
    c.extra = caption;
    if (o.box_answers.empty()) return style == BOX_QUESTION ? ANSWER_NO : ANSWER_OK;
    int answer = o.box_answers.front();
    o.box_answers.pop_front();
    return answer;
}

int platform_player_name_dialog(char* buffer, int capacity)
{
    Offscreen& o = offscreen();
    Platform_call& c = offscreen_record(CALL_DIALOG);
    c.text = buffer;
    keep_box_open();
    if (o.dialog_answers.empty()) return 0;
    auto [answer, typed] = o.dialog_answers.front();
    o.dialog_answers.pop_front();
    if (answer != 0) return -1;
    std::snprintf(buffer, static_cast<size_t>(std::min(capacity, 15)), "%s", typed.c_str());
    return 0;
}

// Off screen there is no network and so never news; the check's start and
// end are steps of start-up and shutdown, and only the dialog can be asked for.
void platform_start_news_check()
{
    offscreen_record(CALL_SHELL).text = "start news";
}
void platform_close_news_check()
{
    offscreen_record(CALL_SHELL).text = "close news";
}

int platform_news_dialog()
{
    Offscreen& o = offscreen();
    offscreen_record(CALL_DIALOG).text = "DLG_NEWS";
    keep_box_open();
    if (o.box_answers.empty()) return 0;
    int answer = o.box_answers.front();
    o.box_answers.pop_front();
    return answer == ANSWER_YES ? 1 : 0;
}

int platform_open_url(const char* url)
{
    offscreen_record(CALL_OPEN_URL).text = url;
    return offscreen().url_result;
}

void platform_open_help_file(const char* path)
{
    offscreen_record(CALL_HELP_FILE).text = path;
}

void platform_current_directory(char* buffer, int capacity)
{
    std::snprintf(buffer, static_cast<size_t>(capacity), "%s", offscreen().current_directory.c_str());
}

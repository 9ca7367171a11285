// The off-screen boxes and dialogs, answered from the script the test set,
// and the browser and help viewer hand-overs.
#include "shell/offscreen/offscreen_internal.h"

#include <algorithm>
#include <cstdio>

int platform_message_box(const char* text, const char* caption, Box_style style)
{
    Offscreen& o = offscreen();
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

// Message boxes, the player name dialog, the browser hand-over and the help
// viewer in the browser. A box is an HTML <dialog>; the call waits for its
// answer in a loop of its own, as a box's nested loop does in the window:
// timers and paints go on, input to the game is dropped. A box raised from
// such a timer stacks on top and is answered first; then the one below
// takes its answer again. Each call returns its own box's button.
#include <emscripten.h>

#include <cstring>
#include <vector>

#include "shell/platform.h"
#include "shell/web/web_shell.h"

namespace
{

// 14 characters, as the window's field holds, and the terminating zero.
constexpr int NAME_FIELD_CAPACITY = 15;
constexpr int NAME_ACCEPTED = 0;
constexpr int NAME_CANCELLED = -1;
// The failure the browser hand-over answers when the page may not open a tab.
constexpr int URL_BLOCKED = static_cast<int>(0x80004005u); // E_FAIL

EM_JS(int, web_show_box, (const char* text, const char* caption, int style),
      { return ZandrekPage.dialogs.showBox(UTF8ToString(text), UTF8ToString(caption), style); });
EM_JS(int, web_show_name_dialog, (const char* name, int capacity),
      { return ZandrekPage.dialogs.showNameDialog(UTF8ToString(name), capacity); });
EM_JS(void, web_close_box, (int number), { ZandrekPage.dialogs.close(number); });
EM_JS(void, web_typed_name, (int number, char* buffer, int capacity),
      { stringToUTF8(ZandrekPage.dialogs.typedName(number), buffer, capacity); });
EM_JS(int, web_open_tab, (const char* url), { return ZandrekPage.openTab(UTF8ToString(url)) ? 1 : 0; });

struct Modal_scope {
    Modal_scope() { web_shell().modal_depth += 1; }
    ~Modal_scope() { web_shell().modal_depth -= 1; }
    Modal_scope(const Modal_scope&) = delete;
    Modal_scope& operator=(const Modal_scope&) = delete;
};

// An answer taken by the loop of a box above the one it belongs to (it was
// queued before that box opened) waits here for its own box's loop.
std::vector<Web_message> early_answers;

bool take_early_answer(int number, int* answer)
{
    for (auto it = early_answers.begin(); it != early_answers.end(); ++it) {
        if (it->a != number) continue;
        *answer = it->b;
        early_answers.erase(it);
        return true;
    }
    return false;
}

// Runs the page's messages until the box numbered `number` is answered.
int wait_for_answer(int number)
{
    for (;;) {
        int answer = 0;
        if (take_early_answer(number, &answer)) return answer;
        Web_message m = next_web_message();
        if (m.kind != WEB_BOX_ANSWER)
            dispatch_web_message(m);
        else if (m.a == number)
            return m.b;
        else
            early_answers.push_back(m);
    }
}

} // namespace

int platform_message_box(const char* text, const char* caption, Box_style style)
{
    Modal_scope modal;
    int number = web_show_box(text, caption ? caption : "Zandrek", style);
    int answer = wait_for_answer(number);
    web_close_box(number);
    return answer;
}

int platform_player_name_dialog(char* buffer, int capacity)
{
    Modal_scope modal;
    int number = web_show_name_dialog(buffer, NAME_FIELD_CAPACITY);
    int answer = wait_for_answer(number);
    char typed[NAME_FIELD_CAPACITY] = {};
    web_typed_name(number, typed, NAME_FIELD_CAPACITY);
    web_close_box(number);
    if (answer != NAME_ACCEPTED) return NAME_CANCELLED;
    std::strncpy(buffer, typed, static_cast<size_t>(capacity > 0 ? capacity - 1 : 0));
    if (capacity > 0) buffer[capacity - 1] = '\0';
    return NAME_ACCEPTED;
}

int platform_open_url(const char* url)
{
    // A blocked pop-up is a failed hand-over: the game then says so.
    return web_open_tab(url) ? 0 : URL_BLOCKED;
}

// The hint book is never among the page's files, so the game never asks for it.
void platform_open_help_file(const char* path)
{
    web_open_tab(path);
}

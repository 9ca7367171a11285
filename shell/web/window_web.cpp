// The main window in the browser: the canvas, its message loop on the
// page's queue, the title, cursor and timers.
#include <emscripten.h>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/timers.h"
#include "shell/input_gate.h"
#include "shell/menus.h"
#include "shell/platform.h"
#include "shell/title_banner.h"
#include "shell/web/web_shell.h"
#include "shell/window_input.h"

namespace
{

// Only one wait may be pending under Asyncify: every loop, the boxes'
// nested ones included, waits here.
EM_ASYNC_JS(void, web_wait_message, (int32_t * out), {
    const m = await ZandrekPage.nextMessage();
    HEAP32[(out >> 2) + 0] = m.kind;
    HEAP32[(out >> 2) + 1] = m.a | 0;
    HEAP32[(out >> 2) + 2] = m.b | 0;
    HEAP32[(out >> 2) + 3] = m.c | 0;
});

EM_JS(void, web_set_title, (const char* text), { document.title = UTF8ToString(text); });
EM_JS(void, web_set_cursor, (int cross), { ZandrekPage.setCursor(cross); });
EM_JS(void, web_set_timer, (uint32_t id, uint32_t ms), { ZandrekPage.setTimer(id, ms); });
EM_JS(void, web_kill_timer, (uint32_t id), { ZandrekPage.killTimer(id); });
EM_JS(void, web_show_banner, (int shown, int text_x, int icon_x, int icon_y),
      { ZandrekPage.showBanner(shown, text_x, icon_x, icon_y); });
EM_JS(int, web_banner_text_width, (), { return ZandrekPage.bannerTextWidth(); });
EM_JS(void, web_capture, (int on), { ZandrekPage.capture(on); });
EM_JS(void, web_open_menu, (int position), { ZandrekPage.openMenu(position); });
// The page shows what it knows of the game's screen (the tests wait on it).
EM_JS(void, web_note_mode, (int mode), { ZandrekPage.gameMode = mode; });

// The banner is laid over the canvas where the window draws it; the board
// drawn over its corner on any other screen hides it, as in the window.
void show_banner(const Game_state& state)
{
    if (!banner_shown(state)) {
        web_show_banner(0, 0, 0, 0);
        return;
    }
    Banner_layout at = banner_layout(state, web_banner_text_width());
    web_show_banner(1, at.text_x, at.icon_x, at.icon_y);
}

void paint()
{
    Game_state& state = the_game();
    Game_event event{EVENT_PAINT, CODE_PAINT, 0, 0, 0};
    handle_event(state, event);
    show_banner(state);
    web_note_mode(state.mode);
}

bool is_input(int32_t kind)
{
    return kind >= WEB_INPUT_FIRST && kind <= WEB_INPUT_LAST;
}

} // namespace

Web_shell& web_shell()
{
    static Web_shell shell;
    return shell;
}

Web_message next_web_message()
{
    flush_canvas();
    Web_message m{};
    web_wait_message(&m.kind);
    return m;
}

void dispatch_web_message(const Web_message& m)
{
    Game_state& state = the_game();
    Web_shell& w = web_shell();
    switch (m.kind) {
    case WEB_PAINT: paint(); return;
    case WEB_TIMER: on_window_timer(state, static_cast<uint32_t>(m.a)); break;
    case WEB_HELP: open_help_page(); break;
    case WEB_COMMAND:
        if (message_reaches_game(MESSAGE_MENU_COMMAND, w.modal_depth)) run_menu_command(state, m.a);
        break;
    case WEB_MENU_OPENING:
        if (!message_reaches_game(MESSAGE_MENU_COMMAND, w.modal_depth)) return;
        update_menu_states(state);
        web_open_menu(m.a);
        break;
    case WEB_TEST_BOX: platform_message_box("A box raised while another may be open", "Zandrek", BOX_INFO); break;
    default:
        if (!is_input(m.kind) || !message_reaches_game(MESSAGE_INPUT, w.modal_depth)) break;
        on_window_input(state, static_cast<Window_input>(m.kind - WEB_INPUT_FIRST), static_cast<uint32_t>(m.a),
                        static_cast<uint32_t>(m.b));
        break;
    }
    show_banner(state);
    after_window_message(state);
    web_note_mode(state.mode);
    persist_changed_files();
}

// ---- what start-up and shutdown ask of the window side ----

int platform_register_window_class()
{
    return 0;
}

int platform_create_main_window(int, int)
{
    resize_framebuffer(1, 1);
    return 0;
}

void platform_attach_menu()
{
    EM_ASM({ ZandrekPage.attachMenu(); });
}

void platform_show_window()
{
    EM_ASM({ ZandrekPage.showWindow(); });
}

void platform_size_client(int width, int height)
{
    resize_framebuffer(width, height);
}

void platform_run_message_loop()
{
    Web_shell& w = web_shell();
    while (!w.quit)
        dispatch_web_message(next_web_message());
    flush_canvas();
}

void platform_quit()
{
    web_shell().quit = true;
}

void platform_capture_mouse(bool capture)
{
    web_capture(capture ? 1 : 0);
}

void platform_destroy_menu()
{
    EM_ASM({ ZandrekPage.destroyMenu(); });
}

void platform_destroy_window()
{
    EM_ASM({ ZandrekPage.stopTimers(); });
}

void platform_set_title(const char* text)
{
    web_set_title(text);
}

void platform_set_cursor(Cursor_kind cursor)
{
    web_set_cursor(cursor == CURSOR_CROSS ? 1 : 0);
}

void platform_set_timer(uint32_t id, uint32_t milliseconds)
{
    web_set_timer(id, milliseconds);
}

void platform_kill_timer(uint32_t id)
{
    web_kill_timer(id);
}

// The off-screen program shell: start-up and shutdown steps and menu
// changes, recorded in order.
#include "shell/offscreen/offscreen_internal.h"

#include <string>
#include <vector>

namespace
{

Platform_call& shell_step(const char* name, int64_t argument = 0)
{
    Platform_call& c = offscreen_record(CALL_SHELL);
    c.text = name;
    c.a = argument;
    return c;
}

Platform_call& menu_change(const char* what, int id, int64_t state = 0)
{
    Platform_call& c = offscreen_record(CALL_MENU);
    c.text = what;
    c.a = id;
    c.b = state;
    return c;
}

// Popups are numbered from 1 so that none is the null handle.
std::vector<std::vector<int>>& popups()
{
    static std::vector<std::vector<int>> list;
    return list;
}

} // namespace

void platform_sleep(int milliseconds)
{
    shell_step("sleep", milliseconds);
    offscreen().now_ms += milliseconds;
}
void platform_process_defaults()
{
    shell_step("process defaults");
}
int platform_com_initialize()
{
    shell_step("com");
    return offscreen().com_result;
}
int platform_register_window_class()
{
    shell_step("register class");
    return offscreen().class_fails ? -1 : 0;
}
int platform_open_settings()
{
    shell_step("open settings");
    return offscreen().settings_fail ? -1 : 0;
}
int platform_last_error()
{
    return offscreen().last_error;
}
void platform_screen_size(int* width, int* height)
{
    *width = offscreen().screen_width;
    *height = offscreen().screen_height;
}
int platform_create_main_window(int x, int y)
{
    Platform_call& c = shell_step("create window", x);
    c.b = y;
    Offscreen& o = offscreen();
    o.window_x = x;
    o.window_y = y;
    return o.window_fails ? -1 : 0;
}
void platform_attach_menu()
{
    shell_step("attach menu");
    popups().clear();
    Offscreen& o = offscreen();
    o.menu_states.clear();
    o.menu_items.clear();
    o.level_menu_titles.clear();
    // The resource's initial states.
    for (int id : {101, 102, 111, 112})
        o.menu_states[id] = MENU_ITEM_GREYED;
    for (int id : {123, 124})
        o.menu_states[id] = MENU_ITEM_CHECKED;
}
void platform_show_window()
{
    shell_step("show window");
}
void platform_size_client(int width, int height)
{
    Platform_call& c = shell_step("size client", width);
    c.b = height;
    Offscreen& o = offscreen();
    o.client_width = width;
    o.client_height = height;
    if (width % 320 == 0 && width / 320 >= 1 && width == height / 192 * 320) offscreen_resize(width / 320);
}
void platform_run_message_loop()
{
    shell_step("message loop");
}
void platform_quit()
{
    shell_step("quit");
    offscreen().quit_posted = true;
}
void platform_capture_mouse(bool capture)
{
    offscreen().mouse_captured = capture;
}
void platform_release_draw_dc()
{
    shell_step("release dc");
}
void platform_destroy_menu()
{
    shell_step("destroy menu");
}
void platform_destroy_window()
{
    shell_step("destroy window");
}
void platform_close_settings()
{
    shell_step("close settings");
}

void platform_menu_set_state(int id, uint32_t state)
{
    menu_change("state", id, state);
    offscreen().menu_states[id] = state;
}
void platform_menu_check(int id, bool checked)
{
    menu_change("check", id, checked);
    uint32_t& s = offscreen().menu_states[id];
    s = checked ? (s | MENU_ITEM_CHECKED) : (s & ~uint32_t{MENU_ITEM_CHECKED});
}
Platform_menu platform_menu_create_popup()
{
    popups().emplace_back();
    return reinterpret_cast<Platform_menu>(static_cast<intptr_t>(popups().size()));
}
static void append_item(Platform_menu popup, int id, const std::string& what)
{
    popups().at(static_cast<size_t>(reinterpret_cast<intptr_t>(popup)) - 1).push_back(id);
    Offscreen& o = offscreen();
    o.menu_items[id] = what;
    o.menu_states[id] = MENU_ITEM_GREYED;
}
void platform_menu_append_picture(Platform_menu popup, int id, const Tile_dib& dib, const uint8_t* bits)
{
    Platform_call& c = menu_change("picture", id, bits != nullptr);
    c.c = dib.header.width;
    c.d = dib.header.height;
    append_item(popup, id, "picture");
}
void platform_menu_append_text(Platform_menu popup, int id, const char* text)
{
    menu_change("text", id).extra = text;
    append_item(popup, id, text);
}
void platform_menu_attach_submenu(int item_id, Platform_menu popup)
{
    menu_change("submenu", item_id, reinterpret_cast<intptr_t>(popup));
}
void platform_menu_append_to_level_menu(Platform_menu popup, const char* title)
{
    menu_change("level menu", 0, reinterpret_cast<intptr_t>(popup)).extra = title;
    offscreen().level_menu_titles.push_back(title);
}
void platform_menu_free_picture(int id)
{
    menu_change("free picture", id);
}

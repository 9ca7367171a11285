#include "shell/platform_offscreen.h"

#include "shell/framebuffer_draw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

Platform_call& record(Call_kind kind)
{
    static Platform_call scratch;
    Offscreen& o = offscreen();
    if (!o.recording) {
        scratch = Platform_call();
        scratch.kind = kind;
        return scratch;
    }
    o.calls.emplace_back();
    o.calls.back().kind = kind;
    return o.calls.back();
}

void finish_playing()
{
    Offscreen& o = offscreen();
    if (o.playing && o.now_ms >= o.wave_busy_until_ms) {
        o.playing->flags |= WAVE_DONE;
        o.playing = nullptr;
    }
}

} // namespace

Offscreen& offscreen()
{
    static Offscreen instance;
    return instance;
}

void offscreen_resize(int magnify)
{
    Offscreen& o = offscreen();
    magnify = std::max(1, magnify);
    o.width = 320 * magnify;
    o.height = 192 * magnify;
    o.pixels.assign(static_cast<size_t>(o.width) * o.height, 0);
}

void offscreen_reset(int magnify)
{
    offscreen() = Offscreen{};
    offscreen_resize(magnify);
}

uint32_t offscreen_next_due_timer(int64_t until_ms)
{
    Offscreen& o = offscreen();
    uint32_t best = 0;
    int64_t best_due = until_ms + 1;
    for (const auto& [id, due] : o.timers) {
        if (due < best_due) {
            best = id;
            best_due = due;
        }
    }
    o.now_ms = best ? std::max(o.now_ms, best_due) : std::max(o.now_ms, until_ms);
    finish_playing();
    return best;
}

std::vector<const Platform_call*> offscreen_calls_of(Call_kind kind)
{
    std::vector<const Platform_call*> found;
    for (const Platform_call& c : offscreen().calls)
        if (c.kind == kind) found.push_back(&c);
    return found;
}

// ---- drawing ----

bool platform_get_draw_dc()
{
    return offscreen().draw_available;
}

void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h)
{
    Platform_call& c = record(CALL_BLIT);
    c.a = dst_x, c.b = dst_y, c.c = dst_w, c.d = dst_h;
    Offscreen& o = offscreen();
    if (!o.recording) return; // the no-op sink draws nothing either
    Framebuffer canvas{o.pixels.data(), o.width, o.height};
    framebuffer_stretch(canvas, dib, bits, src_w, src_h, dst_x, dst_y, dst_w, dst_h);
}

void platform_fill_black(int x, int y, int w, int h)
{
    Platform_call& c = record(CALL_FILL);
    c.a = x, c.b = y, c.c = w, c.d = h;
    Offscreen& o = offscreen();
    if (!o.recording) return;
    Framebuffer canvas{o.pixels.data(), o.width, o.height};
    framebuffer_fill_black(canvas, x, y, w, h);
}

int offscreen_text_width(const char* text)
{
    return framebuffer_text_width(text);
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    Platform_call& c = record(CALL_TEXT);
    c.a = x, c.b = y, c.c = align, c.d = rgb;
    Offscreen& o = offscreen();
    if (!o.recording) return;
    c.text = text;
    Framebuffer canvas{o.pixels.data(), o.width, o.height};
    framebuffer_text(canvas, x, y, text, align, rgb);
}

void platform_create_palette(const uint8_t*, int colour_count)
{
    Platform_call& c = record(CALL_PALETTE);
    c.a = colour_count;
}

// ---- window ----

void platform_set_title(const char* text)
{
    record(CALL_TITLE).text = text;
}
void platform_set_cursor(Cursor_kind cursor)
{
    record(CALL_CURSOR).a = cursor;
}

int64_t platform_now_seconds()
{
    const Offscreen& o = offscreen();
    return o.epoch_seconds + o.now_ms / 1000;
}

// ---- timers ----

void platform_set_timer(uint32_t id, uint32_t milliseconds)
{
    Platform_call& c = record(CALL_SET_TIMER);
    c.a = id, c.b = milliseconds;
    offscreen().timers[id] = offscreen().now_ms + milliseconds;
}

void platform_kill_timer(uint32_t id)
{
    record(CALL_KILL_TIMER).a = id;
    offscreen().timers.erase(id);
}

// ---- wave output ----

int platform_wave_open(int rate, int bits)
{
    Offscreen& o = offscreen();
    Platform_call& c = record(CALL_WAVE_OPEN);
    c.a = rate, c.b = bits;
    if (o.wave_open_fails) return -1;
    o.wave_rate = rate;
    o.wave_bits = bits;
    return 0;
}

void platform_wave_close()
{
    record(CALL_WAVE_CLOSE);
}

int platform_wave_reset()
{
    record(CALL_WAVE_RESET);
    Offscreen& o = offscreen();
    if (o.wave_reset_fails) return -1;
    if (o.playing) o.playing->flags |= WAVE_DONE;
    o.playing = nullptr;
    return 0;
}

int platform_wave_prepare(Wave_header& header)
{
    record(CALL_WAVE_PREPARE);
    header.flags |= WAVE_PREPARED;
    return 0;
}

int platform_wave_unprepare(Wave_header& header)
{
    record(CALL_WAVE_UNPREPARE);
    header.flags &= ~WAVE_PREPARED;
    return 0;
}

int platform_wave_write(Wave_header& header)
{
    Offscreen& o = offscreen();
    Platform_call& c = record(CALL_WAVE_WRITE);
    c.a = o.wave_rate, c.b = o.wave_bits;
    if (o.recording && header.data) {
        c.bytes.assign(static_cast<const uint8_t*>(header.data),
                       static_cast<const uint8_t*>(header.data) + header.length);
        o.sounds.push_back(Offscreen_sound{o.now_ms, o.wave_rate, o.wave_bits, c.bytes});
    }
    header.flags &= ~WAVE_DONE;
    o.playing = &header;
    int bytes_per_second = o.wave_rate * std::max(1, o.wave_bits / 8);
    o.wave_busy_until_ms = o.now_ms + (bytes_per_second > 0 ? header.length * 1000LL / bytes_per_second : 0);
    return 0;
}

// ---- boxes, settings, dialogs ----

int platform_message_box(const char* text, const char* caption, Box_style style)
{
    Offscreen& o = offscreen();
    Platform_call& c = record(CALL_BOX);
    c.a = style;
    c.text = text;
    c.extra = caption;
    if (o.box_answers.empty()) return style == BOX_QUESTION ? ANSWER_NO : ANSWER_OK;
    int answer = o.box_answers.front();
    o.box_answers.pop_front();
    return answer;
}

int platform_reg_get_dword(const char* name, uint32_t* value)
{
    const auto& reg = offscreen().registry;
    auto it = reg.find(name);
    if (it == reg.end() || !it->second.is_dword || it->second.bytes.size() != 4) return 0;
    std::memcpy(value, it->second.bytes.data(), 4);
    return 1;
}

void platform_reg_set_dword(const char* name, uint32_t value)
{
    Platform_call& c = record(CALL_REG_SET);
    c.text = name;
    c.a = value;
    Registry_value& v = offscreen().registry[name];
    v.is_dword = true;
    v.bytes.assign(reinterpret_cast<const uint8_t*>(&value), reinterpret_cast<const uint8_t*>(&value) + 4);
}

int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    const auto& reg = offscreen().registry;
    auto it = reg.find(name);
    if (it == reg.end() || it->second.is_dword || it->second.bytes.size() > capacity) return 0;
    std::memcpy(buffer, it->second.bytes.data(), it->second.bytes.size());
    if (it->second.bytes.size() < capacity) buffer[it->second.bytes.size()] = '\0';
    return 1;
}

void platform_reg_set_string(const char* name, const char* text, uint32_t bytes)
{
    Platform_call& c = record(CALL_REG_SET);
    c.text = name;
    c.extra.assign(text, strnlen(text, bytes));
    Registry_value& v = offscreen().registry[name];
    v.is_dword = false;
    v.bytes.assign(reinterpret_cast<const uint8_t*>(text), reinterpret_cast<const uint8_t*>(text) + bytes);
}

int platform_player_name_dialog(char* buffer, int capacity)
{
    Offscreen& o = offscreen();
    Platform_call& c = record(CALL_DIALOG);
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
    record(CALL_SHELL).text = "start news";
}
void platform_close_news_check()
{
    record(CALL_SHELL).text = "close news";
}

int platform_news_dialog()
{
    Offscreen& o = offscreen();
    record(CALL_DIALOG).text = "DLG_NEWS";
    if (o.box_answers.empty()) return 0;
    int answer = o.box_answers.front();
    o.box_answers.pop_front();
    return answer == ANSWER_YES ? 1 : 0;
}

int platform_open_url(const char* url)
{
    record(CALL_OPEN_URL).text = url;
    return offscreen().url_result;
}

void platform_open_help_file(const char* path)
{
    record(CALL_HELP_FILE).text = path;
}

void platform_current_directory(char* buffer, int capacity)
{
    std::snprintf(buffer, static_cast<size_t>(capacity), "%s", offscreen().current_directory.c_str());
}

// ---- the program's shell ----

namespace
{

Platform_call& shell_step(const char* name, int64_t argument = 0)
{
    Platform_call& c = record(CALL_SHELL);
    c.text = name;
    c.a = argument;
    return c;
}

Platform_call& menu_change(const char* what, int id, int64_t state = 0)
{
    Platform_call& c = record(CALL_MENU);
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
    shell_step(capture ? "capture" : "release capture");
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
    Offscreen& o = offscreen();
    if (o.popups_before_failure == 0) return nullptr;
    if (o.popups_before_failure > 0) o.popups_before_failure -= 1;
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

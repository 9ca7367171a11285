#include "shell/platform_offscreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

Platform_call& record(Call_kind kind)
{
    static Platform_call scratch;
    Offscreen& o = offscreen();
    if (!o.recording) {
        o.dropped_calls += 1;
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

}  // namespace

Offscreen& offscreen()
{
    static Offscreen instance;
    return instance;
}

void offscreen_resize(int magnify)
{
    Offscreen& o = offscreen();
    if (magnify < 1) magnify = 1;
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

bool platform_get_draw_dc() { return offscreen().draw_available; }

void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h)
{
    Platform_call& c = record(CALL_BLIT);
    c.a = dst_x, c.b = dst_y, c.c = dst_w, c.d = dst_h;
    Offscreen& o = offscreen();
    if (src_w <= 0 || src_h <= 0 || !bits) return;
    size_t stride = static_cast<size_t>((src_w + 3) & ~3);
    for (int y = std::max(0, dst_y); y < std::min(o.height, dst_y + dst_h); ++y) {
        int sy = static_cast<int>((static_cast<int64_t>(y - dst_y) * src_h) / dst_h);
        for (int x = std::max(0, dst_x); x < std::min(o.width, dst_x + dst_w); ++x) {
            int sx = static_cast<int>((static_cast<int64_t>(x - dst_x) * src_w) / dst_w);
            const Rgb_quad& q = dib.colours[bits[static_cast<size_t>(sy) * stride + sx]];
            o.pixels[static_cast<size_t>(y) * o.width + x] = (uint32_t{q.red} << 16) | (uint32_t{q.green} << 8) | q.blue;
        }
    }
}

void platform_fill_black(int x, int y, int w, int h)
{
    Platform_call& c = record(CALL_FILL);
    c.a = x, c.b = y, c.c = w, c.d = h;
    Offscreen& o = offscreen();
    for (int row = std::max(0, y); row < std::min(o.height, y + h); ++row)
        for (int col = std::max(0, x); col < std::min(o.width, x + w); ++col)
            o.pixels[static_cast<size_t>(row) * o.width + col] = 0;
}

void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb)
{
    Platform_call& c = record(CALL_TEXT);
    c.a = x, c.b = y, c.c = align, c.d = rgb;
    c.text = text;
}

void platform_create_palette(const uint8_t*, int colour_count)
{
    Platform_call& c = record(CALL_PALETTE);
    c.a = colour_count;
}

// ---- window ----

void platform_set_title(const char* text) { record(CALL_TITLE).text = text; }
void platform_set_cursor(Cursor_kind cursor) { record(CALL_CURSOR).a = cursor; }

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
    o.wave_open = true;
    o.wave_rate = rate;
    o.wave_bits = bits;
    return 0;
}

void platform_wave_close()
{
    record(CALL_WAVE_CLOSE);
    offscreen().wave_open = false;
}

int platform_wave_reset()
{
    record(CALL_WAVE_RESET);
    Offscreen& o = offscreen();
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
    if (o.recording && header.data)
        c.bytes.assign(static_cast<const uint8_t*>(header.data), static_cast<const uint8_t*>(header.data) + header.length);
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

int platform_open_url(const char* url)
{
    record(CALL_OPEN_URL).text = url;
    return 0;
}

void platform_current_directory(char* buffer, int capacity)
{
    std::snprintf(buffer, static_cast<size_t>(capacity), "%s", offscreen().current_directory.c_str());
}

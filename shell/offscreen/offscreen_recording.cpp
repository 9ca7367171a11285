// The off-screen platform's record of calls, its reset, and the window
// and timers on its virtual clock.
#include "shell/offscreen/offscreen_internal.h"

#include <algorithm>

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
    offscreen_finish_playing();
    return best;
}

std::vector<const Platform_call*> offscreen_calls_of(Call_kind kind)
{
    std::vector<const Platform_call*> found;
    for (const Platform_call& c : offscreen().calls)
        if (c.kind == kind) found.push_back(&c);
    return found;
}

Platform_call& offscreen_record(Call_kind kind)
{
    // Not recording, the caller fills in a record that nothing reads.
    static Platform_call scratch;
    Offscreen& o = offscreen();
    if (!o.recording) return scratch;
    o.calls.emplace_back();
    o.calls.back().kind = kind;
    return o.calls.back();
}

// ---- window ----

void platform_set_title(const char* text)
{
    offscreen_record(CALL_TITLE).text = text;
}
void platform_set_cursor(Cursor_kind cursor)
{
    offscreen_record(CALL_CURSOR).a = cursor;
}

int64_t platform_now_seconds()
{
    const Offscreen& o = offscreen();
    return o.epoch_seconds + o.now_ms / 1000;
}

// ---- timers ----

void platform_set_timer(uint32_t id, uint32_t milliseconds)
{
    Platform_call& c = offscreen_record(CALL_SET_TIMER);
    c.a = id, c.b = milliseconds;
    offscreen().timers[id] = offscreen().now_ms + milliseconds;
    offscreen().timer_periods[id] = milliseconds;
}

void platform_kill_timer(uint32_t id)
{
    offscreen_record(CALL_KILL_TIMER).a = id;
    offscreen().timers.erase(id);
    offscreen().timer_periods.erase(id);
}

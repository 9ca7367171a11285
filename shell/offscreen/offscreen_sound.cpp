// The off-screen wave output: every buffer kept, and a buffer counts as
// playing for as long as its bytes last at the device's rate on the
// virtual clock.
#include "shell/offscreen/offscreen_internal.h"

#include <algorithm>

void offscreen_finish_playing()
{
    Offscreen& o = offscreen();
    if (o.playing && o.now_ms >= o.wave_busy_until_ms) {
        o.playing->flags |= WAVE_DONE;
        o.playing = nullptr;
    }
}

int platform_wave_open(int rate, int bits)
{
    Offscreen& o = offscreen();
    Platform_call& c = offscreen_record(CALL_WAVE_OPEN);
    c.a = rate, c.b = bits;
    if (o.wave_open_fails) return -1;
    o.wave_rate = rate;
    o.wave_bits = bits;
    return 0;
}

void platform_wave_close()
{
    offscreen_record(CALL_WAVE_CLOSE);
}

int platform_wave_reset()
{
    offscreen_record(CALL_WAVE_RESET);
    Offscreen& o = offscreen();
    if (o.wave_reset_fails) return -1;
    if (o.playing) o.playing->flags |= WAVE_DONE;
    o.playing = nullptr;
    return 0;
}

int platform_wave_prepare(Wave_header& header)
{
    offscreen_record(CALL_WAVE_PREPARE);
    header.flags |= WAVE_PREPARED;
    return 0;
}

int platform_wave_unprepare(Wave_header& header)
{
    offscreen_record(CALL_WAVE_UNPREPARE);
    header.flags &= ~WAVE_PREPARED;
    return 0;
}

int platform_wave_write(Wave_header& header)
{
    Offscreen& o = offscreen();
    Platform_call& c = offscreen_record(CALL_WAVE_WRITE);
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

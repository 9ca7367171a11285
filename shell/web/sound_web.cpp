// The wave output in the browser: one Web Audio buffer at a time. The page
// sets the game's done flag when the buffer has played, or, while the audio
// context waits for the player's first key or click, when it would have.
#include <emscripten.h>

#include <cstddef>

#include "shell/platform.h"

namespace
{

struct Wave_device {
    bool open = false;
    int rate = 0, bits = 0;
};
Wave_device device;

EM_JS(void, web_wave_play, (const void* data, uint32_t length, int rate, int bits, uint32_t* flags, uint32_t done),
      { ZandrekPage.audio.play(data, length, rate, bits, flags, done); });
EM_JS(void, web_wave_stop, (), { ZandrekPage.audio.stop(); });

} // namespace

int platform_wave_open(int rate, int bits)
{
    if (bits != 8 && bits != 16) return -1;
    device = Wave_device{true, rate, bits};
    return 0;
}

void platform_wave_close()
{
    if (device.open) web_wave_stop();
    device.open = false;
}

int platform_wave_reset()
{
    if (!device.open) return -1;
    // The page marks the stopped buffer done, as the device does.
    web_wave_stop();
    return 0;
}

int platform_wave_prepare(Wave_header& header)
{
    if (!device.open) return -1;
    header.flags = WAVE_PREPARED | WAVE_DONE;
    return 0;
}

int platform_wave_unprepare(Wave_header& header)
{
    if (!device.open) return -1;
    header.flags &= ~WAVE_PREPARED;
    return 0;
}

int platform_wave_write(Wave_header& header)
{
    if (!device.open || !(header.flags & WAVE_PREPARED)) return -1;
    header.flags &= ~WAVE_DONE;
    web_wave_play(header.data, header.length, device.rate, device.bits, &header.flags, WAVE_DONE);
    return 0;
}

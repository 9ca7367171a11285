// The wave output on Windows: one waveOut device. The game's header is the
// device's WAVEHDR itself, so the done flag the game reads is the one the
// device sets when the buffer has played; the window never acts on the
// device's notifications.
// windows.h must come before mmsystem.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstddef>

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

static_assert(sizeof(Wave_header) == sizeof(WAVEHDR), "the game's header is a WAVEHDR");
static_assert(offsetof(Wave_header, data) == offsetof(WAVEHDR, lpData), "lpData");
static_assert(offsetof(Wave_header, length) == offsetof(WAVEHDR, dwBufferLength), "dwBufferLength");
static_assert(offsetof(Wave_header, flags) == offsetof(WAVEHDR, dwFlags), "dwFlags");
static_assert(offsetof(Wave_header, next) == offsetof(WAVEHDR, lpNext), "lpNext");
static_assert(WAVE_DONE == WHDR_DONE && WAVE_PREPARED == WHDR_PREPARED, "the flags are the device's");

namespace
{

WAVEHDR* device_header(Wave_header& header)
{
    return reinterpret_cast<WAVEHDR*>(&header);
}

} // namespace

int platform_wave_open(int rate, int bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.nAvgBytesPerSec = static_cast<DWORD>(rate * bits / 8);
    format.nBlockAlign = static_cast<WORD>(bits / 8);
    format.wBitsPerSample = static_cast<WORD>(bits);
    Win32_shell& w = win32_shell();
    if (waveOutOpen(&w.wave_out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(w.main_window), 0,
                    CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        w.wave_out = nullptr;
        return -1;
    }
    return 0;
}

void platform_wave_close()
{
    Win32_shell& w = win32_shell();
    if (w.wave_out) waveOutClose(w.wave_out);
    w.wave_out = nullptr;
}

int platform_wave_reset()
{
    Win32_shell& w = win32_shell();
    return w.wave_out && waveOutReset(w.wave_out) == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_prepare(Wave_header& header)
{
    // The device takes a header whose flags, loops and links start at zero.
    header.bytes_recorded = 0;
    header.user = 0;
    header.flags = 0;
    header.loops = 0;
    header.next = nullptr;
    header.reserved = 0;
    MMRESULT r = waveOutPrepareHeader(win32_shell().wave_out, device_header(header), sizeof(WAVEHDR));
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_unprepare(Wave_header& header)
{
    MMRESULT r = waveOutUnprepareHeader(win32_shell().wave_out, device_header(header), sizeof(WAVEHDR));
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_write(Wave_header& header)
{
    MMRESULT r = waveOutWrite(win32_shell().wave_out, device_header(header), sizeof(WAVEHDR));
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

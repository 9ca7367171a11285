// The wave output on Windows: one waveOut device with one header, its
// completion reported to the main window.
// windows.h must come before mmsystem.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

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

// The game's own header mirrors the one WAVEHDR the device knows about.
static void sync_from_device(Wave_header& header)
{
    const WAVEHDR& h = win32_shell().wave_header;
    header.flags = 0;
    if (h.dwFlags & WHDR_DONE) header.flags |= WAVE_DONE;
    if (h.dwFlags & WHDR_PREPARED) header.flags |= WAVE_PREPARED;
}

int platform_wave_reset()
{
    Win32_shell& w = win32_shell();
    if (!w.wave_out || waveOutReset(w.wave_out) != MMSYSERR_NOERROR) return -1;
    if (w.wave_mirror) sync_from_device(*w.wave_mirror);
    return 0;
}

int platform_wave_prepare(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    w.wave_header = WAVEHDR{};
    w.wave_header.lpData = static_cast<LPSTR>(const_cast<void*>(header.data));
    w.wave_header.dwBufferLength = header.length;
    MMRESULT r = waveOutPrepareHeader(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_unprepare(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    MMRESULT r = waveOutUnprepareHeader(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

int platform_wave_write(Wave_header& header)
{
    Win32_shell& w = win32_shell();
    MMRESULT r = waveOutWrite(w.wave_out, &w.wave_header, sizeof(WAVEHDR));
    sync_from_device(header);
    header.flags &= ~WAVE_DONE;
    w.wave_mirror = &header;
    return r == MMSYSERR_NOERROR ? 0 : -1;
}

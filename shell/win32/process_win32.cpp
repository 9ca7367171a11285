// What the game asks of the process on Windows: binary files, the cursors,
// COM for the browser hand-over, the clock, the current folder, pauses and
// the last error.
#include <fcntl.h>
#include <ole2.h>

#include <cstdlib>
#include <ctime>

#include "shell/platform.h"
#include "shell/win32/win32_shell.h"

void platform_process_defaults()
{
    _fmode = _O_BINARY;
    Win32_shell& w = win32_shell();
    if (!w.instance) w.instance = GetModuleHandleA(nullptr);
    w.arrow_cursor = LoadCursorA(nullptr, IDC_ARROW);
    w.cross_cursor = LoadCursorA(nullptr, IDC_CROSS);
}

int platform_com_initialize()
{
    return static_cast<int>(OleInitialize(nullptr));
}

int64_t platform_now_seconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

void platform_sleep(int milliseconds)
{
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

int platform_last_error()
{
    return static_cast<int>(GetLastError());
}

void platform_current_directory(char* buffer, int capacity)
{
    if (!GetCurrentDirectoryA(static_cast<DWORD>(capacity), buffer) && capacity > 0) buffer[0] = '\0';
}

// The settings on Windows: one registry key, opened at start-up and closed
// at shutdown, read and written a value at a time.
#include <string>

#include "shell/platform.h"
#include "shell/win32/news_thread.h"
#include "shell/win32/win32_shell.h"

int platform_open_settings()
{
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Ostrovane\\Zandrek", &win32_shell().settings_key) != ERROR_SUCCESS)
        return -1;
    news_settings_opened();
    return 0;
}

void platform_close_settings()
{
    Win32_shell& w = win32_shell();
    // Waits while the news thread holds the key; it never takes it again.
    news_settings_closing();
    if (w.settings_key) RegCloseKey(w.settings_key);
    w.settings_key = nullptr;
}

// A value of another type or size counts as absent.
int platform_reg_get_dword(const char* name, uint32_t* value)
{
    DWORD type = 0, size = sizeof(DWORD), v = 0;
    if (RegQueryValueExA(win32_shell().settings_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(DWORD))
        return 0;
    *value = v;
    return 1;
}

void platform_reg_set_dword(const char* name, uint32_t value)
{
    DWORD v = value;
    RegSetValueExA(win32_shell().settings_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity)
{
    DWORD type = 0, size = capacity;
    if (RegQueryValueExA(win32_shell().settings_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return 0;
    return 1;
}

void platform_reg_set_string(const char* name, const char* text, uint32_t bytes)
{
    // The system stores one byte more than asked when the last byte asked is
    // not zero and the one after it is: text not terminated within `bytes`
    // goes over with a non-zero byte after it, so exactly `bytes` are stored.
    std::string stored(text, bytes);
    stored.push_back('\x01');
    RegSetValueExA(win32_shell().settings_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.data()), bytes);
}

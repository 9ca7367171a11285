// The Win32 platform's side of the platform contract, run for real under
// Wine: time is the message loop pumped for that long, boxes are answered by
// a thread timer inside their own loop, the menu is the one the window shows.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "engine/timers.h"
#include "shell/platform.h"
#include "shell/win32/win32_shell.h"
#include "tests/platform_contract.h"

namespace
{

std::filesystem::path home;
DWORD boxes_answered_at = 0; // the tick count from which a box is answered

// Ticks on until a box is there: the time may be up before the box shows.
void CALLBACK answer_box_when_due(HWND, UINT, UINT_PTR id, DWORD now)
{
    HWND box = FindWindowA("#32770", nullptr);
    if (static_cast<LONG>(now - boxes_answered_at) < 0 || !box ||
        GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId())
        return;
    EndDialog(box, IDOK);
    KillTimer(nullptr, id);
}

} // namespace

void contract_start()
{
    if (win32_shell().main_window) GTEST_SKIP() << "the whole program runs in this process: run these cases alone";
    platform_process_defaults();
    platform_register_window_class(); // fails, harmlessly, from the second case of a run on
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ostrovane\\Zandrek");
    platform_open_settings();
    platform_create_main_window(PLATFORM_DEFAULT_POSITION, 0);
    platform_attach_menu();
    home = std::filesystem::current_path();
    const auto scratch = home / ("contract-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
}

void contract_finish()
{
    if (home.empty()) return;
    const std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(home);
    std::filesystem::remove_all(scratch);
    timer_list_clear(the_game());
    platform_destroy_menu();
    platform_destroy_window();
    platform_close_settings();
    // The window's end posts a quit, which would end the next case's box at once.
    contract_let_time_pass(0);
}

void contract_let_time_pass(int milliseconds)
{
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    MSG msg;
    for (LONG left = milliseconds; left >= 0; left = static_cast<LONG>(until - GetTickCount())) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

void contract_keep_boxes_open(int milliseconds)
{
    boxes_answered_at = GetTickCount() + static_cast<DWORD>(milliseconds);
    SetTimer(nullptr, 0, 20, answer_box_when_due);
}

uint32_t contract_menu_state(int id)
{
    return GetMenuState(win32_shell().main_menu, static_cast<UINT>(id), MF_BYCOMMAND) &
           (MENU_ITEM_GREYED | MENU_ITEM_CHECKED);
}

const char* contract_no_sound_because()
{
    return waveOutGetNumDevs() > 0 ? ""
                                   : "no wave output device: Wine's Audio driver or ALSA's sound setting is not set up";
}

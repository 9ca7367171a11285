// The whole-program test driver: a console program that plays the game from
// outside, through the same window messages a person's keys and clicks make.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Driver {
    std::string window_class = "Zandrek Class";
    double wait_seconds = 10.0; // how long every expect- and wait- command waits
    HWND window = nullptr;      // the game window, once found
    HWND box = nullptr;         // the dialog or message box last waited for
    HANDLE process = nullptr;   // the game process, started or found through its window
    DWORD process_id = 0;
    DWORD started_at = 0; // tick count when `run` started the program
};

// Polls `ready` every 50 ms until it says yes or `seconds` pass.
template <typename Ready> bool wait_until(double seconds, Ready ready)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(seconds * 1000.0)) return false;
        Sleep(50);
    }
}

// game_window.cpp
HWND find_game_window(const Driver& d);
std::string window_text(HWND window);
HWND find_box(const Driver& d);
std::string box_text(HWND box);
std::vector<HWND> box_buttons(HWND box);
HWND find_button(HWND box, const std::string& label);
HWND find_edit(HWND box, int id);
std::string edit_text(HWND edit);
bool client_size(HWND window, int* width, int* height);

// keys.cpp
int virtual_key(const std::string& name);
void post_key(HWND window, int vk);
int move_key(char move);

// screenshot.cpp
int save_client_bmp(HWND window, const char* path);

// file_version.cpp
int file_version(const char* path, std::string* version);

// Drives the real Win32 program inside one test process: start-up as the
// game does it (in a scratch folder of its own, with fresh settings), a
// message pump, and a timer that answers every box and dialog the game opens.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "shell/win32/win32_shell.h"

struct Game_state;

// What the game showed in a box or dialog, in order.
struct Shown_window {
    std::string title;
    std::string text; // every static text of the window, joined by "|"
};

// How the next box or dialog is answered; when none is queued, boxes take
// No where they have it and OK otherwise, and dialogs Cancel.
struct Answer {
    int button;
    std::string typed;     // put into the player name field before the button
    bool ask_help = false; // F1 in the dialog before the button
};

std::vector<Shown_window>& shown_windows();
std::deque<Answer>& answers();

// Delivers every waiting message (and timer message) for `milliseconds`;
// true when the game asked to quit meanwhile.
bool pump(int milliseconds = 50);
HWND game_window();
// Bytes of the settings value, empty when it is missing; `type` receives its type.
std::vector<uint8_t> setting(const char* name, DWORD* type = nullptr);
std::vector<uint8_t> score_file_bytes();

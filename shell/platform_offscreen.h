// The platform as tests and tools see it: every call is recorded in order,
// drawing lands in a framebuffer, sounds are kept, timers run on a virtual
// clock, settings live in a map, and dialogs and boxes answer from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "shell/platform.h"

enum Call_kind {
    CALL_BLIT,
    CALL_FILL,
    CALL_TEXT,
    CALL_PALETTE,
    CALL_TITLE,
    CALL_CURSOR,
    CALL_SET_TIMER,
    CALL_KILL_TIMER,
    CALL_WAVE_OPEN,
    CALL_WAVE_CLOSE,
    CALL_WAVE_RESET,
    CALL_WAVE_PREPARE,
    CALL_WAVE_UNPREPARE,
    CALL_WAVE_WRITE,
    CALL_BOX,
    CALL_REG_SET,
    CALL_DIALOG,
    CALL_OPEN_URL,
    CALL_HELP_FILE,
    CALL_SHELL, // start-up and shutdown steps: text = the step's name, a = its argument
    CALL_MENU,  // menu changes: text = what, a = item id, b = state (pictures: whether it has pixels)
};

// One recorded call. Blits and fills: a..d = destination x, y, w, h.
// Text: a, b = position, c = alignment, d = colour. Timers: a = id,
// b = milliseconds. Wave open: a = rate, b = bits. Wave write: bytes = the
// buffer. Box: a = style, text = text, caption kept in `extra`.
struct Platform_call {
    Call_kind kind = CALL_BLIT;
    int64_t a = 0, b = 0, c = 0, d = 0;
    std::string text;
    std::string extra;
    std::vector<uint8_t> bytes;
};

// One buffer the wave output was handed: when, at which format, and its bytes.
struct Offscreen_sound {
    int64_t at_ms = 0;
    int rate = 0, bits = 0;
    std::vector<uint8_t> bytes;
};

struct Registry_value {
    bool is_dword = false;
    std::vector<uint8_t> bytes;
};

struct Offscreen {
    bool recording = true; // off: a no-op sink, calls dropped, nothing drawn (benchmarks)
    std::vector<Platform_call> calls;
    bool draw_available = true;

    // Framebuffer of the client area, 0x00RRGGBB per pixel.
    int width = 640, height = 384;
    std::vector<uint32_t> pixels;

    // Virtual clock: milliseconds since start, and the calendar second it began at.
    int64_t now_ms = 0;
    int64_t epoch_seconds = 1700000000;
    std::map<uint32_t, int64_t> timers;        // id -> due time in ms
    std::map<uint32_t, int64_t> timer_periods; // id -> ms between calls
    // How long each box and dialog stays open before its answer, on the
    // virtual clock; timers that come due meanwhile fire inside it.
    int64_t box_open_ms = 0;

    // Wave output.
    int wave_rate = 0, wave_bits = 0;
    int64_t wave_busy_until_ms = 0;
    Wave_header* playing = nullptr;
    bool wave_open_fails = false, wave_reset_fails = false;
    std::vector<Offscreen_sound> sounds; // every buffer written, in order

    std::map<std::string, Registry_value> registry;

    // Scripted answers; when empty, boxes answer OK and dialogs accept the shown name.
    std::deque<int> box_answers; // the news dialog answers from here too (ANSWER_YES or ANSWER_NO)
    std::deque<std::pair<int, std::string>> dialog_answers; // (0 OK / -1 cancel, typed name)
    std::string current_directory = "C:\\zandrek";
    int url_result = 0; // what the browser hand-over answers

    // The shell: failures to play, the screen, the client area and the menus.
    int com_result = 0;
    bool class_fails = false, settings_fail = false, window_fails = false;
    int last_error = 0;
    int screen_width = 1024, screen_height = 768;
    int window_x = 0, window_y = 0; // where the window was created
    int client_width = 1, client_height = 1;
    std::map<int, uint32_t> menu_states;        // item id -> MENU_ITEM_* bits
    std::map<int, std::string> menu_items;      // level item id -> "picture" or its text
    std::vector<std::string> level_menu_titles; // pack popups appended to the Level menu
    bool mouse_captured = false;
    bool quit_posted = false;
};

Offscreen& offscreen();
// Starts afresh: no calls, empty settings, clock at 0, framebuffer for magnification m.
void offscreen_reset(int magnify = 2);
void offscreen_resize(int magnify);
// The id of the earliest timer due at or before `until_ms`, advancing the
// clock to it; 0 when none is due (the clock then stands at until_ms).
uint32_t offscreen_next_due_timer(int64_t until_ms);
std::vector<const Platform_call*> offscreen_calls_of(Call_kind kind);

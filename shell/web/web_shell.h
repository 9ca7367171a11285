// What the browser layer's subsystems share: the framebuffer behind the
// canvas, the messages the page queues for the game, and the modal depth.
// The page's own side lives in page/zandrek_page.js; the C++ side reaches it
// only through the EM_JS calls of these files.
#pragma once

#include <cstdint>
#include <vector>

// The kinds of message the page queues. The first eight are the window's
// inputs in the order of Window_input, one more than its value.
enum Web_message_kind : int32_t {
    WEB_INPUT_FIRST = 1,
    WEB_INPUT_LAST = 8,
    WEB_TIMER = 10,
    WEB_PAINT = 11,
    WEB_COMMAND = 12,
    WEB_MENU_OPENING = 13, // a = the menu bar position
    WEB_BOX_ANSWER = 14,   // a = the box's number, b = the answer
    WEB_TEST_BOX = 15,     // the tests' stand-in for a box raised by a timer
    WEB_HELP = 16,         // F1 in a dialog
};

struct Web_message {
    int32_t kind;
    int32_t a, b, c;
};

struct Web_shell {
    std::vector<uint32_t> pixels; // 0x00RRGGBB, as the off-screen layer keeps them
    int width = 1, height = 1;
    // Drawn since the last flush: x0 <= x < x1, y0 <= y < y1; empty when x0 >= x1.
    int dirty_x0 = 0, dirty_y0 = 0, dirty_x1 = 0, dirty_y1 = 0;
    std::vector<uint8_t> rgba; // the dirty rectangle as the canvas takes it
    bool quit = false;
    // Boxes and dialogs open: timers and paints still come, input is dropped.
    int modal_depth = 0;
};

Web_shell& web_shell();

// Waits for the page's next message, the canvas brought up to date first.
Web_message next_web_message();
// What the window procedure does with one message outside a box's own
// answer: dispatches it to the game, or drops input while a box is open.
void dispatch_web_message(const Web_message& message);

void mark_dirty(int x, int y, int w, int h);
void flush_canvas();
void resize_framebuffer(int width, int height);

// Before the game reads anything: the stored files loaded into the game's folder.
void load_stored_files();
// After every message: a changed score file is copied to the stored folder
// and synced.
void persist_changed_files();

// The one thin layer between the game and the operating system, and the
// bottom of the build: every layer may include it, it includes nothing of
// the game. The game logic calls only these free functions. The Windows
// build links the Win32 implementation (shell/win32/); tests and tools link
// the off-screen one (shell/offscreen/), which records every call, draws
// into a framebuffer, keeps every sound and runs on a virtual clock.
//
// Each operation carries, beside it, what every implementation must keep;
// the game relies on those words and on nothing else an implementation
// happens to do.
#pragma once

#include <cstddef>
#include <cstdint>

// An 8-bit device-independent bitmap header with its 256-entry colour
// table: the layout of the Windows BITMAPINFO, so the Win32 layer can hand
// it over as it stands.
struct Rgb_quad {
    uint8_t blue, green, red, reserved;
};
struct Dib_header {
    uint32_t size;
    int32_t width;
    int32_t height; // negative: rows stored top down
    uint16_t planes;
    uint16_t bit_count;
    uint32_t compression;
    uint32_t size_image;
    int32_t x_pels_per_meter;
    int32_t y_pels_per_meter;
    uint32_t colours_used;
    uint32_t colours_important;
};
static_assert(sizeof(Dib_header) == 40, "BITMAPINFOHEADER is 40 bytes");
struct Tile_dib {
    Dib_header header;
    Rgb_quad colours[256];
};

// ---- drawing (device pixels of the client area) ----
bool platform_get_draw_dc();
// Stretch-blits an 8-bit image of src_w x src_h, whatever size the header
// gives, whose rows lie `stride` bytes apart (the width rounded up to a
// multiple of 4) through the header's colour table.
void platform_stretch_dib(const Tile_dib& dib, const uint8_t* bits, int src_w, int src_h, int dst_x, int dst_y,
                          int dst_w, int dst_h);
void platform_fill_black(int x, int y, int w, int h);
enum Text_align { TEXT_LEFT = 0, TEXT_CENTRE = 1 };
void platform_text_out(int x, int y, const char* text, Text_align align, uint32_t rgb);
void platform_create_palette(const uint8_t* colour_map, int colour_count);

// ---- window ----
void platform_set_title(const char* text);
enum Cursor_kind { CURSOR_ARROW = 0, CURSOR_CROSS = 1 };
void platform_set_cursor(Cursor_kind cursor);

// ---- calendar time, whole seconds since 1970 ----
int64_t platform_now_seconds();

// ---- window timers; `id` is the game's own timer id ----
// A timer, once set, calls on_window_timer(the_game(), id) on the main
// thread every `milliseconds` until killed; setting an id again re-arms it.
// Timer calls keep coming while a message box or dialog is open: they are
// delivered inside the box's own loop, so a callback may run between the
// box's opening and its answer. Paint and palette requests come through in
// the same way. Keys, clicks and menu commands made meanwhile are dropped,
// never queued for later (shell/input_gate.h decides which).
void platform_set_timer(uint32_t id, uint32_t milliseconds);
void platform_kill_timer(uint32_t id);

// ---- wave output: one mono PCM device and one buffer header ----
enum : uint32_t { WAVE_DONE = 1, WAVE_PREPARED = 2 };
// The layout of the Windows WAVEHDR, so that the device's header and the
// game's are one and the same record.
struct Wave_header {
    const void* data = nullptr;
    uint32_t length = 0;
    uint32_t bytes_recorded = 0;
    uintptr_t user = 0;
    // The done flag is the device's own: the implementation sets WAVE_DONE
    // in this very header when the buffer has played, or when a reset stops
    // it, at that moment and without the game calling anything; it clears
    // it when the buffer is written. WAVE_PREPARED is set by prepare and
    // cleared by unprepare. The game only reads these two bits.
    uint32_t flags = WAVE_DONE;
    uint32_t loops = 0;
    Wave_header* next = nullptr;
    uintptr_t reserved = 0;
};
// 0 opened, -1 failed. `bits` is 8 or 16; the rate is in samples a second.
int platform_wave_open(int rate, int bits);
void platform_wave_close();
// Stops the device; 0 ok, and the written header is then done.
int platform_wave_reset();
// The header must stay where it is from prepare to unprepare: the device
// writes its flags there. Each answers 0, or -1 when the device refused.
int platform_wave_prepare(Wave_header& header);
int platform_wave_unprepare(Wave_header& header);
int platform_wave_write(Wave_header& header);

// ---- message boxes; all captioned "Zandrek" unless a caption is given ----
enum Box_style {
    BOX_INFO = 1,     // information icon, owned by the main window, foreground
    BOX_WARN = 2,     // exclamation icon, owned by the main window, foreground
    BOX_ERROR = 3,    // exclamation icon, no owner, foreground
    BOX_STOP = 4,     // stop icon, owned by the main window (when there is one)
    BOX_QUESTION = 5, // Yes and No, information icon, owned, foreground
};
enum Box_answer { ANSWER_OK = 1, ANSWER_YES = 6, ANSWER_NO = 7 };
// Returns when the player has answered; until then the box runs a loop of
// its own, with the timer delivery and input dropping written at the timers.
int platform_message_box(const char* text, const char* caption, Box_style style);

// ---- the settings store (the per-user registry key) ----
// Values are typed: a number is 4 bytes, little-endian; text is bytes. A
// value of the other type, or a number of any size but 4, counts as
// missing (answer 0); `value` is then untouched, `buffer` not to be relied on.
int platform_reg_get_dword(const char* name, uint32_t* value); // 1 found as a 4-byte number, else 0
void platform_reg_set_dword(const char* name, uint32_t value);
// 1 when the value is text of at most `capacity` bytes, copied as stored:
// the caller terminates it, as no terminating zero is promised; else 0.
int platform_reg_get_string(const char* name, char* buffer, uint32_t capacity);
// Stores exactly `bytes` bytes of `text`, zeros past its end included.
void platform_reg_set_string(const char* name, const char* text, uint32_t bytes);

// ---- dialogs and browser ----
// The player name dialog: shows `buffer`, on OK copies at most 14 characters back; 0 OK, -1 cancelled.
int platform_player_name_dialog(char* buffer, int capacity);
// Hands the URL to the browser (the internet shortcut object): 0, or the
// first negative COM result.
int platform_open_url(const char* url);
void platform_current_directory(char* buffer, int capacity);
// Opens a help file's contents in the platform's help viewer.
void platform_open_help_file(const char* path);

// ---- the directory search behind pack discovery ----
// One search at a time for the whole process. `pattern` is a file name
// pattern relative to the working directory, with * (any run of characters,
// none included) and ? (exactly one); a folder part before the last slash
// or backslash is searched in. Only plain files match. Closes any open search and starts
// this one; when nothing matches, no search is open.
void platform_find_first(const char* pattern);
// Copies the name (no folder) of the entry found last into `buffer` (at
// most size - 1 characters, always terminated; with size 0 nothing is
// copied), then looks for the next one, closing the search after the last.
// 0 when an entry was delivered, -1 when no search is open: the last entry
// is delivered too, and the call after it returns -1.
int platform_find_next(char* buffer, size_t size);

// ---- the program's shell: start-up, window, menus, shutdown ----
void platform_sleep(int milliseconds);
void platform_process_defaults();     // files binary, cursors loaded
int platform_com_initialize();        // the COM result: negative is a failure
int platform_register_window_class(); // 0, or -1 (platform_last_error says why)
int platform_open_settings();         // 0, or -1
int platform_last_error();
void platform_screen_size(int* width, int* height);
constexpr int PLATFORM_DEFAULT_POSITION = INT32_MIN; // x: the platform chooses
int platform_create_main_window(int x, int y);       // hidden, 1 x 1; 0, or -1
void platform_attach_menu();
void platform_show_window();
// Resizes the window so that its client area is width x height, not moving it.
void platform_size_client(int width, int height);
void platform_run_message_loop(); // until platform_quit
void platform_quit();
void platform_capture_mouse(bool capture);
// Shutdown, in the order the shell calls them.
void platform_release_draw_dc();
void platform_destroy_menu();
void platform_destroy_window();
void platform_close_settings();

// ---- the news check ----
// Starts the news check on a thread of its own, with its completion event;
// nothing is waited for. The closing closes the event; the thread may run on.
void platform_start_news_check();
void platform_close_news_check();
// The news dialog, owned by the main window while there is one: 1 Yes, 0 No, -1 not shown.
int platform_news_dialog();

enum Menu_item_state : uint32_t { MENU_ITEM_ENABLED = 0, MENU_ITEM_GREYED = 3, MENU_ITEM_CHECKED = 8 };
void platform_menu_set_state(int id, uint32_t state);
void platform_menu_check(int id, bool checked);
// A popup menu for level items; null when none could be made.
using Platform_menu = void*;
Platform_menu platform_menu_create_popup();
// Appends a greyed picture item drawn from an 8-bit image through the header;
// an item without a picture when the bitmap cannot be made.
void platform_menu_append_picture(Platform_menu popup, int id, const Tile_dib& dib, const uint8_t* bits);
void platform_menu_append_text(Platform_menu popup, int id, const char* text); // greyed
void platform_menu_attach_submenu(int item_id, Platform_menu popup);
// Appends the popup to the menu bar's Level menu under the given title.
void platform_menu_append_to_level_menu(Platform_menu popup, const char* title);
void platform_menu_free_picture(int id);

// The main window: its class, creation and size, the window procedure and
// the message loop, and what is done through the window (title, cursor,
// timers).
#include <cstring>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/timers.h"
#include "resources/resource_ids.h"
#include "shell/input_gate.h"
#include "shell/menus.h"
#include "shell/platform.h"
#include "shell/title_banner.h"
#include "shell/win32/win32_shell.h"
#include "shell/window_input.h"
#include "shell/window_position.h"

namespace
{

struct Input_message {
    UINT message;
    Window_input input;
};
const Input_message INPUT_MESSAGES[] = {
    {WM_KEYDOWN, INPUT_KEY_DOWN},       {WM_KEYUP, INPUT_KEY_UP},          {WM_CHAR, INPUT_CHAR},
    {WM_MOUSEMOVE, INPUT_MOUSE_MOVE},   {WM_LBUTTONDOWN, INPUT_LEFT_DOWN}, {WM_LBUTTONUP, INPUT_LEFT_UP},
    {WM_RBUTTONDOWN, INPUT_RIGHT_DOWN}, {WM_RBUTTONUP, INPUT_RIGHT_UP},
};

bool palette_usable()
{
    Win32_shell& w = win32_shell();
    return w.game_palette && platform_get_draw_dc() && palette_device(w.draw_dc);
}

COLORREF colour_ref(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void draw_banner(Game_state& state, HDC dc)
{
    HICON icon = LoadIconA(win32_shell().instance, MAKEINTRESOURCEA(ICON_BANNER));
    SIZE extent{};
    int length = static_cast<int>(std::strlen(BANNER_TEXT));
    GetTextExtentPoint32A(dc, BANNER_TEXT, length, &extent);
    Banner_layout at = banner_layout(state, extent.cx);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour_ref(BANNER_RGB));
    TextOutA(dc, at.text_x, at.text_baseline, BANNER_TEXT, length);
    if (icon) DrawIcon(dc, at.icon_x, at.icon_y, icon);
}

void paint(Game_state& state, HWND window)
{
    Win32_shell& w = win32_shell();
    // Drawing code may hold the cached context; the paint context replaces it.
    if (w.draw_dc) {
        ReleaseDC(w.main_window, w.draw_dc);
        w.draw_dc = nullptr;
    }
    PAINTSTRUCT ps;
    w.draw_dc = BeginPaint(window, &ps);
    if (!w.draw_dc) return;
    if (w.game_palette && palette_device(w.draw_dc)) w.gdi.select_palette(w.draw_dc, w.game_palette, FALSE);
    Game_event event{EVENT_PAINT, CODE_PAINT, 0, 0, 0};
    handle_event(state, event);
    if (banner_shown(state) && w.draw_dc) draw_banner(state, w.draw_dc);
    EndPaint(window, &ps);
    w.draw_dc = nullptr;
}

void store_position()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    Win32_shell& w = win32_shell();
    if (!w.main_window || !GetWindowPlacement(w.main_window, &placement)) return;
    store_window_position(placement.rcNormalPosition.left, placement.rcNormalPosition.top);
}

} // namespace

Win32_shell& win32_shell()
{
    static Win32_shell shell;
    return shell;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Game_state& state = the_game();
    Win32_shell& w = win32_shell();
    switch (message) {
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_MOVE: store_position(); break;
    case WM_PAINT: paint(state, window); return 0;
    case WM_HELP: open_help_page(); break;
    case WM_COMMAND:
        if (message_reaches_game(MESSAGE_MENU_COMMAND, w.modal_depth)) run_menu_command(state, LOWORD(wparam));
        break;
    case WM_TIMER: on_window_timer(state, static_cast<uint32_t>(wparam)); break;
    case WM_INITMENU: update_menu_states(state); break;
    case WM_QUERYNEWPALETTE:
        if (!palette_usable()) return 0;
        realize_game_palette(w.draw_dc);
        InvalidateRect(window, nullptr, FALSE);
        return 1;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wparam) != w.main_window && palette_usable()) {
            realize_game_palette(w.draw_dc);
            w.gdi.update_colors(w.draw_dc);
        }
        break;
    default:
        // An unowned box leaves the window usable; its input is dropped, not
        // delivered once the box is gone.
        if (!message_reaches_game(MESSAGE_INPUT, w.modal_depth)) break;
        for (const Input_message& m : INPUT_MESSAGES) {
            if (m.message != message) continue;
            on_window_input(state, m.input, static_cast<uint32_t>(wparam), static_cast<uint32_t>(lparam));
            break;
        }
        break;
    }
    after_window_message(state);
    return DefWindowProcA(window, message, wparam, lparam);
}

// ---- what start-up and shutdown ask of the window side ----

int platform_register_window_class()
{
    Win32_shell& w = win32_shell();
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = w.instance;
    wc.hIcon = LoadIconA(w.instance, MAKEINTRESOURCEA(ICON_WINDOW));
    wc.hCursor = w.arrow_cursor;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = WINDOW_CLASS_NAME;
    return RegisterClassA(&wc) ? 0 : -1;
}

void platform_screen_size(int* width, int* height)
{
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

int platform_create_main_window(int x, int y)
{
    Win32_shell& w = win32_shell();
    if (x == PLATFORM_DEFAULT_POSITION) x = y = CW_USEDEFAULT;
    w.main_window =
        CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, WINDOW_CLASS_NAME, "Zandrek", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                        x, y, 1, 1, nullptr, nullptr, w.instance, nullptr);
    return w.main_window ? 0 : -1;
}

void platform_attach_menu()
{
    Win32_shell& w = win32_shell();
    w.main_menu = LoadMenuA(w.instance, "MENU");
    SetMenu(w.main_window, w.main_menu);
}

void platform_show_window()
{
    ShowWindow(win32_shell().main_window, win32_shell().show_command);
}

void platform_size_client(int width, int height)
{
    HWND window = win32_shell().main_window;
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, 0, 0, width - (client.right - client.left) + (outer.right - outer.left),
                 height - (client.bottom - client.top) + (outer.bottom - outer.top),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void platform_run_message_loop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void platform_quit()
{
    PostQuitMessage(0);
}

void platform_capture_mouse(bool capture)
{
    if (capture)
        SetCapture(win32_shell().main_window);
    else
        ReleaseCapture();
}

void platform_destroy_menu()
{
    Win32_shell& w = win32_shell();
    if (w.main_menu) DestroyMenu(w.main_menu);
    w.main_menu = nullptr;
}

void platform_destroy_window()
{
    Win32_shell& w = win32_shell();
    if (w.main_window) DestroyWindow(w.main_window);
    w.main_window = nullptr;
}

void platform_set_title(const char* text)
{
    if (win32_shell().main_window) SetWindowTextA(win32_shell().main_window, text);
}

void platform_set_cursor(Cursor_kind cursor)
{
    SetCursor(cursor == CURSOR_CROSS ? win32_shell().cross_cursor : win32_shell().arrow_cursor);
}

void platform_set_timer(uint32_t id, uint32_t milliseconds)
{
    SetTimer(win32_shell().main_window, id, milliseconds, nullptr);
}

void platform_kill_timer(uint32_t id)
{
    KillTimer(win32_shell().main_window, id);
}

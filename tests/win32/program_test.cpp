// The real Win32 program inside this test process: started as the game does
// it (in a scratch folder of its own, with fresh settings), a message pump,
// and a timer that answers every box and dialog the game opens. The tests
// drive window, menus, the name dialog, boxes and their nested loops, the
// palette and the browser hand-over by messages as Windows delivers them.
// clang-format off
#include <ole2.h>
#include <intshcut.h>
// clang-format on

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "files/score_file.h"
#include "presentation/screens.h"
#include "resources/resource_ids.h"
#include "shell/menus.h"
#include "shell/platform.h"
#include "shell/startup.h"
#include "shell/win32/win32_shell.h"

namespace
{

// How the next box or dialog is answered; when none is queued, boxes take
// No where they have it and OK otherwise, and dialogs Cancel.
struct Answer {
    int button;
    std::string typed;     // put into the player name field before the button
    bool ask_help = false; // F1 in the dialog before the button
};

std::vector<std::string> shown_windows; // each box and dialog shown: "title: its static texts"
std::deque<Answer> answers;
std::set<HWND> answered;

// Delivers every message waiting for this thread until none is left; true
// when the game asked to quit meanwhile. Everything the tests post goes to
// this thread's windows, so an empty queue means each has been handled; boxes
// and dialogs are answered by a timer inside their own loops.
bool pump()
{
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        quit = quit || msg.message == WM_QUIT;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

BOOL CALLBACK collect_text(HWND child, LPARAM out)
{
    char name[32] = {}, text[1100] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
        reinterpret_cast<std::string*>(out)->append(text);
    return TRUE;
}

BOOL CALLBACK answer_window(HWND window, LPARAM)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    // Not waiting for it to show: the platform shows a dialog only once its
    // loop has been idle a while.
    if (std::string(name) != "#32770" || !GetWindow(window, GW_CHILD) || answered.count(window)) return TRUE;
    answered.insert(window);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    std::string text;
    EnumChildWindows(window, collect_text, reinterpret_cast<LPARAM>(&text));
    shown_windows.push_back(title + (": " + text));

    bool is_dialog = GetDlgItem(window, PLAYER_DIALOG_EDIT) && std::string(title) == "Player Name";
    Answer answer{is_dialog ? IDCANCEL : (GetDlgItem(window, IDNO) ? IDNO : IDOK), ""};
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    if (is_dialog && !answer.typed.empty()) SetDlgItemTextA(window, PLAYER_DIALOG_EDIT, answer.typed.c_str());
    static HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
    // Sent, not posted: the help request then runs inside this dialog's loop
    // and its box is answered by this same timer, nested.
    if (answer.ask_help) SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    // OK in the name dialog goes through the dialog's own handler, which
    // reads the field; everything else is ended directly, which the
    // platform's dialog loop notices at once.
    if (is_dialog && answer.button == IDOK)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
    else
        EndDialog(window, answer.button);
    return TRUE;
}

void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), answer_window, 0);
}

// The platform contract's cases, in this program too, make a platform of their own.
bool program_cases_run()
{
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit.total_test_suite_count(); ++i)
        if (std::string(unit.GetTestSuite(i)->name()) == "Program" && unit.GetTestSuite(i)->should_run()) return true;
    return false;
}

struct Program_environment : ::testing::Environment {
    void SetUp() override
    {
        if (!program_cases_run()) return;
        home = std::filesystem::current_path();
        folder = home / ("win32-test-" + std::to_string(GetCurrentProcessId()));
        // Process ids come round again: a folder left by a crashed run goes first.
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directory(folder);
        for (const char* file : {"Zandrek.map", "lantern_docks.zrp"})
            std::filesystem::copy_file(home / file, folder / file);
        std::filesystem::current_path(folder);
        // The test prefix's own settings: every run starts from none.
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ostrovane\\Zandrek");
        SetTimer(nullptr, 0, 40, answer_boxes);
        Win32_shell& w = win32_shell();
        w.instance = GetModuleHandleA(nullptr);
        w.show_command = SW_SHOWNORMAL;
        char name[] = "zandrek_win32_tests.exe";
        char* argv[] = {name};
        ASSERT_EQ(start_program(the_game(), 1, argv), 0) << (shown_windows.empty() ? "" : shown_windows[0]);
        pump();
    }
    void TearDown() override
    {
        if (home.empty()) return;
        shut_down_program(the_game());
        pump();
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path home, folder;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new Program_environment);

HWND game_window()
{
    return win32_shell().main_window;
}

MENUITEMINFOA menu_item(int id, UINT mask)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    GetMenuItemInfoA(GetMenu(game_window()), static_cast<UINT>(id), FALSE, &info);
    return info;
}

UINT menu_state(int id)
{
    return menu_item(id, MIIM_STATE).fState;
}

void command(int id)
{
    SendMessageA(game_window(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// A key as its window message alone: 'X' leaves the title as any key does.
void key(UINT virtual_key)
{
    PostMessageA(game_window(), WM_KEYDOWN, virtual_key, 1);
    pump();
}

void leave_title_as(const char* name)
{
    if (the_game().mode != MODE_TITLE) show_greeting(the_game());
    if (!the_game().name_asked) answers.push_back(Answer{IDOK, name});
    key('X');
}

bool score_file_intact()
{
    std::ifstream file("Zandrek.score", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<Score_entry> entries;
    return parse_score_bytes(bytes.data(), bytes.size(), entries) == 0 && !entries.empty();
}

void solve_first_level()
{
    select_level_set(the_game(), 0, 1);
    for (int i = 0; i < 8 && the_game().mode == MODE_PLAY; ++i)
        key(VK_RIGHT);
}

void CALLBACK disturb_window(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageA(game_window(), WM_KEYDOWN, VK_LEFT, 1);
    InvalidateRect(game_window(), nullptr, FALSE);
}

// Client sizes, the stored magnification and keys in play are checked from
// outside, on the real program.
TEST(Program, StartsAsTheGameHasItsWindowMenusAndKeepsItsPosition)
{
    HWND window = game_window();
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "Zandrek Class");
    EXPECT_EQ(GetClassLongPtrA(window, GCL_STYLE) + GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0);
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (frame | WS_THICKFRAME | WS_MAXIMIZEBOX), frame);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW);

    // The resource's items, the level pictures and the sample pack's submenu.
    HMENU bar = GetMenu(window), level = GetSubMenu(bar, 1);
    EXPECT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(menu_state(MENU_SPEECH) & menu_state(MENU_MAGNIFY_2) & MFS_CHECKED, UINT{MFS_CHECKED});
    EXPECT_TRUE(menu_item(10031, MIIM_TYPE).fType & MFT_BITMAP);
    char pack_title[80] = {};
    GetMenuStringA(level, static_cast<UINT>(GetMenuItemCount(level) - 1), pack_title, sizeof pack_title, MF_BYPOSITION);
    EXPECT_STREQ(pack_title, "Lantern Docks");
    SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    for (int id : {10001, 10101, MENU_UNDO, MENU_NEXT_LEVEL})
        EXPECT_EQ(menu_state(id) & MFS_GRAYED, UINT{MFS_GRAYED}) << id;
    for (int m : {1, 4, 3, 2}) {
        command(MENU_MAGNIFY_BASE + m);
        for (int other = 1; other <= 4; ++other)
            EXPECT_EQ((menu_state(MENU_MAGNIFY_BASE + other) & MFS_CHECKED) != 0, other == m);
    }

    // The window's own position is stored, not its client origin's.
    SetWindowPos(window, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
    uint32_t x = 0, y = 0;
    EXPECT_EQ(std::make_tuple(platform_reg_get_dword("x", &x), platform_reg_get_dword("y", &y)), std::make_tuple(1, 1));
    EXPECT_EQ(std::make_tuple(x, y), std::make_tuple(uint32_t{123}, uint32_t{45}));
}

TEST(Program, TheNameDialogMouseCaptureNestedBoxLoopsAndTheRefusedHandOvers)
{
    // First choice of a run, nothing stored: the dialog, a long name cut to 14.
    const size_t before = shown_windows.size();
    leave_title_as("Abcdefghijklmnopqrst");
    ASSERT_EQ(the_game().mode, MODE_PLAY);

    // Left button: capture while held, released on button up.
    PostMessageA(game_window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump();
    EXPECT_EQ(GetCapture(), game_window());
    PostMessageA(game_window(), WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    pump();
    EXPECT_EQ(GetCapture(), nullptr);

    // An unowned box's loop paints and runs timers but holds a key for the window; the
    // congratulation follows the message that left the finale. Player Name then Cancel keeps
    // the name; F1 in the dialog asks for the help page, and Yes to Level Solutions for the
    // web site: Wine's shortcut object refuses the verb flags, and each refusal is reported.
    const int x = the_game().play_board.player_x;
    SetTimer(nullptr, 0, 10, disturb_window);
    error_box("%s", "A box from the middle of play");
    EXPECT_FALSE(GetUpdateRect(game_window(), nullptr, FALSE));
    EXPECT_EQ(the_game().play_board.player_x, x);
    the_game().finale_seen = 1;
    SendMessageA(game_window(), WM_NULL, 0, 0);
    answers.push_back(Answer{IDCANCEL, "Somebody", true});
    command(MENU_PLAYER_NAME);
    pump();
    EXPECT_EQ(std::string(the_game().current_player->name), "Abcdefghijklmn");
    answers.push_back(Answer{IDYES, ""});
    command(MENU_LEVEL_SOLUTIONS);
    std::string seen;
    for (size_t i = before; i < shown_windows.size(); ++i)
        seen += shown_windows[i].substr(0, shown_windows[i].find(": ") + 22) + "\n";
    EXPECT_EQ(seen, "Player Name: Player Name\nZandrek: A box from the middl\nZandrek: **** YOU DID IT!!! *\n"
                    "Player Name: Player Name\nZandrek: Error invoking URL: \n"
                    "Zandrek Level Solutions: YES, YOU MAY NOT BEL\nZandrek: Error invoking URL: \n");
}

// A stand-in graphics layer that is a palette device (or not) and keeps the
// palette calls made, noting a background selection or another palette.
std::vector<std::string> palette_calls;
struct Fake_gdi {
    static int WINAPI palette_caps(HDC, int index) { return index == RASTERCAPS ? RC_PALETTE : 0; }
    static int WINAPI plain_caps(HDC, int) { return 0; }
    static HPALETTE WINAPI select(HDC, HPALETTE palette, BOOL background)
    {
        palette_calls.push_back(background || palette != win32_shell().game_palette ? "select wrongly" : "select");
        return palette;
    }
    static BOOL WINAPI unrealize(HGDIOBJ) { return palette_calls.push_back("reset"), TRUE; }
    static UINT WINAPI realize(HDC) { return palette_calls.push_back("realize"), 0; }
    static BOOL WINAPI update_colors(HDC) { return palette_calls.push_back("update colours"), TRUE; }
};

// A stand-in shortcut object that keeps what it was handed.
struct Fake_locator : IUniformResourceLocatorA {
    std::string url;
    DWORD set_flags = 99;
    URLINVOKECOMMANDINFOA info{};
    HRESULT set_result = S_OK;
    int releases = 0;
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(++releases); }
    STDMETHOD(SetURL)(PCSTR text, DWORD flags) override { return url = text, set_flags = flags, set_result; }
    STDMETHOD(GetURL)(PSTR*) override { return E_NOTIMPL; }
    STDMETHOD(InvokeCommand)(PURLINVOKECOMMANDINFOA given) override { return info = *given, S_OK; }
};

TEST(Program, APaletteDeviceGetsTheGamePaletteAtEachTurnAndTheBrowserTheRecordItWants)
{
    using Calls = std::vector<std::string>;
    Win32_shell& w = win32_shell();
    const HPALETTE palette = w.game_palette;
    ASSERT_NE(palette, nullptr);
    const Palette_calls real = w.gdi;
    HWND window = game_window(), other = GetDesktopWindow();
    // The cached context is fetched afresh on each turn, selecting and realizing first.
    const Calls realized = {"select", "realize", "select", "reset", "realize"},
                with_update = {"select", "realize", "select", "reset", "realize", "update colours"};
    const struct {
        const char* turn;
        HPALETTE game_palette;
        int(WINAPI* caps)(HDC, int);
        UINT message;
        HWND from;
        Calls calls;
        bool invalidated; // and 1 answered
    } turns[] = {
        {"focus", palette, Fake_gdi::palette_caps, WM_QUERYNEWPALETTE, nullptr, realized, true},
        {"focus, no palette", nullptr, Fake_gdi::palette_caps, WM_QUERYNEWPALETTE, nullptr, {}, false},
        {"focus, no palette device", palette, Fake_gdi::plain_caps, WM_QUERYNEWPALETTE, nullptr, {}, false},
        {"another window's palette", palette, Fake_gdi::palette_caps, WM_PALETTECHANGED, other, with_update, false},
        {"another's, no palette device", palette, Fake_gdi::plain_caps, WM_PALETTECHANGED, other, {}, false},
        {"its own palette", palette, Fake_gdi::palette_caps, WM_PALETTECHANGED, window, {}, false},
    };
    for (const auto& t : turns) {
        SCOPED_TRACE(t.turn);
        w.gdi =
            Palette_calls{t.caps, Fake_gdi::select, Fake_gdi::unrealize, Fake_gdi::realize, Fake_gdi::update_colors};
        w.game_palette = t.game_palette;
        platform_release_draw_dc();
        ValidateRect(window, nullptr);
        palette_calls.clear();
        EXPECT_EQ(SendMessageA(window, t.message, reinterpret_cast<WPARAM>(t.from), 0), t.invalidated);
        EXPECT_EQ(palette_calls, t.calls);
        EXPECT_EQ(GetUpdateRect(window, nullptr, FALSE) != 0, t.invalidated);
    }
    // Paint lets go of the cached context and selects into its own, without realizing.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(palette_calls, Calls{"select"});
    EXPECT_EQ(w.draw_dc, nullptr);
    w.gdi = real;

    // The browser hand-over passes the record the shortcut object wants.
    Fake_locator locator;
    EXPECT_EQ(invoke_url_locator(&locator, game_window(), "http://example.invalid/page"), 0);
    EXPECT_EQ(std::make_tuple(locator.url, locator.set_flags, locator.info.dwcbSize, locator.info.dwFlags,
                              locator.info.hwndParent, locator.info.pcszVerb, locator.releases),
              std::make_tuple(std::string("http://example.invalid/page"), 0ul, sizeof(void*) == 4 ? 16ul : 24ul,
                              DWORD{IURL_INVOKECOMMAND_FL_ALLOW_UI | IURL_INVOKECOMMAND_FL_USE_DEFAULT_VERB},
                              game_window(), nullptr, 1));
    Fake_locator refusing;
    refusing.set_result = E_INVALIDARG;
    EXPECT_EQ(invoke_url_locator(&refusing, game_window(), "x"), static_cast<int>(E_INVALIDARG));
    EXPECT_EQ(refusing.releases, 1);
    EXPECT_EQ(refusing.info.dwcbSize, DWORD{0});
}

// Every command the menus leave enabled, in every screen the game shows:
// the game survives and the score file stays readable.
TEST(Program, EveryEnabledCommandInEveryScreenLeavesTheGameWhole)
{
    leave_title_as("Sweeper");
    ASSERT_TRUE(score_file_intact()); // chosen players are saved at once
    const std::pair<const char*, std::function<void()>> screens[] = {
        {"title", [] { show_greeting(the_game()); }},
        {"play", [] { select_level_set(the_game(), 0, 1); }},
        {"help", [] { select_level_set(the_game(), 0, 1), show_help(the_game()); }},
        {"solved", solve_first_level},
        {"pack", [] { select_level_set(the_game(), 1, 1); }},
        {"finished", [] { select_level_set(the_game(), 0, 1), show_closing_text(the_game()); }},
    };
    HMENU bar = GetMenu(game_window());
    std::vector<int> ids;
    std::function<void(HMENU)> collect = [&](HMENU menu) {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            if (HMENU sub = GetSubMenu(menu, i)) collect(sub);
            UINT id = GetMenuItemID(menu, i);
            if (id != 0 && id != static_cast<UINT>(-1) && id != MENU_EXIT) ids.push_back(static_cast<int>(id));
        }
    };
    collect(bar);
    ASSERT_GT(ids.size(), 80u);
    int sent = 0;
    for (const auto& [name, enter] : screens) {
        SCOPED_TRACE(name);
        enter();
        pump();
        SendMessageA(game_window(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        std::vector<int> enabled;
        for (int id : ids)
            if (!(menu_state(id) & MFS_GRAYED)) enabled.push_back(id);
        for (int id : enabled) {
            enter();
            command(id);
            EXPECT_FALSE(pump()) << id;
            ++sent;
            ASSERT_TRUE(IsWindow(game_window()) && score_file_intact()) << id;
        }
    }
    EXPECT_GT(sent, 90);
    command(MENU_EXIT);
    EXPECT_TRUE(pump());
}

} // namespace

// The program never takes COM down, and neither does this one: the process
// ends without the libraries' detach code, which under the 32-bit emulator
// can fault on the way out after every test has passed.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}

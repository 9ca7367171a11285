// The real Win32 program inside this test process, started afresh for each case in a scratch folder with fresh
// settings; a thread timer answers every box and dialog it opens.
// clang-format off
#include <ole2.h>
#include <intshcut.h>
// clang-format on

#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "presentation/screens.h"
#include "resources/resource_ids.h"
#include "shell/menus.h"
#include "shell/platform.h"
#include "shell/startup.h"
#include "shell/win32/win32_shell.h"

namespace
{

using Texts = std::vector<std::string>;

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

// Delivers every message waiting for this thread; true when the game asked
// to quit meanwhile. An empty queue means each posted message was handled.
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
    char name[32] = {}, title[256] = {};
    GetClassNameA(window, name, sizeof name);
    // Not waiting for it to show: a dialog shows once its loop is idle.
    if (std::string(name) != "#32770" || !GetWindow(window, GW_CHILD) || answered.count(window)) return TRUE;
    answered.insert(window);
    GetWindowTextA(window, title, sizeof title);
    std::string text;
    EnumChildWindows(window, collect_text, reinterpret_cast<LPARAM>(&text));
    shown_windows.push_back(title + (": " + text));

    const bool is_dialog = GetDlgItem(window, PLAYER_DIALOG_EDIT) && std::string(title) == "Player Name";
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
    // OK in the name dialog goes through its handler, which reads the field.
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

// Each case runs in a process of its own, so the suite's start is the case's.
struct Program : ::testing::Test {
    static void SetUpTestSuite()
    {
        home = std::filesystem::current_path();
        folder = home / ("win32-test-" + std::to_string(GetCurrentProcessId()));
        // Process ids come round again: a folder left by a crashed run goes first.
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directory(folder);
        for (const char* file : {"Zandrek.map", "lantern_docks.zrp"})
            std::filesystem::copy_file(home / file, folder / file);
        std::filesystem::current_path(folder);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ostrovane\\Zandrek");
        SetTimer(nullptr, 0, 40, answer_boxes);
        win32_shell().instance = GetModuleHandleA(nullptr);
        win32_shell().show_command = SW_SHOWNORMAL;
        char name[] = "zandrek_win32_tests.exe";
        char* argv[] = {name};
        ASSERT_EQ(start_program(the_game(), 1, argv), 0) << (shown_windows.empty() ? "" : shown_windows[0]);
        pump();
    }
    static void TearDownTestSuite()
    {
        shut_down_program(the_game());
        pump();
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    inline static std::filesystem::path home, folder;

    static HWND game_window() { return win32_shell().main_window; }
    static void command(int id) { SendMessageA(game_window(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    static UINT menu_state(int id)
    {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_TYPE;
        GetMenuItemInfoA(GetMenu(game_window()), static_cast<UINT>(id), FALSE, &info);
        return info.fState | info.fType;
    }
    // A key as its window message alone: 'X' leaves the title as any key does.
    static void key(UINT virtual_key)
    {
        PostMessageA(game_window(), WM_KEYDOWN, virtual_key, 1);
        pump();
    }
    static void leave_title_as(const char* name)
    {
        if (the_game().mode != MODE_TITLE) show_greeting(the_game());
        if (!the_game().name_asked) answers.push_back(Answer{IDOK, name});
        key('X');
    }
};

// The boxes and dialogs shown from now on: title and the start of the text.
struct Shown_from_now {
    size_t first = shown_windows.size();
    Texts operator()() const
    {
        Texts seen;
        for (size_t i = first; i < shown_windows.size(); ++i)
            seen.push_back(shown_windows[i].substr(0, shown_windows[i].find(": ") + 22));
        return seen;
    }
};

// No class style and no background brush: the game paints every pixel itself.
TEST_F(Program, WindowIsOfThePlainGameClassInAFixedFrame)
{
    HWND w = game_window();
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(
        std::make_tuple(std::string(name), GetClassLongPtrA(w, GCL_STYLE), GetClassLongPtrA(w, GCLP_HBRBACKGROUND),
                        GetWindowLongA(w, GWL_STYLE) & (frame | WS_THICKFRAME | WS_MAXIMIZEBOX),
                        GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW),
        std::make_tuple(std::string("Zandrek Class"), ULONG_PTR{0}, ULONG_PTR{0}, frame, LONG{WS_EX_OVERLAPPEDWINDOW}));
}

TEST_F(Program, LevelMenuShowsPicturesThenTheSamplePack)
{
    HMENU bar = GetMenu(game_window()), level = GetSubMenu(bar, 1);
    char pack_title[80] = {};
    GetMenuStringA(level, static_cast<UINT>(GetMenuItemCount(level) - 1), pack_title, sizeof pack_title, MF_BYPOSITION);
    EXPECT_EQ(std::make_tuple(GetMenuItemCount(bar), (menu_state(10031) & MFT_BITMAP) != 0, std::string(pack_title)),
              std::make_tuple(5, true, std::string("Lantern Docks")));
}

TEST_F(Program, MagnifyCommandChecksOnlyItsOwnItem)
{
    for (int m : {1, 4, 3, 2}) {
        SCOPED_TRACE(m);
        command(MENU_MAGNIFY_BASE + m);
        std::vector<bool> checked, want;
        for (int item = 1; item <= 4; ++item) {
            checked.push_back(menu_state(MENU_MAGNIFY_BASE + item) & MFS_CHECKED);
            want.push_back(item == m);
        }
        EXPECT_EQ(checked, want);
    }
}

TEST_F(Program, StoresTheWindowPositionNotItsClientOrigin)
{
    SetWindowPos(game_window(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
    uint32_t x = 0, y = 0;
    EXPECT_EQ(std::make_tuple(platform_reg_get_dword("x", &x), x, platform_reg_get_dword("y", &y), y),
              std::make_tuple(1, uint32_t{123}, 1, uint32_t{45}));
}

TEST_F(Program, NameDialogAtTheFirstChoiceKeepsFourteenCharacters)
{
    Shown_from_now shown;
    leave_title_as("Abcdefghijklmnopqrst");
    EXPECT_EQ(std::make_tuple(the_game().mode, std::string(the_game().current_player->name), shown()),
              std::make_tuple(MODE_PLAY, std::string("Abcdefghijklmn"), Texts{"Player Name: Player Name"}));
}

TEST_F(Program, LeftButtonCapturesTheMouseUntilReleased)
{
    leave_title_as("Tester");
    PostMessageA(game_window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump();
    const HWND held = GetCapture();
    PostMessageA(game_window(), WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    pump();
    EXPECT_EQ(std::make_tuple(held, GetCapture()), std::make_tuple(game_window(), HWND{nullptr}));
}

void CALLBACK disturb_window(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageA(Program::game_window(), WM_KEYDOWN, VK_LEFT, 1);
    InvalidateRect(Program::game_window(), nullptr, FALSE);
}

// A box raised in play while the window is asked to repaint and sent a step.
void box_while_disturbed()
{
    SetTimer(nullptr, 0, 10, disturb_window);
    error_box("%s", "A box from the middle of play");
}

TEST_F(Program, BoxLoopRepaintsTheWindow)
{
    leave_title_as("Tester");
    box_while_disturbed();
    EXPECT_FALSE(GetUpdateRect(game_window(), nullptr, FALSE));
}

TEST_F(Program, BoxLoopHoldsKeysBackFromTheWindow)
{
    leave_title_as("Tester");
    const int x = the_game().play_board.player_x;
    box_while_disturbed();
    EXPECT_EQ(the_game().play_board.player_x, x);
}

TEST_F(Program, CongratulationFollowsTheMessageThatLeftTheFinale)
{
    leave_title_as("Tester");
    Shown_from_now shown;
    the_game().finale_seen = 1; // as the finale's last event leaves it
    SendMessageA(game_window(), WM_NULL, 0, 0);
    EXPECT_EQ(shown(), Texts{"Zandrek: **** YOU DID IT!!! *"});
}

// Wine's shortcut object refuses the verb flags; each refusal is reported.
TEST_F(Program, RefusedBrowserHandOverIsReported)
{
    const std::string refused = "Zandrek: Error invoking URL: ";
    const struct {
        int command, button;
        bool ask_help; // F1 in the dialog first
        Texts shown;
    } asks[] = {
        {MENU_PLAYER_NAME, IDCANCEL, true, {"Player Name: Player Name", refused}},
        {MENU_LEVEL_SOLUTIONS, IDYES, false, {"Zandrek Level Solutions: YES, YOU MAY NOT BEL", refused}},
    };
    leave_title_as("Tester");
    for (const auto& ask : asks) {
        SCOPED_TRACE(ask.command);
        Shown_from_now shown;
        answers.push_back(Answer{ask.button, "", ask.ask_help});
        command(ask.command);
        pump();
        EXPECT_EQ(shown(), ask.shown);
    }
}

// A stand-in graphics layer, a palette device or not, that keeps the palette
// calls made, noting a background selection or another palette.
Texts palette_calls;
struct Fake_gdi {
    template <typename Result> static Result noted(const char* call, Result result)
    {
        palette_calls.push_back(call);
        return result;
    }
    static int WINAPI palette_caps(HDC, int index) { return index == RASTERCAPS ? RC_PALETTE : 0; }
    static int WINAPI plain_caps(HDC, int) { return 0; }
    static HPALETTE WINAPI select(HDC, HPALETTE palette, BOOL background)
    {
        return noted(background || palette != win32_shell().game_palette ? "select wrongly" : "select", palette);
    }
    static BOOL WINAPI unrealize(HGDIOBJ) { return noted("reset", TRUE); }
    static UINT WINAPI realize(HDC) { return noted("realize", 0u); }
    static BOOL WINAPI update_colors(HDC) { return noted("update colours", TRUE); }
};

void use_fake_gdi(int(WINAPI* caps)(HDC, int))
{
    win32_shell().gdi =
        Palette_calls{caps, Fake_gdi::select, Fake_gdi::unrealize, Fake_gdi::realize, Fake_gdi::update_colors};
    platform_release_draw_dc();
    ValidateRect(Program::game_window(), nullptr);
    palette_calls.clear();
}

// The cached context is fetched afresh on each turn, selecting and realizing first.
TEST_F(Program, PaletteTurnsRealizeTheGamePaletteOnAPaletteDevice)
{
    Win32_shell& w = win32_shell();
    const HPALETTE palette = w.game_palette;
    ASSERT_NE(palette, nullptr);
    HWND window = game_window(), other = GetDesktopWindow();
    const Texts realized = {"select", "realize", "select", "reset", "realize"},
                with_update = {"select", "realize", "select", "reset", "realize", "update colours"};
    const struct {
        const char* turn;
        HPALETTE game_palette;
        int(WINAPI* caps)(HDC, int);
        UINT message;
        HWND from;
        Texts calls;
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
        use_fake_gdi(t.caps);
        w.game_palette = t.game_palette;
        const LRESULT answered = SendMessageA(window, t.message, reinterpret_cast<WPARAM>(t.from), 0);
        EXPECT_EQ(std::make_tuple(answered, palette_calls, GetUpdateRect(window, nullptr, FALSE) != 0),
                  std::make_tuple(LRESULT{t.invalidated}, t.calls, t.invalidated));
    }
}

TEST_F(Program, PaintSelectsThePaletteIntoItsOwnContextUnrealized)
{
    use_fake_gdi(Fake_gdi::palette_caps);
    RedrawWindow(game_window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(std::make_tuple(palette_calls, win32_shell().draw_dc), std::make_tuple(Texts{"select"}, HDC{nullptr}));
}

struct Fake_locator : IUniformResourceLocatorA {
    std::string url;
    DWORD set_flags = 99;
    URLINVOKECOMMANDINFOA info{};
    HRESULT set_result = S_OK;
    int releases = 0;
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(++releases); }
    STDMETHOD(SetURL)(PCSTR text, DWORD flags) override
    {
        url = text;
        set_flags = flags;
        return set_result;
    }
    STDMETHOD(GetURL)(PSTR*) override { return E_NOTIMPL; }
    STDMETHOD(InvokeCommand)(PURLINVOKECOMMANDINFOA given) override
    {
        info = *given;
        return S_OK;
    }
};

TEST_F(Program, BrowserHandOverPassesTheRecordTheShortcutWants)
{
    Fake_locator locator;
    EXPECT_EQ(invoke_url_locator(&locator, game_window(), "http://example.invalid/page"), 0);
    EXPECT_EQ(std::make_tuple(locator.url, locator.set_flags, locator.info.dwcbSize, locator.info.dwFlags,
                              locator.info.hwndParent, locator.info.pcszVerb, locator.releases),
              std::make_tuple(std::string("http://example.invalid/page"), DWORD{0}, DWORD{sizeof(void*) == 4 ? 16 : 24},
                              DWORD{IURL_INVOKECOMMAND_FL_ALLOW_UI | IURL_INVOKECOMMAND_FL_USE_DEFAULT_VERB},
                              game_window(), PCSTR{nullptr}, 1));
}

TEST_F(Program, RefusedAddressIsReleasedWithoutInvoking)
{
    Fake_locator refusing;
    refusing.set_result = E_INVALIDARG;
    EXPECT_EQ(
        std::make_tuple(invoke_url_locator(&refusing, game_window(), "x"), refusing.releases, refusing.info.dwcbSize),
        std::make_tuple(static_cast<int>(E_INVALIDARG), 1, DWORD{0}));
}

// The score file's first line, which a damaged or half-written file lacks.
std::string score_file_header()
{
    std::string header(10, '\0');
    std::ifstream("Zandrek.score", std::ios::binary).read(&header[0], 10);
    return header;
}

void solve(Game_state& state)
{
    for (int i = 0; i < 8 && state.mode == MODE_PLAY; ++i)
        Program::key(VK_RIGHT);
}

void collect_commands(HMENU menu, std::vector<int>* ids)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) collect_commands(sub, ids);
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1) && id != MENU_EXIT) ids->push_back(static_cast<int>(id));
    }
}

// The game survives each, its score file whole.
TEST_F(Program, EveryEnabledCommandInEveryScreenLeavesTheGameWhole)
{
    leave_title_as("Sweeper");
    // Each screen entered from wherever the game is: a level set's first level, then a step.
    const struct {
        const char* name;
        int level_set;
        void (*then)(Game_state&);
    } screens[] = {{"title", 0, show_greeting}, {"play", 0, nullptr}, {"help", 0, show_help},
                   {"solved", 0, solve},        {"pack", 1, nullptr}, {"finished", 0, show_closing_text}};
    const auto enter = [](const auto& screen) {
        select_level_set(the_game(), screen.level_set, 1);
        if (screen.then) screen.then(the_game());
    };
    HMENU bar = GetMenu(game_window());
    std::vector<int> ids;
    collect_commands(bar, &ids);
    ASSERT_GT(ids.size(), 80u);
    int sent = 0;
    for (const auto& screen : screens) {
        SCOPED_TRACE(screen.name);
        enter(screen);
        pump();
        SendMessageA(game_window(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        std::vector<int> enabled;
        for (int id : ids)
            if (!(menu_state(id) & MFS_GRAYED)) enabled.push_back(id);
        for (int id : enabled) {
            enter(screen);
            command(id);
            ++sent;
            const auto after = std::make_tuple(pump(), IsWindow(game_window()) != 0, score_file_header());
            const auto whole = std::make_tuple(false, true, std::string("ZANDSCORE\n"));
            EXPECT_EQ(after, whole) << id;
            if (after != whole) return;
        }
    }
    EXPECT_GT(sent, 90);
}

} // namespace

// The program never takes COM down, and neither does this one: the process ends without the libraries' detach code,
// which under the 32-bit emulator can fault on the way out after every test has passed.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}

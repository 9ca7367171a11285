// The real Win32 program under test: window, menus, input, boxes and
// dialogs, settings and the score file, driven by messages as Windows
// delivers them.
// clang-format off
#include <ole2.h>
#include <intshcut.h>
// clang-format on

#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/services.h"
#include "files/score_file.h"
#include "presentation/screens.h"
#include "resources/resource_ids.h"
#include "shell/menus.h"
#include "shell/platform.h"
#include "tests/win32/wine_driver.h"

namespace
{

Game_state& game()
{
    return the_game();
}

UINT menu_state(int id)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoA(GetMenu(game_window()), static_cast<UINT>(id), FALSE, &info);
    return info.fState;
}

void command(int id)
{
    SendMessageA(game_window(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void key(UINT virtual_key)
{
    UINT scan = MapVirtualKeyA(virtual_key, 0);
    PostMessageA(game_window(), WM_KEYDOWN, virtual_key, 1 | (scan << 16));
    PostMessageA(game_window(), WM_KEYUP, virtual_key, 1 | (scan << 16) | (3u << 30));
    pump(20);
}

void leave_title_as(const char* name)
{
    if (game().mode != MODE_TITLE) show_greeting(game());
    if (!game().name_asked) answers().push_back(Answer{IDOK, name});
    key('X');
}

bool score_file_intact()
{
    std::vector<uint8_t> bytes = score_file_bytes();
    std::vector<Score_entry> entries;
    return parse_score_bytes(bytes.data(), bytes.size(), entries) == 0 && !entries.empty();
}

void solve_first_level()
{
    select_level_set(game(), 0, 1);
    for (int i = 0; i < 8 && game().mode == MODE_PLAY; ++i)
        key(VK_RIGHT);
}

void CALLBACK disturb_window(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageA(game_window(), WM_KEYDOWN, VK_LEFT, 1);
    InvalidateRect(game_window(), nullptr, FALSE);
}

TEST(Program, StartsAsTheGameHasItsWindowAndMenus)
{
    HWND window = game_window();
    ASSERT_TRUE(IsWindow(window));
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "Zandrek Class");
    EXPECT_EQ(GetClassLongPtrA(window, GCL_STYLE), 0);
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW);
    EXPECT_EQ(setting("magnify"), (std::vector<uint8_t>{2, 0, 0, 0}));

    // The resource's items, the level pictures and the sample pack's submenu.
    HMENU bar = GetMenu(window);
    EXPECT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(menu_state(MENU_SPEECH) & MFS_CHECKED, UINT{MFS_CHECKED});
    EXPECT_EQ(menu_state(MENU_MAGNIFY_2) & MFS_CHECKED, UINT{MFS_CHECKED});
    HMENU level = GetSubMenu(bar, 1);
    const int groups[][2] = {{MENU_BEGINNER, 10}, {MENU_INTERMEDIATE, 20}, {MENU_ADVANCED, 20}};
    for (const auto& g : groups) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(bar, static_cast<UINT>(g[0]), FALSE, &info));
        EXPECT_EQ(GetMenuItemCount(info.hSubMenu), g[1]);
    }
    MENUITEMINFOA picture{};
    picture.cbSize = sizeof picture;
    picture.fMask = MIIM_TYPE;
    ASSERT_TRUE(GetMenuItemInfoA(bar, 10031, FALSE, &picture));
    EXPECT_TRUE(picture.fType & MFT_BITMAP);
    char pack_title[80] = {};
    GetMenuStringA(level, static_cast<UINT>(GetMenuItemCount(level) - 1), pack_title, sizeof pack_title, MF_BYPOSITION);
    EXPECT_STREQ(pack_title, "Lantern Docks");
    SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    for (int id : {10001, 10101, MENU_UNDO, MENU_RESTART, MENU_NEXT_LEVEL, MENU_PREVIOUS_LEVEL})
        EXPECT_EQ(menu_state(id) & MFS_GRAYED, UINT{MFS_GRAYED}) << id;
}

TEST(Program, MagnificationAndPositionAreKept)
{
    for (int m : {1, 4, 3, 2}) {
        // The client size each gives is checked from outside, on the real program.
        command(MENU_MAGNIFY_BASE + m);
        for (int other = 1; other <= 4; ++other)
            EXPECT_EQ((menu_state(MENU_MAGNIFY_BASE + other) & MFS_CHECKED) != 0, other == m);
        EXPECT_EQ(setting("magnify"), (std::vector<uint8_t>{static_cast<uint8_t>(m), 0, 0, 0}));
    }
    SetWindowPos(game_window(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump(20);
    RECT r{};
    GetWindowRect(game_window(), &r);
    uint32_t x = 0, y = 0;
    std::memcpy(&x, setting("x").data(), 4);
    std::memcpy(&y, setting("y").data(), 4);
    EXPECT_EQ(static_cast<LONG>(x), r.left);
    EXPECT_EQ(static_cast<LONG>(y), r.top);
}

TEST(Program, KeysMouseAndMenusPlayAndTheNameDialogStoresThePlayer)
{
    // First choice of a run, nothing stored: the dialog, a long name cut to 14.
    leave_title_as("Abcdefghijklmnopqrst");
    ASSERT_EQ(game().mode, MODE_PLAY);
    ASSERT_FALSE(shown_windows().empty());
    EXPECT_EQ(shown_windows().back().title, "Player Name");
    DWORD type = 0;
    std::vector<uint8_t> stored = setting("player_name", &type);
    EXPECT_EQ(type, DWORD{REG_SZ});
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_STREQ(reinterpret_cast<const char*>(stored.data()), "Abcdefghijklmn");

    // A letter key: 48 on key-down (nothing in play), then its character.
    int x = game().play_board.player_x;
    key('L');
    EXPECT_EQ(game().play_board.player_x, x + 1);
    key('H');
    EXPECT_EQ(game().play_board.player_x, x);
    key(VK_RIGHT);
    EXPECT_EQ(game().play_board.player_x, x + 1);
    EXPECT_EQ(game().play_board.moves, 3);

    // Left button: capture while held, released on button up.
    PostMessageA(game_window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump(20);
    EXPECT_EQ(GetCapture(), game_window());
    PostMessageA(game_window(), WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
    pump(20);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(game().last_pointer_x, -30);

    // Player Name then Cancel changes nothing; F1 in the dialog asks for the help page.
    const size_t before = shown_windows().size();
    answers().push_back(Answer{IDCANCEL, "Somebody", true});
    command(MENU_PLAYER_NAME);
    pump(300);
    EXPECT_EQ(std::string(game().current_player->name), "Abcdefghijklmn");
    std::string seen;
    for (const Shown_window& w : shown_windows())
        seen += w.title + ": " + w.text + "\n";
    ASSERT_GE(shown_windows().size(), before + 2) << seen;
    EXPECT_EQ(shown_windows()[before + 1].text.substr(0, 20), "Error invoking URL: ");
}

TEST(Program, NestedBoxLoopsPaintButHoldInput)
{
    leave_title_as("Nested");
    ASSERT_EQ(game().mode, MODE_PLAY);
    int x = game().play_board.player_x;
    const int shown = static_cast<int>(shown_windows().size());
    // While the unowned box is open: a key for the window, a repaint and timers.
    SetTimer(nullptr, 0, 10, disturb_window);
    answers().push_back(Answer{IDOK, ""});
    error_box("%s", "A box from the middle of play");
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(game_window(), &pending, FALSE));
    EXPECT_EQ(game().play_board.player_x, x);
    EXPECT_EQ(static_cast<int>(shown_windows().size()), shown + 1);

    // The congratulation follows the message that left the finale.
    game().finale_seen = 1;
    SendMessageA(game_window(), WM_NULL, 0, 0);
    EXPECT_EQ(shown_windows().back().text.substr(0, 23), "**** YOU DID IT!!! ****");
    EXPECT_EQ(game().finale_seen, 0);
}

TEST(Program, LevelSolutionsOffersTheWebSite)
{
    answers().push_back(Answer{IDYES, ""});
    command(MENU_LEVEL_SOLUTIONS);
    ASSERT_GE(shown_windows().size(), 2u);
    const Shown_window& offer = shown_windows()[shown_windows().size() - 2];
    EXPECT_EQ(offer.title, "Zandrek Level Solutions");
    EXPECT_EQ(offer.text.substr(0, 24), "YES, YOU MAY NOT BELIEVE");
    // Wine's shortcut object refuses the verb flags: the refusal is reported.
    EXPECT_EQ(shown_windows().back().text.substr(0, 20), "Error invoking URL: ");
}

// A stand-in graphics layer that is a palette device and keeps the palette
// calls made, foreground or not and with which palette.
std::vector<std::string>& palette_calls()
{
    static std::vector<std::string> calls;
    return calls;
}
int WINAPI palette_caps(HDC, int index)
{
    return index == RASTERCAPS ? RC_PALETTE : 0;
}
int WINAPI plain_caps(HDC, int)
{
    return 0;
}
HPALETTE WINAPI fake_select(HDC, HPALETTE palette, BOOL background)
{
    bool ours = palette && palette == win32_shell().game_palette;
    palette_calls().push_back(std::string(background ? "background " : "") + (ours ? "select" : "select other"));
    return palette;
}
BOOL WINAPI fake_unrealize(HGDIOBJ)
{
    palette_calls().push_back("reset");
    return TRUE;
}
UINT WINAPI fake_realize(HDC)
{
    palette_calls().push_back("realize");
    return 0;
}
BOOL WINAPI fake_update_colors(HDC)
{
    palette_calls().push_back("update colours");
    return TRUE;
}

TEST(Program, APaletteDeviceGetsTheGamePaletteAtEachTurn)
{
    using Calls = std::vector<std::string>;
    Win32_shell& w = win32_shell();
    const HPALETTE palette = w.game_palette;
    ASSERT_NE(palette, nullptr);
    const Palette_calls real = w.gdi;
    HWND window = game_window(), other = GetDesktopWindow();
    // The cached context is fetched afresh on each turn, selecting and realizing first.
    const Calls fetched = {"select", "realize"}, realized = {"select", "realize", "select", "reset", "realize"};
    Calls with_update = realized;
    with_update.push_back("update colours");
    const struct {
        const char* turn;
        HPALETTE game_palette;
        int(WINAPI* caps)(HDC, int);
        UINT message;
        HWND from;
        LRESULT result;
        Calls calls;
        bool invalidated;
    } turns[] = {
        {"focus", palette, palette_caps, WM_QUERYNEWPALETTE, nullptr, 1, realized, true},
        {"focus, no palette", nullptr, palette_caps, WM_QUERYNEWPALETTE, nullptr, 0, {}, false},
        {"focus, no palette device", palette, plain_caps, WM_QUERYNEWPALETTE, nullptr, 0, {}, false},
        {"another window's palette", palette, palette_caps, WM_PALETTECHANGED, other, 0, with_update, false},
        {"its own palette", palette, palette_caps, WM_PALETTECHANGED, window, 0, {}, false},
        {"another's, no palette device", palette, plain_caps, WM_PALETTECHANGED, other, 0, {}, false},
    };
    for (const auto& t : turns) {
        SCOPED_TRACE(t.turn);
        w.gdi = Palette_calls{t.caps, fake_select, fake_unrealize, fake_realize, fake_update_colors};
        w.game_palette = t.game_palette;
        platform_release_draw_dc();
        ValidateRect(window, nullptr);
        palette_calls().clear();
        EXPECT_EQ(SendMessageA(window, t.message, reinterpret_cast<WPARAM>(t.from), 0), t.result);
        EXPECT_EQ(palette_calls(), t.calls);
        EXPECT_EQ(GetUpdateRect(window, nullptr, FALSE) != 0, t.invalidated);
    }
    w.game_palette = palette;
    w.gdi.get_device_caps = palette_caps;
    platform_release_draw_dc();
    palette_calls().clear();
    ASSERT_TRUE(platform_get_draw_dc());
    EXPECT_EQ(palette_calls(), fetched);
    // Paint lets go of the cached context and selects into its own, without realizing.
    palette_calls().clear();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(palette_calls(), Calls{"select"});
    EXPECT_EQ(w.draw_dc, nullptr);
    w.gdi = real;
}

// A stand-in shortcut object that keeps what it was handed.
struct Fake_locator : IUniformResourceLocatorA {
    std::string url;
    DWORD set_flags = 99;
    URLINVOKECOMMANDINFOA info{};
    bool verb_given = true;
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
        verb_given = given->pcszVerb != nullptr;
        return S_OK;
    }
};

TEST(Program, TheBrowserHandOverPassesTheRecordTheShortcutObjectWants)
{
    Fake_locator locator;
    EXPECT_EQ(invoke_url_locator(&locator, game_window(), "http://example.invalid/page"), 0);
    EXPECT_EQ(locator.url, "http://example.invalid/page");
    EXPECT_EQ(locator.set_flags, 0u);
    EXPECT_EQ(locator.info.dwcbSize, sizeof(void*) == 4 ? 16u : 24u);
    EXPECT_EQ(locator.info.dwFlags, DWORD{IURL_INVOKECOMMAND_FL_ALLOW_UI | IURL_INVOKECOMMAND_FL_USE_DEFAULT_VERB});
    EXPECT_EQ(locator.info.hwndParent, game_window());
    EXPECT_FALSE(locator.verb_given);
    EXPECT_EQ(locator.releases, 1);
    Fake_locator refusing;
    refusing.set_result = E_INVALIDARG;
    EXPECT_EQ(invoke_url_locator(&refusing, game_window(), "x"), static_cast<int>(E_INVALIDARG));
    EXPECT_EQ(refusing.releases, 1);
    EXPECT_EQ(refusing.info.dwcbSize, 0u);
}

// Every command the menus leave enabled, in every screen the game shows:
// the game survives and the score file stays readable.
TEST(Program, EveryEnabledCommandInEveryScreenLeavesTheGameWhole)
{
    leave_title_as("Sweeper");
    ASSERT_EQ(game().mode, MODE_PLAY);
    solve_first_level();
    ASSERT_EQ(game().mode, MODE_SOLVED);
    ASSERT_TRUE(score_file_intact());
    const std::pair<const char*, std::function<void()>> screens[] = {
        {"title", [] { show_greeting(game()); }},
        {"play", [] { select_level_set(game(), 0, 1); }},
        {"help", [] { select_level_set(game(), 0, 1), show_help(game()); }},
        {"solved", solve_first_level},
        {"pack", [] { select_level_set(game(), 1, 1); }},
        {"finished", [] { select_level_set(game(), 0, 1), show_closing_text(game()); }},
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
        pump(10);
        SendMessageA(game_window(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        std::vector<int> enabled;
        for (int id : ids)
            if (!(menu_state(id) & MFS_GRAYED)) enabled.push_back(id);
        for (int id : enabled) {
            enter();
            command(id);
            EXPECT_FALSE(pump(10)) << id;
            ++sent;
            ASSERT_TRUE(IsWindow(game_window())) << id;
            ASSERT_TRUE(score_file_intact()) << id;
        }
    }
    EXPECT_GT(sent, 90);
    command(MENU_EXIT);
    EXPECT_TRUE(pump(10));
}

} // namespace

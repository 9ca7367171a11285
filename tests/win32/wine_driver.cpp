#include "tests/win32/wine_driver.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "resources/resource_ids.h"
#include "shell/startup.h"

namespace
{

constexpr UINT ANSWER_PERIOD_MS = 40;
constexpr const char* SETTINGS_PATH = "Software\\Ostrovane\\Zandrek";

std::set<HWND>& answered()
{
    static std::set<HWND> windows;
    return windows;
}

BOOL CALLBACK collect_text(HWND child, LPARAM out)
{
    char name[32] = {}, text[1100] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) {
        std::string& joined = *reinterpret_cast<std::string*>(out);
        if (!joined.empty()) joined += "|";
        joined += text;
    }
    return TRUE;
}

void press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

BOOL CALLBACK answer_window(HWND window, LPARAM)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    // Not waiting for it to show: the platform shows a dialog only once its
    // loop has been idle a while.
    if (std::string(name) != "#32770" || !GetWindow(window, GW_CHILD) || answered().count(window)) return TRUE;
    answered().insert(window);
    Shown_window seen;
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    seen.title = title;
    EnumChildWindows(window, collect_text, reinterpret_cast<LPARAM>(&seen.text));
    shown_windows().push_back(seen);

    bool is_dialog = GetDlgItem(window, PLAYER_DIALOG_EDIT) && seen.title == "Player Name";
    Answer answer{is_dialog ? IDCANCEL : (GetDlgItem(window, IDNO) ? IDNO : IDOK), ""};
    if (!answers().empty()) {
        answer = answers().front();
        answers().pop_front();
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
        press(window, IDOK);
    else
        EndDialog(window, answer.button);
    return TRUE;
}

void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), answer_window, 0);
}

class Program_environment : public ::testing::Environment
{
  public:
    void SetUp() override
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
        // The test prefix's own settings: every run starts from none.
        RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_PATH);
        SetTimer(nullptr, 0, ANSWER_PERIOD_MS, answer_boxes);
        Win32_shell& w = win32_shell();
        w.instance = GetModuleHandleA(nullptr);
        w.show_command = SW_SHOWNORMAL;
        char name[] = "zandrek_win32_tests.exe";
        char* argv[] = {name};
        int started = start_program(the_game(), 1, argv);
        std::string boxes;
        for (const Shown_window& s : shown_windows())
            boxes += s.title + ": " + s.text + "\n";
        ASSERT_EQ(started, 0) << boxes;
        pump(100);
    }
    void TearDown() override
    {
        shut_down_program(the_game());
        pump(0);
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

  private:
    std::filesystem::path home, folder;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new Program_environment);

} // namespace

std::vector<Shown_window>& shown_windows()
{
    static std::vector<Shown_window> windows;
    return windows;
}

std::deque<Answer>& answers()
{
    static std::deque<Answer> queue;
    return queue;
}

bool pump(int milliseconds)
{
    bool quit = false;
    DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds > 0) Sleep(5);
    } while (static_cast<int>(until - GetTickCount()) > 0);
    return quit;
}

HWND game_window()
{
    return win32_shell().main_window;
}

std::vector<uint8_t> setting(const char* name, DWORD* type)
{
    BYTE data[512];
    DWORD size = sizeof data, kind = 0;
    HKEY key = nullptr;
    std::vector<uint8_t> bytes;
    if (RegOpenKeyA(HKEY_CURRENT_USER, SETTINGS_PATH, &key) != ERROR_SUCCESS) return bytes;
    if (RegQueryValueExA(key, name, nullptr, &kind, data, &size) == ERROR_SUCCESS) bytes.assign(data, data + size);
    RegCloseKey(key);
    if (type) *type = kind;
    return bytes;
}

std::vector<uint8_t> score_file_bytes()
{
    std::ifstream file("Zandrek.score", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

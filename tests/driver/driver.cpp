// zandrek-driver: plays the game from outside, through the window messages a
// person's keys and clicks make, from a script on the command line, e.g.
//   zandrek-driver run zandrek.exe wait-window 20 key RIGHT expect-title "Level 1" shot one.bmp
// A command that waits gives up after `timeout` seconds and says what it saw.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace
{

// The commands as --help shows them: a command takes as many arguments as
// words stand between its name and the colon.
const char* const COMMANDS[] = {
    "run CMDLINE: start a program (the game) in the current directory",
    "cd DIR: change the current directory",
    "timeout SECS: how long the commands after it wait (default 10)",
    "wait-window SECS: wait for the game window to be shown",
    "wait-window-gone: wait for the game window to be destroyed",
    "expect-title TEXT: wait for the window title to be TEXT; a last * stands for any rest",
    "key NAME: press and release a key (UP, SPACE, ESCAPE, a letter...) in the open box, or else the game",
    "click X Y: click the left mouse button at client pixel X, Y",
    "command ID: choose the menu command ID",
    "expect-box TITLE TEXT: wait for a box titled TITLE (as expect-title) whose text holds TEXT",
    "expect-no-box SECS: fail when a box opens within SECS seconds",
    "expect-box-owner game|none: the open box is owned by the game window, or by none",
    "press LABEL: press the box's button LABEL and wait for the box to close",
    "box-close: click the open box's close button",
    "set-edit ID TEXT: put TEXT into the box's edit field ID",
    "expect-edit ID TEXT: the box's edit field ID holds TEXT",
    "expect-client W H: wait for the client area to be W x H pixels",
    "shot FILE.bmp: once the game has handled what was sent and its picture has settled, save it as a 24-bit BMP",
    "expect-box-open: the box last waited for is still open",
    "wait-exit: wait for the game process to end",
};

double wait_seconds = 10.0;
HWND window = nullptr;    // the game window, once found
HWND box = nullptr;       // the dialog or message box last waited for
HANDLE process = nullptr; // the game process, started or found through its window
DWORD process_id = 0;

template <typename Ready> bool wait_until(double seconds, Ready ready)
{
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start >= static_cast<DWORD>(seconds * 1000.0)) return false;
        Sleep(50);
    }
    return true;
}

bool note(const std::string& text)
{
    std::printf("driver: %s\n", text.c_str());
    std::fflush(stdout);
    return true;
}

bool fail(const std::string& text)
{
    return !note("FAILED: " + text);
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string text_of(HWND w)
{
    char text[1024] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

bool is_class(HWND w, const char* name)
{
    char seen[64] = {};
    GetClassNameA(w, seen, sizeof seen);
    return _stricmp(seen, name) == 0;
}

std::vector<HWND> children(HWND parent, const char* class_name)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (is_class(child, class_name) && IsWindowVisible(child)) found.push_back(child);
    return found;
}

// A final * in the pattern stands for any rest of the text.
bool matches(const std::string& text, const std::string& pattern)
{
    const bool rest = !pattern.empty() && pattern.back() == '*';
    return rest ? text.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0 : text == pattern;
}

HWND find_box()
{
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == process_id && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// The texts of a box's static controls, one line each; icons have none.
std::string box_text(HWND b)
{
    std::string text;
    for (HWND label : children(b, "Static"))
        if (!text_of(label).empty()) text += (text.empty() ? "" : "\n") + text_of(label);
    return text;
}

std::string describe_box(HWND b)
{
    std::string text = "box " + quoted(text_of(b)) + ": " + quoted(box_text(b)) + " [";
    for (HWND button : children(b, "Button"))
        text += text_of(button) + ";";
    return text + "]";
}

HWND shown_game_window()
{
    HWND w = FindWindowA("Zandrek Class", nullptr);
    return w && IsWindowVisible(w) ? w : nullptr;
}

bool need_window()
{
    if (window && IsWindow(window)) return true;
    if (!(window = shown_game_window())) return fail("no game window is shown");
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!process && pid) process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process_id = pid);
    return true;
}

bool need_box()
{
    return (box && IsWindow(box) && IsWindowVisible(box)) || fail("no box is open");
}

// Posted as the keyboard driver queues them, so that TranslateMessage still
// makes letters' characters: lParam holds the repeat count, the scan code
// (bits 16-23), the previous state and the transition (bits 30, 31).
bool post_key(HWND to, const std::string& name)
{
    static const std::map<std::string, int> names{{"UP", VK_UP},       {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},
                                                  {"RIGHT", VK_RIGHT}, {"ESCAPE", VK_ESCAPE}, {"SPACE", VK_SPACE}};
    const bool letter = name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]));
    const int vk = letter ? std::toupper(static_cast<unsigned char>(name[0])) : names.count(name) ? names.at(name) : 0;
    if (!vk) return fail("unknown key name " + name);
    const LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
    PostMessageA(to, WM_KEYDOWN, vk, down);
    return PostMessageA(to, WM_KEYUP, vk, down | (LPARAM(1) << 30) | (LPARAM(1) << 31));
}

// Waits until the game's thread has handled what was posted to it: a sent
// message is handled at the thread's next look at its queue, before the posted
// ones, so each of a few sent in turn takes one more posted message through.
// A box's own loop answers them too; a window gone answers at once.
bool settled(HWND to)
{
    constexpr int POSTED_AT_MOST = 3; // a key's down, character and up
    DWORD_PTR ignored = 0;
    for (int i = 0; i <= POSTED_AT_MOST; ++i)
        SendMessageTimeoutA(to, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(wait_seconds * 1000), &ignored);
    return true;
}

// The client area as the screen shows it, into a bottom-up 24-bit BMP file and `pixels`.
bool save_client_bmp(const char* path, std::vector<char>* pixels)
{
    RECT r{};
    if (!GetClientRect(window, &r) || r.right <= 0 || r.bottom <= 0) return false;
    const DWORD image = ((r.right * 3 + 3) & ~3) * r.bottom;
    BITMAPINFOHEADER head{sizeof head, r.right, r.bottom, 1, 24, BI_RGB, image, 2835, 2835, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof head;
    const BITMAPFILEHEADER file{0x4D42, offset + image, 0, 0, offset};
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&head), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = bitmap ? SelectObject(memory, bitmap) : nullptr;
    bool ok = bitmap && BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    if (ok) pixels->assign(static_cast<char*>(bits), static_cast<char*>(bits) + image);
    FILE* out = ok ? std::fopen(path, "wb") : nullptr;
    ok = out && std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&head, sizeof head, 1, out) == 1 &&
         std::fwrite(bits, 1, image, out) == image;
    if (out && std::fclose(out) != 0) ok = false;
    if (old) SelectObject(memory, old);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return ok;
}

bool step(const std::string& c, const char* const* a)
{
    if (c == "run") {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::string line = a[0];
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return fail("could not start " + line + " (error " + std::to_string(GetLastError()) + ")");
        CloseHandle(info.hThread);
        process = info.hProcess;
        process_id = info.dwProcessId;
        return note("started " + line);
    }
    if (c == "cd") return SetCurrentDirectoryA(a[0]) || fail(std::string("cannot change to ") + a[0]);
    if (c == "timeout") return (wait_seconds = std::atof(a[0])) > 0 || fail(std::string("bad timeout ") + a[0]);
    if (c == "expect-box-open") return need_box() && note("box still open");
    if (c == "wait-window") {
        auto ended = [] { return process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0; };
        wait_until(std::atof(a[0]), [&] { return shown_game_window() || ended(); });
        if (!ended() && need_window()) return note("window " + quoted(text_of(window)));
        return fail(ended() ? "the program ended without showing its window" : "no game window in time");
    }
    if (c == "wait-window-gone") {
        if (window && wait_until(wait_seconds, [] { return !IsWindow(window); })) return note("window gone");
        return fail("the game window is still there");
    }
    if (c == "expect-title") {
        std::string seen;
        if (!need_window()) return false;
        if (wait_until(wait_seconds, [&] { return matches(seen = text_of(window), a[0]); }))
            return note("title " + quoted(seen));
        return fail("title " + quoted(a[0]) + " never came; it is " + quoted(seen));
    }
    if (c == "key") {
        HWND to = (box && IsWindowVisible(box)) ? box : need_window() ? window : nullptr;
        return to && post_key(to, a[0]) && settled(to);
    }
    if (c == "click") {
        const LPARAM at = MAKELPARAM(std::atoi(a[0]), std::atoi(a[1]));
        return need_window() && PostMessageA(window, WM_MOUSEMOVE, 0, at) &&
               PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageA(window, WM_LBUTTONUP, 0, at) &&
               settled(window);
    }
    if (c == "command")
        return need_window() && PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(a[0]), 0), 0) && settled(window);
    if (c == "expect-box") {
        HWND seen = nullptr;
        if ((process_id || need_window()) && wait_until(wait_seconds, [&] {
                return (seen = find_box()) && matches(text_of(seen), a[0]) &&
                       box_text(seen).find(a[1]) != std::string::npos;
            }))
            return note(describe_box(box = seen));
        return fail("no box " + quoted(a[0]) + " holding " + quoted(a[1]) +
                    (seen ? "; open is " + describe_box(seen) : " in time"));
    }
    if (c == "expect-no-box") {
        HWND seen = nullptr;
        return (process_id || need_window()) && (!wait_until(std::atof(a[0]), [&] {
                   return (seen = find_box()) != nullptr;
               }) || fail("a box opened: " + describe_box(seen)));
    }
    if (c == "expect-box-owner") {
        const std::string who = a[0];
        HWND owner = need_box() ? GetWindow(box, GW_OWNER) : nullptr;
        if (box && (who == "none" ? !owner : who == "game" && owner && owner == window))
            return note("box owned by " + who);
        return fail("the box is owned by " + (owner ? quoted(text_of(owner)) : "no window") + ", not " + who);
    }
    if (c == "press") {
        // Labels compare without their mnemonic marks.
        auto plain = [](std::string label) {
            label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
            return label;
        };
        HWND button = nullptr, pressed = box;
        if (!need_box()) return false;
        for (HWND b : children(box, "Button"))
            if (plain(text_of(b)) == plain(a[0])) button = b;
        if (!button) return fail("the box has no button " + quoted(a[0]) + "; it is " + describe_box(box));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
        if (!wait_until(wait_seconds, [&] { return !IsWindow(pressed) || !IsWindowVisible(pressed); }))
            return fail("the box stayed open after " + quoted(a[0]) + " was pressed: " + describe_box(pressed));
        box = nullptr;
        return note(std::string("pressed ") + a[0]);
    }
    if (c == "box-close") return need_box() && PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (c == "set-edit" || c == "expect-edit") {
        // An edit field keeps its text to itself: it must be asked, across processes.
        HWND field = need_box() ? GetDlgItem(box, std::atoi(a[0])) : nullptr;
        char seen[1024] = {};
        DWORD_PTR copied = 0;
        if (!field || !is_class(field, "Edit")) return fail(std::string("no edit field ") + a[0] + " in an open box");
        if (c == "set-edit") return SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1])) || fail(c);
        SendMessageTimeoutA(field, WM_GETTEXT, sizeof seen, reinterpret_cast<LPARAM>(seen), SMTO_ABORTIFHUNG, 5000,
                            &copied);
        return std::string(seen) == a[1] || fail("the edit field holds " + quoted(seen) + ", not " + quoted(a[1]));
    }
    if (c == "expect-client") {
        RECT r{};
        auto size = [&] {
            return GetClientRect(window, &r), std::to_string(r.right) + " x " + std::to_string(r.bottom);
        };
        if (need_window() && wait_until(wait_seconds, [&] { return size() == std::string(a[0]) + " x " + a[1]; }))
            return note("client " + size());
        return fail("client area is " + size() + ", not " + a[0] + " x " + a[1]);
    }
    if (c == "shot") {
        // No paint waiting, and two captures a little apart that agree: the
        // picture has settled.
        std::vector<char> before, now;
        if (!need_window() || !settled(window) || !wait_until(wait_seconds, [&] {
                before.swap(now);
                return !GetUpdateRect(window, nullptr, FALSE) && save_client_bmp(a[0], &now) && now == before;
            }))
            return fail(std::string("the picture never settled for ") + a[0]);
        return note(std::string("saved ") + a[0]);
    }
    // wait-exit, the one command left
    DWORD code = 0;
    if (!process && !need_window()) return false;
    if (WaitForSingleObject(process, static_cast<DWORD>(wait_seconds * 1000)) == WAIT_OBJECT_0)
        return GetExitCodeProcess(process, &code), note("the program ended with exit code " + std::to_string(code));
    HWND open = find_box();
    return fail("the program still runs" + (open ? "; open is " + describe_box(open) : ""));
}

int arity(const std::string& name)
{
    for (std::string c : COMMANDS)
        if (c.substr(0, c.find_first_of(" :")) == name)
            return static_cast<int>(std::count(c.begin(), c.begin() + c.find(':'), ' '));
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1] == std::string("--help")) {
        FILE* out = argc < 2 ? stderr : stdout;
        std::fputs("usage: zandrek-driver COMMAND [ARGS] ...\n", out);
        for (const char* c : COMMANDS)
            std::fprintf(out, "  %s\n", c);
        return argc < 2 ? 2 : 0;
    }
    // The whole script is checked before anything runs: a typing slip must
    // not leave a half-driven game behind.
    for (int i = 1; i < argc; i += 1 + arity(argv[i])) {
        if (arity(argv[i]) < 0 || i + arity(argv[i]) >= argc) {
            std::fprintf(stderr, "zandrek-driver: '%s' is no command or lacks arguments; see --help\n", argv[i]);
            return 2;
        }
    }
    int done = 0;
    for (int i = 1; i < argc; i += 1 + arity(argv[i]), ++done)
        if (!step(argv[i], argv + i + 1)) return 1;
    // Under the 32-bit emulator the exit status does not always come through;
    // scripts look for this line instead.
    note("done: " + std::to_string(done) + " commands");
    return 0;
}

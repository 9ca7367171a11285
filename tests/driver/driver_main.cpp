// zandrek-driver: plays the game from outside, as a person at the keyboard
// would, from a script given on the command line, for example
//   zandrek-driver run zandrek.exe wait-window 20 key RIGHT expect-title "Level 1" shot one.bmp
// Every command that waits gives up after the time set with `timeout`
// (10 s at start) and then says what it saw. Exit status 0 when every command
// did what it should, 1 when one failed, 2 for a script it cannot read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/driver/driver.h"

namespace
{

const char DRIVER_USAGE[] = "usage: zandrek-driver COMMAND [ARGS] ...\n"
                            "  run CMDLINE          start a program (the game) in the current directory\n"
                            "  cd DIR               change the current directory\n"
                            "  class NAME           the window class to look for (default \"Zandrek Class\")\n"
                            "  timeout SECS         how long later commands wait (default 10)\n"
                            "  wait-window SECS     wait for the game window to be shown\n"
                            "  title                print the window title\n"
                            "  expect-title TEXT    wait for the window title to be TEXT\n"
                            "  expect-title-start TEXT   ... to start with TEXT\n"
                            "  expect-title-has TEXT     ... to hold TEXT\n"
                            "  settle MS            wait for the title to stay the same for MS milliseconds\n"
                            "  key NAME             press and release a key (UP, RIGHT, F1, ESCAPE, a letter, ...)\n"
                            "  char C               send one character message\n"
                            "  moves TEXT           play move characters < > ^ v (W E N S), u, r; x%d repeats\n"
                            "  click X Y            press and release the left mouse button at client pixel X, Y\n"
                            "  right-click X Y      the same with the right button\n"
                            "  command ID           choose the menu command ID\n"
                            "  wait-box             wait for a dialog or message box and print it\n"
                            "  expect-box TEXT      wait for a box whose text holds TEXT\n"
                            "  expect-box-title TEXT wait for a box titled TEXT\n"
                            "  expect-no-box SECS   fail when a box opens within SECS seconds\n"
                            "  press LABEL          press the box's button LABEL and wait for the box to close\n"
                            "  set-edit ID TEXT     put TEXT into the box's edit field ID\n"
                            "  expect-edit ID TEXT  the box's edit field ID holds TEXT\n"
                            "  expect-client W H    wait for the client area to be W x H pixels\n"
                            "  shot FILE.bmp        save the client area as a 24-bit BMP\n"
                            "  sleep MS             wait MS milliseconds\n"
                            "  wait-exit            wait for the game process to end\n"
                            "  expect-file-version FILE V   the version resource of FILE says V (as 1.2.3)\n"
                            "  expect-box-owner WHO the open box is owned by WHO: game (the game window) or none\n"
                            "  box-key NAME         press and release a key in the open box (ESCAPE, RETURN, ...)\n"
                            "  box-close            click the open box's close button\n"
                            "  elapsed LABEL        print the milliseconds since the program was started\n"
                            "  touch FILE           create FILE (empty), e.g. to tell a test server to go on\n"
                            "  wait-window-gone     wait for the game window to be destroyed\n";

using Args = const char* const*;

struct Command {
    const char* name;
    int arity;
    bool (*run)(Driver& d, Args args);
};

bool fail(const char* format, const std::string& a = "", const std::string& b = "")
{
    std::printf("driver: FAILED: ");
    std::printf(format, a.c_str(), b.c_str());
    std::printf("\n");
    std::fflush(stdout);
    return false;
}

void note(const std::string& text)
{
    std::printf("driver: %s\n", text.c_str());
    std::fflush(stdout);
}

void remember_process(Driver& d, DWORD pid)
{
    if (d.process || pid == 0) return;
    d.process_id = pid;
    d.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
}

bool need_window(Driver& d)
{
    if (d.window && IsWindow(d.window)) return true;
    d.window = find_game_window(d);
    if (!d.window) return fail("no window of class \"%s\" is shown", d.window_class);
    DWORD pid = 0;
    GetWindowThreadProcessId(d.window, &pid);
    remember_process(d, pid);
    return true;
}

bool need_box(Driver& d)
{
    if (d.box && IsWindow(d.box) && IsWindowVisible(d.box)) return true;
    return fail("no box is open");
}

bool process_ended(const Driver& d)
{
    return d.process && WaitForSingleObject(d.process, 0) == WAIT_OBJECT_0;
}

std::string seconds_text(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", s);
    return text;
}

// ---- commands ----

bool cmd_run(Driver& d, Args a)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = a[0];
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return fail("could not start %s (error %s)", a[0], std::to_string(GetLastError()));
    CloseHandle(info.hThread);
    d.process = info.hProcess;
    d.process_id = info.dwProcessId;
    d.started_at = GetTickCount();
    note(std::string("started ") + a[0]);
    return true;
}

bool cmd_cd(Driver&, Args a)
{
    return SetCurrentDirectoryA(a[0]) ? true : fail("cannot change to directory %s", a[0]);
}

bool cmd_class(Driver& d, Args a)
{
    d.window_class = a[0];
    d.window = nullptr;
    return true;
}

bool cmd_timeout(Driver& d, Args a)
{
    d.wait_seconds = std::atof(a[0]);
    return d.wait_seconds > 0 ? true : fail("timeout must be a positive number of seconds, not %s", a[0]);
}

bool cmd_wait_window(Driver& d, Args a)
{
    const double seconds = std::atof(a[0]);
    HWND found = nullptr;
    wait_until(seconds, [&] { return (found = find_game_window(d)) != nullptr || process_ended(d); });
    if (!found) {
        if (process_ended(d)) return fail("the program ended without showing a window of class \"%s\"", d.window_class);
        return fail("no window of class \"%s\" within %s", d.window_class, seconds_text(seconds));
    }
    d.window = found;
    DWORD pid = 0;
    GetWindowThreadProcessId(found, &pid);
    remember_process(d, pid);
    note("window \"" + window_text(found) + "\"");
    return true;
}

bool cmd_title(Driver& d, Args)
{
    if (!need_window(d)) return false;
    std::printf("%s\n", window_text(d.window).c_str());
    std::fflush(stdout);
    return true;
}

template <typename Match> bool expect_title(Driver& d, const char* what, const char* wanted, Match match)
{
    if (!need_window(d)) return false;
    std::string seen;
    if (wait_until(d.wait_seconds, [&] { return match(seen = window_text(d.window)); })) {
        note("title \"" + seen + "\"");
        return true;
    }
    return fail((std::string("title ") + what + " \"%s\" never came; it is \"%s\"").c_str(), wanted, seen);
}

bool cmd_expect_title(Driver& d, Args a)
{
    return expect_title(d, "", a[0], [&](const std::string& t) { return t == a[0]; });
}

bool cmd_expect_title_start(Driver& d, Args a)
{
    return expect_title(d, "starting", a[0], [&](const std::string& t) { return t.rfind(a[0], 0) == 0; });
}

bool cmd_expect_title_has(Driver& d, Args a)
{
    return expect_title(d, "holding", a[0], [&](const std::string& t) { return t.find(a[0]) != std::string::npos; });
}

bool cmd_settle(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    const DWORD quiet = static_cast<DWORD>(std::atoi(a[0]));
    std::string last = window_text(d.window);
    DWORD since = GetTickCount();
    bool settled = wait_until(d.wait_seconds, [&] {
        std::string now = window_text(d.window);
        if (now != last) {
            last = now;
            since = GetTickCount();
        }
        return GetTickCount() - since >= quiet;
    });
    return settled ? true : fail("the title kept changing; last \"%s\"", last);
}

bool cmd_key(Driver& d, Args a)
{
    const int vk = virtual_key(a[0]);
    if (vk < 0) return fail("unknown key name %s", a[0]);
    if (!need_window(d)) return false;
    post_key(d.window, vk);
    return true;
}

bool cmd_char(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    if (std::strlen(a[0]) != 1) return fail("char takes one character, not \"%s\"", a[0]);
    PostMessageA(d.window, WM_CHAR, static_cast<unsigned char>(a[0][0]), 1);
    return true;
}

bool cmd_moves(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    const char* p = a[0];
    int played = 0;
    while (*p) {
        const int vk = move_key(*p++);
        long count = 1;
        if (*p == 'x') {
            char* end = nullptr;
            count = std::strtol(p + 1, &end, 10);
            if (end == p + 1) count = 1;
            p = end;
        }
        for (long i = 0; vk && i < count; ++i, ++played)
            post_key(d.window, vk);
    }
    note("played " + std::to_string(played) + " moves");
    return true;
}

bool click(Driver& d, Args a, UINT down, UINT up, WPARAM held)
{
    if (!need_window(d)) return false;
    const LPARAM at = MAKELPARAM(std::atoi(a[0]), std::atoi(a[1]));
    PostMessageA(d.window, WM_MOUSEMOVE, 0, at);
    PostMessageA(d.window, down, held, at);
    PostMessageA(d.window, up, 0, at);
    return true;
}

bool cmd_click(Driver& d, Args a)
{
    return click(d, a, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
}

bool cmd_right_click(Driver& d, Args a)
{
    return click(d, a, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
}

bool cmd_command(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    PostMessageA(d.window, WM_COMMAND, MAKEWPARAM(std::atoi(a[0]), 0), 0);
    return true;
}

std::string describe_box(HWND box)
{
    std::string text = "box \"" + window_text(box) + "\": \"" + box_text(box) + "\" [";
    bool first = true;
    for (HWND button : box_buttons(box)) {
        if (!IsWindowVisible(button)) continue;
        text += (first ? "" : ", ") + window_text(button);
        first = false;
    }
    return text + "]";
}

template <typename Match> bool expect_box(Driver& d, const std::string& what, Match match)
{
    if (!d.process_id && !need_window(d)) return false;
    HWND seen = nullptr;
    bool found = wait_until(d.wait_seconds, [&] {
        seen = find_box(d);
        return seen && match(seen);
    });
    if (!found) {
        if (seen) return fail("no box %s; open is %s", what, describe_box(seen));
        return fail("no box %s within %s", what, seconds_text(d.wait_seconds));
    }
    d.box = seen;
    note(describe_box(seen));
    return true;
}

bool cmd_wait_box(Driver& d, Args)
{
    return expect_box(d, "", [](HWND) { return true; });
}

bool cmd_expect_box(Driver& d, Args a)
{
    return expect_box(d, std::string("holding \"") + a[0] + "\"",
                      [&](HWND box) { return box_text(box).find(a[0]) != std::string::npos; });
}

bool cmd_expect_box_title(Driver& d, Args a)
{
    return expect_box(d, std::string("titled \"") + a[0] + "\"", [&](HWND box) { return window_text(box) == a[0]; });
}

bool cmd_expect_no_box(Driver& d, Args a)
{
    if (!d.process_id && !need_window(d)) return false;
    HWND seen = nullptr;
    if (wait_until(std::atof(a[0]), [&] { return (seen = find_box(d)) != nullptr; }))
        return fail("a box opened: %s", describe_box(seen));
    return true;
}

bool cmd_press(Driver& d, Args a)
{
    if (!need_box(d)) return false;
    HWND button = find_button(d.box, a[0]);
    if (!button) return fail("the box has no button \"%s\"; it is %s", a[0], describe_box(d.box));
    PostMessageA(d.box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    HWND box = d.box;
    if (!wait_until(d.wait_seconds, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        return fail("the box stayed open after \"%s\" was pressed: %s", a[0], describe_box(box));
    d.box = nullptr;
    note(std::string("pressed ") + a[0]);
    return true;
}

bool cmd_set_edit(Driver& d, Args a)
{
    if (!need_box(d)) return false;
    HWND edit = find_edit(d.box, std::atoi(a[0]));
    if (!edit) return fail("the box has no edit field %s", a[0]);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1]));
    return true;
}

bool cmd_expect_edit(Driver& d, Args a)
{
    if (!need_box(d)) return false;
    HWND edit = find_edit(d.box, std::atoi(a[0]));
    if (!edit) return fail("the box has no edit field %s", a[0]);
    std::string seen = edit_text(edit);
    return seen == a[1] ? true : fail("the edit field holds \"%s\", not \"%s\"", seen, a[1]);
}

bool cmd_expect_client(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    const int want_w = std::atoi(a[0]), want_h = std::atoi(a[1]);
    int w = 0, h = 0;
    if (wait_until(d.wait_seconds, [&] { return client_size(d.window, &w, &h) && w == want_w && h == want_h; })) {
        note("client " + std::to_string(w) + " x " + std::to_string(h));
        return true;
    }
    return fail("client area is %s, not %s", std::to_string(w) + " x " + std::to_string(h),
                std::to_string(want_w) + " x " + std::to_string(want_h));
}

bool cmd_shot(Driver& d, Args a)
{
    if (!need_window(d)) return false;
    if (save_client_bmp(d.window, a[0]) != 0) return fail("could not save the client area to %s", a[0]);
    note(std::string("saved ") + a[0]);
    return true;
}

bool cmd_sleep(Driver&, Args a)
{
    Sleep(static_cast<DWORD>(std::atoi(a[0])));
    return true;
}

bool cmd_wait_exit(Driver& d, Args)
{
    if (!d.process && !need_window(d)) return false;
    if (!d.process) return fail("the game process cannot be watched");
    if (WaitForSingleObject(d.process, static_cast<DWORD>(d.wait_seconds * 1000)) != WAIT_OBJECT_0) {
        HWND box = find_box(d);
        return fail("the program still runs after %s%s", seconds_text(d.wait_seconds),
                    box ? "; open is " + describe_box(box) : "");
    }
    DWORD code = 0;
    GetExitCodeProcess(d.process, &code);
    note("the program ended with exit code " + std::to_string(code));
    return true;
}

bool cmd_expect_file_version(Driver&, Args a)
{
    std::string seen;
    if (file_version(a[0], &seen) != 0) return fail("%s has no version resource%s", a[0]);
    return seen == a[1] ? true : fail("the version resource says %s, not %s", seen, a[1]);
}

bool cmd_expect_box_owner(Driver& d, Args a)
{
    if (!need_box(d)) return false;
    const std::string who = a[0];
    if (who != "game" && who != "none") return fail("expect-box-owner takes game or none, not %s", who);
    HWND owner = GetWindow(d.box, GW_OWNER);
    if (who == "none" ? owner == nullptr : owner != nullptr && owner == d.window) {
        note("box owned by " + who);
        return true;
    }
    return fail("the box is owned by %s, not %s", owner ? "\"" + window_text(owner) + "\"" : "no window", who);
}

// The keys go to the box itself, where its dialog manager takes them.
bool cmd_box_key(Driver& d, Args a)
{
    if (!need_box(d)) return false;
    const int vk = virtual_key(a[0]);
    if (vk < 0) return fail("unknown key %s", a[0]);
    post_key(d.box, vk);
    return true;
}

bool cmd_box_close(Driver& d, Args)
{
    if (!need_box(d)) return false;
    PostMessageA(d.box, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

bool cmd_elapsed(Driver& d, Args a)
{
    if (!d.started_at) return fail("elapsed %s: no program was started%s", a[0]);
    note(std::string("elapsed ") + a[0] + " " + std::to_string(GetTickCount() - d.started_at) + " ms");
    return true;
}

bool cmd_wait_window_gone(Driver& d, Args)
{
    if (!d.window) return fail("no game window was seen%s");
    if (!wait_until(d.wait_seconds, [&] { return !IsWindow(d.window); }))
        return fail("the game window is still there after %s", seconds_text(d.wait_seconds));
    note("window gone");
    return true;
}

bool cmd_touch(Driver&, Args a)
{
    HANDLE file = CreateFileA(a[0], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail("cannot create %s (error %s)", a[0], std::to_string(GetLastError()));
    CloseHandle(file);
    return true;
}

const Command COMMANDS[] = {
    {"run", 1, cmd_run},
    {"cd", 1, cmd_cd},
    {"class", 1, cmd_class},
    {"timeout", 1, cmd_timeout},
    {"wait-window", 1, cmd_wait_window},
    {"title", 0, cmd_title},
    {"expect-title", 1, cmd_expect_title},
    {"expect-title-start", 1, cmd_expect_title_start},
    {"expect-title-has", 1, cmd_expect_title_has},
    {"settle", 1, cmd_settle},
    {"key", 1, cmd_key},
    {"char", 1, cmd_char},
    {"moves", 1, cmd_moves},
    {"click", 2, cmd_click},
    {"right-click", 2, cmd_right_click},
    {"command", 1, cmd_command},
    {"wait-box", 0, cmd_wait_box},
    {"expect-box", 1, cmd_expect_box},
    {"expect-box-title", 1, cmd_expect_box_title},
    {"expect-no-box", 1, cmd_expect_no_box},
    {"press", 1, cmd_press},
    {"set-edit", 2, cmd_set_edit},
    {"expect-edit", 2, cmd_expect_edit},
    {"expect-client", 2, cmd_expect_client},
    {"shot", 1, cmd_shot},
    {"sleep", 1, cmd_sleep},
    {"wait-exit", 0, cmd_wait_exit},
    {"expect-file-version", 2, cmd_expect_file_version},
    {"expect-box-owner", 1, cmd_expect_box_owner},
    {"box-key", 1, cmd_box_key},
    {"box-close", 0, cmd_box_close},
    {"elapsed", 1, cmd_elapsed},
    {"touch", 1, cmd_touch},
    {"wait-window-gone", 0, cmd_wait_window_gone},
};

const Command* find_command(const char* name)
{
    for (const Command& c : COMMANDS)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(DRIVER_USAGE, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    // The whole script is checked before anything runs: a typing slip must
    // not leave a half-driven game behind.
    for (int i = 1; i < argc;) {
        const Command* c = find_command(argv[i]);
        if (!c) {
            std::fprintf(stderr, "zandrek-driver: unknown command '%s'\n%s", argv[i], DRIVER_USAGE);
            return 2;
        }
        if (i + c->arity > argc - 1) {
            std::fprintf(stderr, "zandrek-driver: %s needs %d argument(s)\n", c->name, c->arity);
            return 2;
        }
        i += 1 + c->arity;
    }
    Driver d;
    int done = 0;
    for (int i = 1; i < argc; ++done) {
        const Command* c = find_command(argv[i]);
        if (!c->run(d, argv + i + 1)) return 1;
        i += 1 + c->arity;
    }
    // Under the 32-bit emulator the exit status does not always come through;
    // scripts look for this line instead.
    note("done: " + std::to_string(done) + " commands");
    return 0;
}

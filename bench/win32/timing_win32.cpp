// Timings of the Windows program, run under Wine on a virtual display (not
// a test: the figures depend on the machine and its load).
//   zandrek_timing start N    start zandrek.exe from the current folder N
//                             times; time from process start until its
//                             window has painted the title and waits for input
//   zandrek_timing repaint N  start the game in this process at magnification
//                             4 and repaint the whole window N times
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/game_state.h"
#include "shell/menus.h"
#include "shell/startup.h"
#include "shell/win32/win32_shell.h"

namespace
{

double now_ms()
{
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("%s: %zu runs, median %.1f ms, min %.1f ms, max %.1f ms, mean %.1f ms\n", what, times.size(),
                times[times.size() / 2], times.front(), times.back(), sum / static_cast<double>(times.size()));
}

int time_start(int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        char command_line[] = "zandrek.exe";
        double start = now_ms();
        if (!CreateProcessA(nullptr, command_line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            std::fprintf(stderr, "cannot start zandrek.exe (error %lu)\n", GetLastError());
            return 1;
        }
        // Idle for input: start-up done, the first paint handled, the loop waiting.
        WaitForInputIdle(process.hProcess, 60000);
        HWND window = nullptr;
        while (!window && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            window = FindWindowA("Zandrek Class", nullptr);
            if (window && (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE))) window = nullptr;
            if (!window) Sleep(1);
        }
        times.push_back(now_ms() - start);
        if (window) PostMessageA(window, WM_CHAR, 'q', 0);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    report("process start to title painted", times);
    return 0;
}

int time_repaint(int runs)
{
    Win32_shell& w = win32_shell();
    w.instance = GetModuleHandleA(nullptr);
    w.show_command = SW_SHOWNORMAL;
    char name[] = "zandrek_timing.exe";
    char* argv[] = {name};
    if (start_program(the_game(), 1, argv) != 0) return 1;
    set_magnification(the_game(), 4);
    RECT client{};
    GetClientRect(w.main_window, &client);
    std::printf("client area %ld x %ld\n", client.right, client.bottom);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = now_ms();
        InvalidateRect(w.main_window, nullptr, FALSE);
        UpdateWindow(w.main_window);
        GdiFlush();
        times.push_back(now_ms() - start);
    }
    report("full-window repaint of the title screen at magnification 4", times);
    shut_down_program(the_game());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    if (runs < 1) runs = 1;
    if (argc > 1 && std::strcmp(argv[1], "start") == 0) return time_start(runs);
    if (argc > 1 && std::strcmp(argv[1], "repaint") == 0) return time_repaint(runs);
    std::fprintf(stderr, "usage: zandrek_timing start|repaint [runs]\n");
    return 2;
}

// The program's entry on the Windows desktop.
#include <cstdlib>

#include "engine/game_state.h"
#include "shell/startup.h"
#include "shell/win32/win32_shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    Win32_shell& w = win32_shell();
    w.instance = instance;
    w.show_command = show_command;
    return run_program(the_game(), __argc, __argv);
}

// What the game asks of the process in the browser: the clock, pauses, the
// folder the page was served from, and the start-up steps the browser has
// nothing to do for.
#include <emscripten.h>

#include <ctime>

#include "shell/platform.h"
#include "shell/web/web_shell.h"

namespace
{

EM_JS(void, web_page_folder, (char* buffer, int capacity),
      { stringToUTF8(ZandrekPage.pageFolder(), buffer, capacity); });

// The page stands for a screen at least as large as the largest window.
constexpr int SCREEN_WIDTH = 1920;
constexpr int SCREEN_HEIGHT = 1080;

} // namespace

void platform_process_defaults() {}

int platform_com_initialize()
{
    return 0;
}

int64_t platform_now_seconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

// Paints and timers wait meanwhile, as they do while the window's thread
// sleeps; what was drawn before is on the screen, as it is in the window.
void platform_sleep(int milliseconds)
{
    flush_canvas();
    if (milliseconds > 0) emscripten_sleep(static_cast<unsigned>(milliseconds));
}

int platform_last_error()
{
    return 0;
}

// The help page lies beside the game: the address of the page's folder, so
// that the game's "folder\file" is an address the browser opens.
void platform_current_directory(char* buffer, int capacity)
{
    web_page_folder(buffer, capacity);
}

void platform_screen_size(int* width, int* height)
{
    *width = SCREEN_WIDTH;
    *height = SCREEN_HEIGHT;
}

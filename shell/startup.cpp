#include "shell/startup.h"

#include <algorithm>
#include <cstdlib>

#include "engine/game_state.h"
#include "files/asset_discovery.h"
#include "files/score_file.h"
#include "presentation/fidget.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "presentation/sound.h"
#include "resources/resource_ids.h"
#include "shell/error_text.h"
#include "shell/menus.h"
#include "shell/message_box.h"
#include "shell/news_offer.h"
#include "shell/platform.h"
#include "shell/window_position.h"

namespace
{

constexpr int DEFAULT_MAGNIFICATION = 2;
constexpr int MAX_MAGNIFICATION = 4;
constexpr int DISPLAY_WIDTH = 320;
constexpr int DISPLAY_HEIGHT = 192;
constexpr int GREETING_PAUSE_MS = 500;

struct Level_group {
    int item_id, first, last;
};
const Level_group LEVEL_GROUPS[] = {
    {MENU_BEGINNER, 1, 10},
    {MENU_INTERMEDIATE, 11, 30},
    {MENU_ADVANCED, 31, 50},
};

// What the map reader had to tell, shown as its boxes in the order found.
int load_and_show_assets(Game_state& state)
{
    File_diagnostics diagnostics;
    int result = load_assets(state, diagnostics);
    show_file_diagnostics(diagnostics);
    return result;
}

// Each step shows its own boxes; a non-zero result ends start-up silently.
int (*const LOADING_STEPS[])(Game_state&) = {set_file_names, load_and_show_assets, read_score_file, create_game_timers};

} // namespace

int startup_delay_ms(const char* argument)
{
    // strtoll saturates where atoi would overflow; the product must fit an int.
    long long seconds = std::strtoll(argument, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(seconds, 0, MAX_STARTUP_DELAY_SECONDS) * 1000);
}

int clamp_magnification(int factor)
{
    return std::clamp(factor, 1, MAX_MAGNIFICATION);
}

namespace
{

// From COM to the palette; false when a step failed, after its box if it
// shows one.
bool open_window_and_game(Game_state& state)
{
    int com = platform_com_initialize();
    if (com < 0) {
        report_error("Error initializing COM library", error_text(com));
        return false;
    }
    const struct {
        int (*step)();
        const char* message;
    } window_steps[] = {
        {platform_register_window_class, "Error registering Zandrek window class"},
        {platform_open_settings, "Error opening Zandrek Registry key"},
    };
    for (const auto& s : window_steps) {
        if (s.step() != 0) {
            report_error(s.message, last_error_text());
            return false;
        }
    }
    int x{}, y{};
    load_window_position(&x, &y);
    if (platform_create_main_window(x, y) != 0) {
        report_error("Error opening Zandrek window", last_error_text());
        return false;
    }
    platform_attach_menu();

    for (auto step : LOADING_STEPS)
        if (step(state) != 0) return false;
    state.display_width = DISPLAY_WIDTH;
    state.display_height = DISPLAY_HEIGHT;

    uint32_t stored = DEFAULT_MAGNIFICATION;
    reg_get_dword("magnify", &stored);
    set_magnification(state, clamp_magnification(static_cast<int32_t>(stored)));
    platform_show_window();
    set_magnification(state, state.magnify);
    return create_game_palette(state) == 0;
}

} // namespace

int start_program(Game_state& state, int argc, char** argv)
{
    if (argc > 1) platform_sleep(startup_delay_ms(argv[1]));
    start_news_check(state);
    platform_process_defaults();
    if (!open_window_and_game(state)) {
        close_news_check(state);
        return -1;
    }
    for (const Level_group& g : LEVEL_GROUPS)
        build_level_menu(state, g.item_id, g.first, g.last);
    build_pack_menus(state);
    show_greeting(state);
    platform_sleep(GREETING_PAUSE_MS);
    offer_news(state);
    return 0;
}

void shut_down_program(Game_state& state)
{
    close_sound(state);
    free_menu_bitmaps(state);
    platform_release_draw_dc();
    platform_destroy_menu();
    platform_destroy_window();
    platform_close_settings();
    offer_news(state);
    close_news_check(state);
}

int run_program(Game_state& state, int argc, char** argv)
{
    if (start_program(state, argc, argv) != 0) return 0;
    platform_run_message_loop();
    shut_down_program(state);
    return 0;
}

// The off-screen platform's side of the platform contract: time is its
// virtual clock, the menu its recorded states.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/timers.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"
#include "tests/platform_contract.h"

namespace
{
std::filesystem::path home;
}

void contract_start()
{
    offscreen_reset();
    platform_open_settings();
    platform_create_main_window(PLATFORM_DEFAULT_POSITION, 0);
    platform_attach_menu();
    home = std::filesystem::current_path();
    const std::filesystem::path scratch = temp_path("contract");
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
}

void contract_finish()
{
    const std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(home);
    std::filesystem::remove_all(scratch);
    timer_list_clear(the_game());
}

void contract_let_time_pass(int milliseconds)
{
    advance_ms(the_game(), milliseconds);
}

void contract_keep_boxes_open(int milliseconds)
{
    offscreen().box_open_ms = milliseconds;
}

uint32_t contract_menu_state(int id)
{
    const auto& states = offscreen().menu_states;
    auto found = states.find(id);
    return found == states.end() ? MENU_ITEM_ENABLED : found->second;
}

const char* contract_no_sound_because()
{
    return "";
}

// A move log is a text file anyone can edit: play any bytes back on a small
// level with treasures, the log itself open and recording.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "engine/move_rules.h"
#include "shell/platform_offscreen.h"

namespace
{

const char* const LAYOUT[] = {"#######", "#-$-.-#", "#-@*$.#", "#-----#", "#######"};

void load(Game_state& state)
{
    Level_info level;
    std::memset(level.layout, '#', sizeof level.layout);
    for (int r = 0; r < 5; ++r)
        std::memcpy(level.layout[r], LAYOUT[r], std::strlen(LAYOUT[r]));
    level.start_x = 2;
    level.start_y = 2;
    level.num_treasures = 3;
    level.loose_treasures = 2;
    level.banked_treasures = 1;
    build_pack_board(state, level);
    reset_board(state, false);
    state.mode = MODE_PLAY;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    offscreen_reset();
    offscreen().recording = false;
    Game_state state;
    load(state);
    FILE* sink = std::tmpfile();
    state.move_log.log = sink;
    state.move_log.echo = nullptr;
    // Counts may ask for billions of steps; a few thousand show the same things.
    int budget = 5000;
    scan_playback_text(std::string_view(reinterpret_cast<const char*>(data), size), [&](char c) {
        replay_char(state, c, 0, 0, 0);
        return --budget > 0;
    });
    close_move_log(state);
    return 0;
}

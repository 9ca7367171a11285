// A move log is a text file anyone can edit: play any bytes back on a small
// level with treasures, the log itself open and recording.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/move_log.h"
#include "engine/move_rules.h"
#include "files/pack_reader.h"
#include "shell/platform_offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char PACK[] = "Zandrek Pack\nLevel:\nLayout:\n#######\n#-$-.-#\n#-@*$.#\n#-----#\n#######\nend\nend\n";
    static const std::unique_ptr<Pack_info> pack = read_pack_bytes(PACK, sizeof PACK - 1);
    offscreen_reset();
    offscreen().recording = false;
    Game_state state;
    build_pack_board(state, *pack->levels);
    reset_board(state, false);
    state.mode = MODE_PLAY;
    state.move_log.log = std::tmpfile();
    state.move_log.echo = nullptr;
    int budget = 5000; // counts may ask for billions of steps; a few thousand show the same things
    scan_playback_text(std::string_view(reinterpret_cast<const char*>(data), size), [&](char c) {
        replay_char(state, c, 0, 0, 0);
        return --budget > 0;
    });
    close_move_log(state);
    return 0;
}

// Whatever a map file holds, drawn and sounded: every board a number can reach
// in both kinds of order, every screen, every speech id, the idle animation
// and the screen-sample preloading, over whatever the file claims.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/game_state.h"
#include "file_exercises.h"
#include "files/map_file.h"
#include "presentation/fidget.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "presentation/sound.h"
#include "shell/platform_offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = (std::filesystem::temp_directory_path() / "zandrek_fuzz_render.map").string();
    if (!write_input(path, data, size)) return 0;
    offscreen_reset(1);
    offscreen().recording = false;
    Game_state state;
    state.magnify = 1;
    state.map_file_name = path;
    File_diagnostics diagnostics;
    if (read_map_file(state, diagnostics) != 0) return 0;
    create_game_palette(state);
    Field_info board{};
    for (int n = -6; n <= 4; ++n) {
        read_board_record(state, board, n);
        draw_board(state, board, n % 2 != 0);
    }
    for (void (*show)(Game_state&) : {show_greeting, show_help, show_about, show_closing_text, show_finale})
        show(state);
    for (int id = 0; id < 256; ++id)
        play_speech(state, static_cast<uint8_t>(id));
    read_board_record(state, state.play_board, 1);
    state.mode = MODE_PLAY;
    fidget_reset(state);
    for (int i = 0; i < 200; ++i)
        fidget_tick(state, 0);
    preload_screen_samples(state, state.play_board);
    close_sound(state);
    return 0;
}

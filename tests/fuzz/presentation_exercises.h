// What the render fuzz target and the damaged-map test do with a map the
// reader accepted: draw every board a number can reach in both kinds of
// order, show every screen, sound every speech id and run the idle animation
// and the screen-sample preloading over whatever the file claims.
#pragma once

#include <cstdint>

#include "engine/game_state.h"
#include "presentation/fidget.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "presentation/sound.h"

inline void exercise_presentation(Game_state& state, int highest_level)
{
    create_game_palette(state);
    Field_info board{};
    for (int n = -6; n <= highest_level; ++n) {
        read_board_record(state, board, n);
        draw_board(state, board, n % 2 != 0);
    }
    show_greeting(state);
    show_help(state);
    show_about(state);
    show_closing_text(state);
    show_finale(state);
    for (int id = 0; id < 256; ++id)
        play_speech(state, static_cast<uint8_t>(id));
    read_board_record(state, state.play_board, 1);
    state.mode = MODE_PLAY;
    fidget_reset(state);
    for (int i = 0; i < 200; ++i)
        fidget_tick(state, 0);
    preload_screen_samples(state, state.play_board);
    close_sound(state);
}

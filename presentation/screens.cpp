#include "engine/game_state.h"
#include "engine/services.h"

// First cut of the text screens: the boards and modes, no text yet.
static void show_screen(Game_state& state, int number, int32_t mode)
{
    clear_display(state);
    read_board_record(state, state.screen_board, number);
    draw_board(state, state.screen_board, true);
    set_message_line(state, state.screen_board);
    play_speech(state, state.screen_board.start_sound);
    state.mode = mode;
}

void show_help(Game_state& state) { show_screen(state, BOARD_HELP, MODE_HELP); }
void show_about(Game_state& state) { show_screen(state, BOARD_ABOUT, MODE_HELP); }
void show_closing_text(Game_state& state) { show_screen(state, BOARD_BLANK, MODE_DONE_TEXT); }
void show_finale(Game_state& state) { show_screen(state, BOARD_FINALE, MODE_FINALE); }
void draw_solved_text(Game_state&, const Field_info&) {}
void draw_help_text(Game_state&) {}
void draw_closing_text(Game_state&) {}

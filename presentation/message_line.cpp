#include "presentation/message_line.h"

#include <cstdio>
#include <cstring>

#include "engine/game_state.h"
#include "files/score_file.h"
#include "presentation/elapsed_time.h"

void set_window_title(Game_state&, const char* text)
{
    platform_set_title(text);
}

void set_message_line(Game_state& state, const Field_info& board)
{
    switch (board.number) {
    case BOARD_TITLE: set_window_title(state, "Greetings - Click or press any key to begin"); return;
    case BOARD_HELP: set_window_title(state, "May I Help You?"); return;
    case BOARD_BLANK: set_window_title(state, "Oh, I say.  Bravo.  Frightfully good."); return;
    case BOARD_FINALE: set_window_title(state, "   Jumpin' Jehosephat!!!"); return;
    case BOARD_ABOUT: set_window_title(state, state.cpyr_text.c_str()); return;
    default: break;
    }
    char title[128] = "";
    if (board.number >= 1) std::snprintf(title, sizeof title, "Zandrek - Level %d", board.number);
    set_window_title(state, title);
}

void show_status_title(Game_state& state)
{
    int64_t elapsed = platform_now_seconds() - int64_t{state.play_board.start_time};
    const Field_info& board = state.play_board;
    char title[128];
    std::snprintf(title, sizeof title, "Zandrek: %s - Level=%d Moves=%d Pushes=%d Time=%s", player_name(state).c_str(),
                  board.number, board.moves, board.pushes, format_elapsed(elapsed));
    set_window_title(state, title);
}

#include <cstdio>

#include "engine/game_state.h"
#include "engine/services.h"

void set_window_title(Game_state&, const char* text) { platform_set_title(text); }

void set_message_line(Game_state& state, const Field_info& board)
{
    char title[128];
    switch (board.number) {
    case BOARD_TITLE: platform_set_title("Greetings - Click or press any key to begin"); return;
    case BOARD_HELP: platform_set_title("May I Help You?"); return;
    case BOARD_BLANK: platform_set_title("Oh, I say.  Bravo.  Frightfully good."); return;
    case BOARD_FINALE: platform_set_title("   Jumpin' Jehosephat!!!"); return;
    case BOARD_ABOUT: platform_set_title(state.cpyr_text.c_str()); return;
    default: break;
    }
    if (board.number >= 1) {
        std::snprintf(title, sizeof title, "Zandrek - Level %d", board.number);
        platform_set_title(title);
    } else {
        platform_set_title("");
    }
}

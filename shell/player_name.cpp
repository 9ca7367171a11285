#include <cstdio>
#include <cstring>

#include "engine/game_state.h"
#include "files/score_file.h"
#include "shell/platform.h"

int ask_player_name(Game_state& state)
{
    char* buffer = state.player_name_buffer;
    const uint32_t capacity = sizeof state.player_name_buffer;
    bool ask = true;
    bool typed = false;
    if (!state.name_asked) {
        if (platform_reg_get_string("player_name", buffer, capacity) == 1) {
            buffer[capacity - 1] = '\0';
            ask = false;
        } else {
            std::strcpy(buffer, "Zandrek");
        }
    }
    if (ask) {
        if (platform_player_name_dialog(buffer, static_cast<int>(capacity)) == 0)
            typed = true;
        else if (state.name_asked)
            return -1;
        // A first choice cancelled plays on under the name the dialog showed, unstored.
    }
    state.name_asked = true;
    if (Score_entry* found = find_player(state, buffer)) {
        state.current_player = found;
    } else if (add_player(state, buffer) != 0) {
        // Refused: nothing may be recorded under a name the player did not
        // choose, so the name shown next is the one still playing.
        if (state.current_player) std::snprintf(buffer, capacity, "%s", player_name(state).c_str());
        return -1;
    }
    // All sixteen bytes go to the settings, as the game always stored them.
    if (typed) platform_reg_set_string("player_name", buffer, capacity);
    return 0;
}

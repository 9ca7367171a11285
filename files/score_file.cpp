#include <cstring>

#include "engine/game_state.h"
#include "engine/services.h"

// First cut of the player records: one player, nothing saved yet.
bool is_developer_player(const Game_state& state)
{
    return state.current_player && std::strcmp(state.current_player->name, DEVELOPER_NAME) == 0;
}

int choose_player(Game_state& state)
{
    if (!state.current_player) {
        state.players.insert(state.players.begin(), std::make_unique<Score_entry>());
        state.current_player = state.players.front().get();
        std::strcpy(state.current_player->name, "Zandrek");
        state.num_players += 1;
    }
    int k = state.current_player->level + 1;
    state.max_level = k > BUILTIN_LEVELS ? BUILTIN_LEVELS : k;
    state.start_level = k > BUILTIN_LEVELS ? 1 : k;
    return 0;
}

void record_result(Game_state& state, const Field_info& solved)
{
    Score_entry* player = state.current_player;
    if (!player || solved.number < player->level) return;
    player->level = solved.number;
    state.max_level = solved.number + 1 > BUILTIN_LEVELS ? BUILTIN_LEVELS : solved.number + 1;
}

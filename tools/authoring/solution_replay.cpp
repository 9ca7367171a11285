#include "tools/authoring/solution_replay.h"

#include <cstdio>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/level_progression.h"

namespace
{

struct Move_key {
    char c;
    int32_t code;
};
const Move_key MOVE_KEYS[] = {{'^', CODE_UP}, {'v', CODE_DOWN}, {'<', CODE_LEFT}, {'>', CODE_RIGHT}};

const Move_key* key_for(char c)
{
    for (const Move_key& k : MOVE_KEYS)
        if (k.c == c) return &k;
    return nullptr;
}

} // namespace

Replay_outcome replay_solution(Game_state& state, Level_info& level, const std::string& moves)
{
    Replay_outcome out;
    // A pack of its own, so the solved level leads to the solved screen (or
    // the all-done screen when it is the last of its list) and no further.
    Pack_info alone;
    Pack_info* saved_pack = state.pack;
    state.pack = &alone;
    alone.current_level = &level;
    build_pack_board(state, level);
    enter_level(state);
    for (size_t i = 0; i < moves.size(); ++i) {
        const Move_key* key = key_for(moves[i]);
        char why[96];
        if (!key) {
            std::snprintf(why, sizeof why, "move %zu: '%c' is not one of <>^v", i + 1, moves[i]);
            out.problem = why;
            break;
        }
        if (state.mode != MODE_PLAY) {
            std::snprintf(why, sizeof why, "solved after move %zu of %zu", i, moves.size());
            out.problem = why;
            break;
        }
        handle_event(state, Game_event{EVENT_KEY, key->code, 0, 0, 0});
    }
    out.moves = state.play_board.moves;
    out.pushes = state.play_board.pushes;
    if (out.problem.empty()) {
        if ((state.mode == MODE_SOLVED || state.mode == MODE_ALL_DONE) &&
            state.play_board.banked == state.play_board.treasures)
            out.solved = true;
        else
            out.problem = "the moves end without solving the level";
    }
    state.pack = saved_pack;
    state.mode = MODE_TITLE;
    return out;
}

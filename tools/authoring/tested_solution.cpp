#include "tools/authoring/tested_solution.h"

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/solution_replay.h"

int store_tested_solution(Game_state& state, Authored_level& level, const std::string& moves, std::string& problem)
{
    if (moves.empty()) {
        problem = "there are no moves to store";
        return -1;
    }
    Authored_pack alone;
    alone.levels.push_back(level);
    alone.levels.back().solution = moves;
    std::string text;
    if (pack_text(alone, text, problem) != 0) return -1;
    std::unique_ptr<Pack_info> pack = read_pack_bytes(text.data(), text.size());
    if (!pack) {
        problem = "the game cannot read the level back";
        return -1;
    }
    Replay_outcome outcome = replay_solution(state, *pack->levels, pack->levels->solution);
    if (!outcome.solved) {
        problem = "the moves do not solve the level: " + outcome.problem;
        return -1;
    }
    level.solution = moves;
    level.empty_solution = false;
    return 0;
}

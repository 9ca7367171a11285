// The judge of every solution the authoring tools report: the moves are
// played on a real game state through handle_event, exactly as keys would be.
#pragma once

#include <string>

struct Game_state;
struct Level_info;

struct Replay_outcome {
    bool solved = false; // the last move solved the level, and no earlier one did
    int moves = 0;       // the board's counts after the replay
    int pushes = 0;
    std::string problem; // why it did not solve; empty when it did
};

// Builds the level as the game does (build_pack_board, enter_level) and plays
// `moves`, one of <>^v each. The state's current pack is restored afterwards.
Replay_outcome replay_solution(Game_state& state, Level_info& level, const std::string& moves);

// A plain breadth-first search over pushes with no pruning at all, written
// apart from the solver, to check its answers on small levels.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Bfs_answer {
    bool settled = false; // false: the position limit came first
    int pushes = -1;      // fewest pushes; -1: no solution
    int moves = -1;       // of the answers that count moves
};

// Rows in the layout legend ('-' floor, '.' bank, '$' treasure, '*' banked
// treasure, '@' player, '+' player on a bank, anything else wall). A level
// is solved after a push that leaves every treasure on a bank.
Bfs_answer bfs_fewest_pushes(const std::vector<std::string>& rows, size_t max_positions = 200000);

// The fewest moves, or with `pushes_first` the fewest moves among the fewest
// pushes, by Dijkstra's search over the treasures and the player's own cell.
Bfs_answer reference_fewest_moves(const std::vector<std::string>& rows, bool pushes_first,
                                  size_t max_positions = 200000);

// The pushes each treasure alone needs to reach each bank, the player
// starting where it stands and the other treasures left off the board; the
// cheapest way of giving the treasures distinct banks, or -1 when there is
// none.
int reference_start_bound(const std::vector<std::string>& rows);

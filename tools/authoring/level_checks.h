// What the pack editor says about a level before any search: the faults that
// make a search pointless, and the cells from which a treasure is lost.
#pragma once

#include <string>
#include <vector>

enum Level_fault { FAULT_ZANDREK_COUNT, FAULT_NO_TREASURE, FAULT_FEW_BANKS, FAULT_OPEN_CELL };

struct Level_problem {
    Level_fault fault;
    std::string message;
    std::vector<int> cells; // row * 20 + column of the cells at fault; empty when no cell is
};

// The faults of a layout (rows in the legend, as in Authored_level), in the
// order of Level_fault; empty when a search may start. An open cell is a
// floor, bank, treasure or Zandrek cell on the grid's border or beside a
// space, across a side (Zandrek never steps diagonally). Extra banks are no
// fault.
std::vector<Level_problem> level_problems(const std::vector<std::string>& rows);

// One flag per cell, row * 20 + column: a floor cell from which no treasure
// can reach any bank, whatever the other treasures do.
std::vector<bool> level_dead_cells(const std::vector<std::string>& rows);

// The solver before the fast mode, kept for comparison in the benchmarks.
#pragma once

#include "tools/authoring/solver.h"

namespace previous_solver
{
// Push-optimal A* with the goal, time and memory limits of `options`.
Solve_result solve_puzzle(const Puzzle& puzzle, const Solve_options& options = {});
} // namespace previous_solver

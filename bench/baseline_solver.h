// The earlier solver, for speed comparisons in the benchmark only.
#pragma once

#include "tools/authoring/solver.h"

Solve_result baseline_solve(const Puzzle& puzzle, const Solve_options& options);

// The pack editor's one line about the search of the level being drawn.
#pragma once

#include <cstdint>
#include <string>

struct Solve_result;

enum Verdict_kind { VERDICT_SEARCHING, VERDICT_OPTIMAL, VERDICT_FOUND, VERDICT_UNSOLVABLE, VERDICT_GAVE_UP };

struct Verdict {
    Verdict_kind kind = VERDICT_SEARCHING;
    uint64_t positions = 0; // while searching
    int pushes = 0;         // of the solution found
    double seconds = 0;     // when the search gave up
};

// "Solvable in N pushes", "Solvable: a solution of N pushes found, optimum
// not yet proven", "Unsolvable", "Searching… K positions" or "Gave up after
// T s", T in whole seconds.
std::string verdict_text(const Verdict& verdict);

// A finished search's verdict; `optimal` says whether the search that found
// a solution proves its push count.
Verdict verdict_of(const Solve_result& result, bool optimal);

#include "tools/authoring/verdict_text.h"

#include <cmath>

#include "tools/authoring/solver.h"

std::string verdict_text(const Verdict& verdict)
{
    const std::string pushes = std::to_string(verdict.pushes);
    switch (verdict.kind) {
    case VERDICT_OPTIMAL: return "Solvable in " + pushes + " pushes";
    case VERDICT_FOUND: return "Solvable: a solution of " + pushes + " pushes found, optimum not yet proven";
    case VERDICT_UNSOLVABLE: return "Unsolvable";
    case VERDICT_GAVE_UP:
        return "Gave up after " + std::to_string(static_cast<long long>(std::lround(verdict.seconds))) + " s";
    case VERDICT_SEARCHING: break;
    }
    return "Searching\u2026 " + std::to_string(verdict.positions) + " positions";
}

Verdict verdict_of(const Solve_result& result, bool optimal)
{
    Verdict verdict;
    verdict.pushes = result.pushes;
    verdict.seconds = result.seconds;
    switch (result.status) {
    case SOLVE_FOUND: verdict.kind = optimal ? VERDICT_OPTIMAL : VERDICT_FOUND; break;
    case SOLVE_NONE: verdict.kind = VERDICT_UNSOLVABLE; break;
    case SOLVE_GAVE_UP: verdict.kind = VERDICT_GAVE_UP; break;
    // An optimal search stopped by its bound after finding a solution.
    case SOLVE_UNPROVEN: verdict.kind = VERDICT_FOUND; break;
    }
    return verdict;
}

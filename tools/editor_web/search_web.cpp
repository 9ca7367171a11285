// The worker's one call into the solver: a level's rows in, a verdict out.
// Progress goes to the page as the search runs; the page stops a search it
// no longer wants by ending the worker, so no flag is polled here.
#include <emscripten/emscripten.h>

#include <sstream>

#include "tools/authoring/solver.h"
#include "tools/authoring/verdict_text.h"
#include "tools/editor_web/binding_text.h"

namespace
{

constexpr double PROGRESS_SECONDS = 0.25;

std::vector<std::string> rows_of(const char* text)
{
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string row; std::getline(in, row);)
        rows.push_back(row);
    return rows;
}

// The one place the page's search is chosen: push-optimal A*, whose found
// solution is proven optimal.
Solve_result run_search(const Puzzle& puzzle, double seconds, double megabytes, bool* optimal)
{
    Solve_options options;
    options.goal = SOLVE_PUSHES;
    options.time_limit_seconds = seconds;
    options.max_bytes = static_cast<uint64_t>(megabytes * 1e6);
    options.progress_seconds = PROGRESS_SECONDS;
    options.progress = [](const Solve_progress& p) {
        Verdict v;
        v.positions = p.stored;
        const std::string text = verdict_text(v);
        EM_ASM({ Module.searchProgress(UTF8ToString($0), $1); }, text.c_str(), static_cast<double>(p.stored));
    };
    *optimal = true;
    return solve_puzzle(puzzle, options);
}

} // namespace

extern "C" {

// Rows one a line. {"text", "kind", "pushes", "moves", "positions", "seconds"}.
EMSCRIPTEN_KEEPALIVE const char* ed_search(const char* rows_text, double seconds, double megabytes)
{
    Puzzle puzzle;
    std::string error;
    if (puzzle_from_rows(rows_of(rows_text), puzzle, &error) != 0)
        return answer("{\"kind\":\"refused\",\"text\":" + json_string(error) + "}");
    bool optimal = false;
    const Solve_result result = run_search(puzzle, seconds, megabytes, &optimal);
    const Verdict verdict = verdict_of(result, optimal);
    static const char* const KINDS[] = {"searching", "optimal", "found", "unsolvable", "gave-up"};
    return answer("{\"kind\":\"" + std::string(KINDS[verdict.kind]) +
                  "\",\"text\":" + json_string(verdict_text(verdict)) + ",\"pushes\":" + std::to_string(result.pushes) +
                  ",\"moves\":" + json_string(result.moves) + ",\"positions\":" + std::to_string(result.stored) +
                  ",\"expanded\":" + std::to_string(result.expanded) +
                  ",\"seconds\":" + std::to_string(result.seconds) + "}");
}

} // extern "C"

// zandrek-tool solve: the optimal solution of one pack level, proven by
// playing it through the game before it is printed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/pack_records.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/solver.h"
#include "tools/authoring/tool_game.h"
#include "tools/progress_line.h"
#include "tools/tool_commands.h"

namespace
{

// 1 to 3 are the search's answers.
constexpr int EXIT_NO_RUN = 4;

const char SOLVE_USAGE[] =
    "usage: zandrek-tool solve [--map FILE] PACK.zrp N [--any | --optimal pushes|moves|pushes-moves]\n"
    "                         [--time-limit S] [--state-limit N] [--memory-limit MB] [--quiet]\n"
    "\n"
    "Solves level N of the pack as the game builds it and checks the answer by\n"
    "playing it through the game's own event handling. Prints the moves as <>^v\n"
    "on one line and 'moves M pushes P' on the last line. Exit status:\n"
    "  0  a solution; with --optimal (the default) proven the best\n"
    "  1  'no solution': proven that there is none\n"
    "  2  'gave up': a limit was reached before any solution was found\n"
    "  3  --optimal reached a limit after finding a solution: it is printed, the\n"
    "     last line ending '(not proven optimal)'\n"
    "  4  bad arguments, a pack or level that cannot be read, or a solution the\n"
    "     game does not accept\n"
    "Search figures go to standard error, and while it works a progress line\n"
    "(positions, bound, rate, memory).\n"
    "\n"
    "options:\n"
    "  --any             any solution, fast: a best-first search that weighs progress\n"
    "  --optimal pushes  fewest pushes (the default)\n"
    "  --optimal moves   fewest steps\n"
    "  --optimal pushes-moves  fewest steps among the fewest pushes\n"
    "  --time-limit S    give up after S seconds (default: no limit)\n"
    "  --state-limit N   give up after storing N positions (default: no limit)\n"
    "  --memory-limit MB give up before the search holds MB megabytes (default 1000)\n"
    "  --quiet           no progress line\n"
    "  --map FILE        use this map's blank board and tiles\n"
    "  --help            show this text\n";

int usage_error(const char* what)
{
    if (what) std::fprintf(stderr, "zandrek-tool solve: %s\n", what);
    std::fputs(SOLVE_USAGE, stderr);
    return EXIT_NO_RUN;
}

} // namespace

int cmd_solve(int argc, char** argv)
{
    const char* positional[2] = {nullptr, nullptr};
    int npos = 0;
    const char* map = nullptr;
    Solve_options options;
    bool quiet = false;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(SOLVE_USAGE, stdout);
            return 0;
        }
        if (std::strcmp(a, "--optimal") == 0 && i + 1 < argc) {
            const char* g = argv[++i];
            if (std::strcmp(g, "pushes") == 0)
                options.goal = SOLVE_PUSHES;
            else if (std::strcmp(g, "moves") == 0)
                options.goal = SOLVE_MOVES;
            else if (std::strcmp(g, "pushes-moves") == 0)
                options.goal = SOLVE_PUSHES_THEN_MOVES;
            else
                return usage_error("--optimal takes 'pushes', 'moves' or 'pushes-moves'");
        } else if (std::strcmp(a, "--any") == 0) {
            options.goal = SOLVE_ANY;
        } else if (std::strcmp(a, "--state-limit") == 0 && i + 1 < argc) {
            char* end = nullptr;
            double n = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(n >= 1) || n > 1e12)
                return usage_error("--state-limit takes a number of positions");
            options.max_states = static_cast<uint64_t>(n);
        } else if (std::strcmp(a, "--time-limit") == 0 && i + 1 < argc) {
            char* end = nullptr;
            double s = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(s > 0))
                return usage_error("--time-limit takes a number of seconds");
            options.time_limit_seconds = s;
        } else if (std::strcmp(a, "--memory-limit") == 0 && i + 1 < argc) {
            char* end = nullptr;
            double mb = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(mb >= 1) || mb > 1e7)
                return usage_error("--memory-limit takes a number of megabytes");
            options.max_bytes = static_cast<uint64_t>(mb * 1e6);
        } else if (std::strcmp(a, "--quiet") == 0) {
            quiet = true;
        } else if (std::strcmp(a, "--map") == 0 && i + 1 < argc) {
            map = argv[++i];
        } else if (a[0] == '-' && a[1] == '-') {
            return usage_error((std::string("unknown option ") + a).c_str());
        } else if (npos < 2) {
            positional[npos++] = a;
        } else {
            return usage_error("too many arguments");
        }
    }
    if (npos < 2) return usage_error(nullptr);

    Tool_game game;
    if (open_tool_game(game, map) != 0) {
        std::fprintf(stderr, "zandrek-tool solve: %s\n", game.error.c_str());
        return EXIT_NO_RUN;
    }
    Pack_info* pack = load_tool_pack(game, positional[0]);
    if (!pack) {
        std::fprintf(stderr, "zandrek-tool solve: %s\n", game.error.c_str());
        return EXIT_NO_RUN;
    }
    int number = 0;
    std::string error;
    if (parse_level_number(positional[1], *pack, &number, error) != 0) {
        std::fprintf(stderr, "zandrek-tool solve: %s\n", error.c_str());
        return EXIT_NO_RUN;
    }
    Level_info* level = pack_level(*pack, number);
    Puzzle puzzle;
    if (puzzle_from_level(*level, puzzle, &error) != 0) {
        std::fprintf(stderr, "zandrek-tool solve: level %d: %s\n", number, error.c_str());
        return EXIT_NO_RUN;
    }

    Progress_line line = progress_line_for_stderr(quiet);
    options.progress = [&line](const Solve_progress& p) {
        char text[120];
        std::snprintf(text, sizeof text, "%llu positions, %llu stored, bound %d, %.0f/s, %llu MB, %.0f s",
                      static_cast<unsigned long long>(p.expanded), static_cast<unsigned long long>(p.stored), p.bound,
                      p.seconds > 0 ? p.expanded / p.seconds : 0.0, static_cast<unsigned long long>(p.bytes >> 20),
                      p.seconds);
        progress_update(line, p.seconds, text);
    };
    options.progress_seconds = 0.25;
    Solve_result r;
    try {
        r = solve_puzzle(puzzle, options);
    } catch (const std::bad_alloc&) {
        r.status = SOLVE_GAVE_UP; // out of memory before the memory limit
    }
    progress_done(line);
    std::fprintf(stderr, "expanded %llu, generated %llu, stored %llu, %.2f s, %.0f positions/s, %llu MB\n",
                 static_cast<unsigned long long>(r.expanded), static_cast<unsigned long long>(r.generated),
                 static_cast<unsigned long long>(r.stored), r.seconds, r.seconds > 0 ? r.expanded / r.seconds : 0.0,
                 static_cast<unsigned long long>(r.bytes >> 20));
    std::fprintf(stderr, "corral cuts %llu, learned deadlock cuts %llu\n",
                 static_cast<unsigned long long>(r.corral_cuts), static_cast<unsigned long long>(r.pattern_cuts));
    if (r.status == SOLVE_FOUND || r.status == SOLVE_UNPROVEN)
        std::fprintf(stderr, "lower bound %d, treasure changes %d, difficulty %d\n", r.lower_bound, r.treasure_changes,
                     difficulty_score(r));
    if (r.status == SOLVE_NONE) {
        std::puts("no solution");
        return 1;
    }
    if (r.status == SOLVE_GAVE_UP) {
        std::puts("gave up");
        return 2;
    }
    Replay_outcome check = replay_solution(game.state, *level, r.moves);
    if (!check.solved || check.pushes != r.pushes || check.moves != r.move_count) {
        std::fprintf(stderr, "zandrek-tool solve: the game does not accept the solution found: %s\n",
                     check.problem.empty() ? "the counts differ" : check.problem.c_str());
        return EXIT_NO_RUN;
    }
    std::printf("%s\nmoves %d pushes %d%s\n", r.moves.c_str(), r.move_count, r.pushes,
                r.status == SOLVE_UNPROVEN ? " (not proven optimal)" : "");
    return r.status;
}

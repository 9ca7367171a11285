// zandrek-tool check: replays every stored solution of a pack the way the
// game plays it, one character at a time, and says which levels it solves.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/authoring/solver.h"
#include "tools/authoring/tool_game.h"
#include "tools/tool_commands.h"

namespace
{

const char CHECK_USAGE[] = "usage: zandrek-tool check [--map FILE] [--solve [--time-limit S]] PACK.zrp\n"
                           "\n"
                           "Plays the stored solution of every level through the game's own event\n"
                           "handling and prints one tab-separated line per level: number, name, and\n"
                           "'solved', 'FAILED' or 'no solution', with the moves and pushes played.\n"
                           "Exits 1 when any stored solution does not solve its level.\n"
                           "\n"
                           "options:\n"
                           "  --solve          for a level without a stored solution, ask the solver's\n"
                           "                   fast mode whether it has one: 'solvable' with the pushes\n"
                           "                   found, 'unsolvable' (proven; the check then exits 1) or\n"
                           "                   'unknown' when the time limit came first\n"
                           "  --time-limit S   the solver's limit per level (default 10)\n"
                           "  --map FILE       use this map's blank board and tiles\n"
                           "  --help           show this text\n";

constexpr double DEFAULT_SOLVE_SECONDS = 10;

// The verdict for a level without a stored solution; true when it is proven
// to have none.
bool report_solvability(const Level_info& level, double seconds)
{
    Puzzle puzzle;
    std::string error;
    if (puzzle_from_level(level, puzzle, &error) != 0) {
        std::printf("%d\t%s\tunsolvable: %s\n", level.number, level.name, error.c_str());
        return true;
    }
    Solve_options options;
    options.goal = SOLVE_ANY;
    options.time_limit_seconds = seconds;
    Solve_result r = solve_puzzle(puzzle, options);
    if (r.status == SOLVE_FOUND)
        std::printf("%d\t%s\tno solution stored, solvable\tmoves %d pushes %d\n", level.number, level.name,
                    r.move_count, r.pushes);
    else
        std::printf("%d\t%s\tno solution stored, %s\n", level.number, level.name,
                    r.status == SOLVE_NONE ? "unsolvable" : "unknown");
    return r.status == SOLVE_NONE;
}

} // namespace

int cmd_check(int argc, char** argv)
{
    const char* path = nullptr;
    const char* map = nullptr;
    bool solve = false;
    double seconds = DEFAULT_SOLVE_SECONDS;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(CHECK_USAGE, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--solve") == 0) {
            solve = true;
            continue;
        }
        if (std::strcmp(argv[i], "--time-limit") == 0 && i + 1 < argc) {
            char* end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(seconds > 0)) {
                std::fputs("zandrek-tool check: --time-limit takes a number of seconds\n", stderr);
                return 1;
            }
            continue;
        }
        if (std::strcmp(argv[i], "--map") == 0 && i + 1 < argc) {
            map = argv[++i];
            continue;
        }
        if (path || (argv[i][0] == '-' && argv[i][1] == '-')) {
            std::fputs(CHECK_USAGE, stderr);
            return 1;
        }
        path = argv[i];
    }
    if (!path) {
        std::fputs(CHECK_USAGE, stderr);
        return 1;
    }
    Tool_game game;
    if (open_tool_game(game, map) != 0) {
        std::fprintf(stderr, "zandrek-tool check: %s\n", game.error.c_str());
        return 1;
    }
    Pack_info* pack = load_tool_pack(game, path);
    if (!pack) {
        std::fprintf(stderr, "zandrek-tool check: %s\n", game.error.c_str());
        return 1;
    }
    int solved = 0, failed = 0, missing = 0, unsolvable = 0;
    for (const Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        if (!level->has_solution && solve) {
            unsolvable += report_solvability(*level, seconds);
            missing += 1;
            continue;
        }
        if (!level->has_solution) {
            std::printf("%d\t%s\tno solution\n", level->number, level->name);
            missing += 1;
            continue;
        }
        enter_tool_level(game, *pack, level->number);
        Playback_result result = play_moves(game.state, level->solution, false);
        const Field_info& board = game.state.play_board;
        std::printf("%d\t%s\t%s\tmoves %d pushes %d\n", level->number, level->name, result.solved ? "solved" : "FAILED",
                    board.moves, board.pushes);
        (result.solved ? solved : failed) += 1;
    }
    std::printf("%d solved, %d failed, %d without a solution", solved, failed, missing);
    if (solve) std::printf(", %d of them unsolvable", unsolvable);
    std::printf("\n");
    return failed || unsolvable ? 1 : 0;
}

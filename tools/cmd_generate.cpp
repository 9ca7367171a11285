// zandrek-tool generate: a pack of new levels on standard output, each
// proven solvable by the solver and by the game's own replay.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/authoring/generator.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/tool_game.h"
#include "tools/progress_line.h"
#include "tools/tool_commands.h"

namespace
{

const char GENERATE_USAGE[] =
    "usage: zandrek-tool generate --count N --size RxC --treasures K --seed S [--candidates M]\n"
    "\n"
    "Writes a pack of N new levels to standard output. Each room is at most R rows\n"
    "by C columns with its walls (R <= 16, C <= 20) and holds K treasures. Every\n"
    "level carries its push-optimal solution, proven by playing it through the\n"
    "game, and a 'Difficulty:' remark line (optimal pushes, detours, treasure\n"
    "changes and solver effort; higher is harder). The same seed gives the same\n"
    "pack.\n"
    "\n"
    "options:\n"
    "  --candidates M   rooms tried per level, the hardest kept (default 24)\n"
    "  --pushes A-B     keep only rooms whose push-optimal solution takes A to B pushes\n"
    "  --pull-beam B    positions of each backward layer that go on (default 200)\n"
    "  --pull-limit L   positions the backward search visits per room (default 40000)\n"
    "  --solve-states S the solver's limit in stored positions per room (default 3000000)\n"
    "  --no-fewest-moves  skip the move-optimal search (slow with many treasures)\n"
    "  --quiet          no progress line on standard error\n"
    "  --name TEXT      the pack's name (default 'Generated')\n"
    "  --help           show this text\n";

int usage_error(const std::string& what)
{
    if (!what.empty()) std::fprintf(stderr, "zandrek-tool generate: %s\n", what.c_str());
    std::fputs(GENERATE_USAGE, stderr);
    return 1;
}

bool read_int(const char* text, long lo, long hi, long* out)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

} // namespace

int cmd_generate(int argc, char** argv)
{
    Generate_options o;
    long count = -1, value = 0;
    bool have_size = false, have_treasures = false, have_seed = false;
    std::string name = "Generated";
    bool quiet = false;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(GENERATE_USAGE, stdout);
            return 0;
        }
        if (std::strcmp(a, "--quiet") == 0) {
            quiet = true;
            continue;
        }
        if (std::strcmp(a, "--no-fewest-moves") == 0) {
            o.fewest_moves = false;
            continue;
        }
        if (i + 1 >= argc) return usage_error(std::string("unknown or incomplete option ") + a);
        const char* v = argv[++i];
        if (std::strcmp(a, "--count") == 0) {
            if (!read_int(v, 1, 1000, &count)) return usage_error("--count takes a number from 1 to 1000");
        } else if (std::strcmp(a, "--size") == 0) {
            int r = 0, c = 0;
            char x = 0, extra = 0;
            if (std::sscanf(v, "%d%c%d%c", &r, &x, &c, &extra) != 3 || x != 'x' || r < 3 || r > LEVEL_ROWS || c < 3 ||
                c > LEVEL_COLS)
                return usage_error("--size takes RxC with R from 3 to 16 and C from 3 to 20");
            o.rows = r;
            o.cols = c;
            have_size = true;
        } else if (std::strcmp(a, "--treasures") == 0) {
            if (!read_int(v, 1, 30, &value)) return usage_error("--treasures takes a number from 1 to 30");
            o.treasures = static_cast<int>(value);
            have_treasures = true;
        } else if (std::strcmp(a, "--seed") == 0) {
            char* end = nullptr;
            unsigned long long s = std::strtoull(v, &end, 10);
            if (end == v || *end != '\0') return usage_error("--seed takes a whole number");
            o.seed = s;
            have_seed = true;
        } else if (std::strcmp(a, "--candidates") == 0) {
            if (!read_int(v, 1, 10000, &value)) return usage_error("--candidates takes a number from 1 to 10000");
            o.candidates = static_cast<int>(value);
        } else if (std::strcmp(a, "--pushes") == 0) {
            int lo = 0, hi = 0;
            char dash = 0, extra = 0;
            if (std::sscanf(v, "%d%c%d%c", &lo, &dash, &hi, &extra) != 3 || dash != '-' || lo < 1 || hi < lo)
                return usage_error("--pushes takes A-B with 1 <= A <= B");
            o.min_pushes = lo;
            o.max_pushes = hi;
        } else if (std::strcmp(a, "--pull-beam") == 0) {
            if (!read_int(v, 1, 100000, &value)) return usage_error("--pull-beam takes a number from 1 to 100000");
            o.pull_beam = static_cast<size_t>(value);
        } else if (std::strcmp(a, "--pull-limit") == 0) {
            if (!read_int(v, 1, 100000000, &value)) return usage_error("--pull-limit takes a number up to 100000000");
            o.pull_limit = static_cast<uint64_t>(value);
        } else if (std::strcmp(a, "--solve-states") == 0) {
            if (!read_int(v, 1, 100000000, &value)) return usage_error("--solve-states takes a number up to 100000000");
            o.solve_states = static_cast<uint64_t>(value);
        } else if (std::strcmp(a, "--name") == 0) {
            name = v;
        } else {
            return usage_error(std::string("unknown option ") + a);
        }
    }
    if (count < 0 || !have_size || !have_treasures || !have_seed) return usage_error("");

    Tool_game game;
    if (open_tool_game(game) != 0) {
        std::fprintf(stderr, "zandrek-tool generate: %s\n", game.error.c_str());
        return 1;
    }
    Progress_line line = progress_line_for_stderr(quiet);
    auto started = std::chrono::steady_clock::now();
    o.progress = [&](int levels, int rooms) {
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        char text[120];
        std::snprintf(text, sizeof text, "%d of %ld levels, %d rooms tried, %.0f s", levels, count, rooms, seconds);
        progress_update(line, seconds, text);
    };
    std::vector<Generated_level> levels = generate_levels(game.state, o, static_cast<int>(count));
    progress_done(line);
    Authored_pack pack;
    pack.name = name;
    for (size_t i = 0; i < levels.size(); ++i) {
        const Generated_level& g = levels[i];
        Authored_level a;
        a.name = name + " " + std::to_string(i + 1);
        a.rows = g.rows;
        a.solution = g.solution.moves;
        char remark[120];
        std::snprintf(remark, sizeof remark,
                      "Difficulty: %d (pushes %d, moves %d, fewest moves %d, bound %d, changes %d, states %llu)",
                      g.difficulty, g.solution.pushes, g.solution.move_count, g.fewest_moves, g.solution.lower_bound,
                      g.solution.treasure_changes, static_cast<unsigned long long>(g.search_states));
        a.remarks.push_back(remark);
        pack.levels.push_back(a);
    }
    std::string text, problem;
    if (!pack.levels.empty() && pack_text(pack, text, problem) != 0) {
        std::fprintf(stderr, "zandrek-tool generate: %s\n", problem.c_str());
        return 1;
    }
    std::fputs(text.c_str(), stdout);
    if (static_cast<long>(levels.size()) < count) {
        std::fprintf(stderr, "zandrek-tool generate: only %zu of %ld levels fit a %dx%d room with %d treasures\n",
                     levels.size(), count, o.rows, o.cols, o.treasures);
        return 1;
    }
    return 0;
}

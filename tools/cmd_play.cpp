// zandrek-tool play: enter a pack level, play move characters through the
// game's handle_event, print the board and the counts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/click_to_move.h"
#include "engine/move_log.h"
#include "tools/authoring/tool_game.h"
#include "tools/tool_commands.h"

namespace
{

const char PLAY_USAGE[] = "usage: zandrek-tool play [OPTIONS] PACK.zrp N [MOVES]\n"
                          "\n"
                          "Enters level N of the pack, plays MOVES through the game's own event handling\n"
                          "and prints the board in the layout legend, then 'moves M pushes P solved yes|no'.\n"
                          "MOVES are playback characters: < > ^ v (or W E N S), u undo, r restart; a\n"
                          "character followed by x and a count repeats it; text between backquotes is a\n"
                          "comment. '-' reads MOVES from standard input; none prints the level's start.\n"
                          "Playback stops at the push that solves the level.\n"
                          "Each --click walks to a cell (row and column from 0) as a mouse click does,\n"
                          "in order and before MOVES: the button is held until the walk takes no step.\n"
                          "\n"
                          "options:\n";

struct Play_options {
    const char* map = nullptr;
    bool solution = false;
    std::vector<const char*> positional;
    std::vector<const char*> clicks; // ROW,COL each
    const char* log = nullptr;
};

struct Option {
    const char* name;
    const char* value_name; // nullptr: the option takes no value
    void (*apply)(Play_options& options, const char* value);
    const char* help;
};

const Option PLAY_OPTIONS[] = {
    {"--map", "FILE", [](Play_options& o, const char* v) { o.map = v; }, "use this map's blank board and tiles"},
    {"--solution", nullptr, [](Play_options& o, const char*) { o.solution = true; },
     "play the level's stored solution instead of MOVES"},
    {"--click", "ROW,COL", [](Play_options& o, const char* v) { o.clicks.push_back(v); },
     "walk to that cell with the mouse first (repeatable)"},
    {"--log", "FILE", [](Play_options& o, const char* v) { o.log = v; }, "write the move log the game would write"},
};

int usage(FILE* out)
{
    std::fputs(PLAY_USAGE, out);
    for (const Option& o : PLAY_OPTIONS) {
        std::string head = std::string(o.name) + (o.value_name ? std::string(" ") + o.value_name : "");
        std::fprintf(out, "  %-16s %s\n", head.c_str(), o.help);
    }
    std::fprintf(out, "  %-16s %s\n", "--help", "show this text");
    return out == stdout ? 0 : 1;
}

// 0, 1 on a bad argument, or -1 when --help was asked for.
int parse(int argc, char** argv, Play_options& options)
{
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) return -1;
        if (std::strncmp(arg, "--", 2) != 0 || arg[2] == '\0') {
            options.positional.push_back(arg);
            continue;
        }
        const Option* option = nullptr;
        for (const Option& o : PLAY_OPTIONS)
            if (std::strcmp(arg, o.name) == 0) option = &o;
        if (!option) {
            std::fprintf(stderr, "zandrek-tool play: unknown option '%s'\n", arg);
            return 1;
        }
        const char* value = nullptr;
        if (option->value_name) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zandrek-tool play: %s needs %s\n", option->name, option->value_name);
                return 1;
            }
            value = argv[++i];
        }
        option->apply(options, value);
    }
    return 0;
}

struct Click_cell {
    int row, column;
};

// Far more than any walk over a 16 x 20 board takes; a walk that keeps
// stepping past it is cut off there.
constexpr int CLICK_TICK_LIMIT = 5000;

int parse_clicks(const std::vector<const char*>& values, std::vector<Click_cell>* clicks)
{
    for (const char* value : values) {
        char* end = nullptr;
        long row = std::strtol(value, &end, 10);
        bool ok = end != value && *end == ',';
        const char* column_text = ok ? end + 1 : value;
        long column = ok ? std::strtol(column_text, &end, 10) : 0;
        ok = ok && end != column_text && *end == '\0';
        if (!ok || row < 0 || row >= LEVEL_ROWS || column < 0 || column >= LEVEL_COLS) {
            std::fprintf(stderr, "zandrek-tool play: --click wants ROW,COL inside the %d x %d board, not '%s'\n",
                         LEVEL_ROWS, LEVEL_COLS, value);
            return 1;
        }
        clicks->push_back(Click_cell{static_cast<int>(row), static_cast<int>(column)});
    }
    return 0;
}

} // namespace

int cmd_play(int argc, char** argv)
{
    Play_options options;
    int parsed = parse(argc, argv, options);
    if (parsed < 0) return usage(stdout);
    if (parsed > 0) return 1;
    size_t wanted = options.solution ? 2 : 3;
    if (options.positional.size() < 2 || options.positional.size() > wanted) return usage(stderr);

    Tool_game game;
    if (open_tool_game(game, options.map) != 0) {
        std::fprintf(stderr, "zandrek-tool play: %s\n", game.error.c_str());
        return 1;
    }
    Pack_info* pack = load_tool_pack(game, options.positional[0]);
    if (!pack) {
        std::fprintf(stderr, "zandrek-tool play: %s\n", game.error.c_str());
        return 1;
    }
    int number = 0;
    std::string error;
    if (parse_level_number(options.positional[1], *pack, &number, error) != 0) {
        std::fprintf(stderr, "zandrek-tool play: %s\n", error.c_str());
        return 1;
    }
    const Level_info* level = pack_level(*pack, number);

    std::string moves;
    bool counts_and_comments = true;
    if (options.solution) {
        moves = level->solution;
        counts_and_comments = false; // stored solutions are played one character at a time
    } else if (options.positional.size() == 3) {
        moves = options.positional[2];
        if (moves == "-") moves.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }

    std::vector<Click_cell> clicks;
    if (parse_clicks(options.clicks, &clicks) != 0) return 1;

    enter_tool_level(game, *pack, number);
    if (options.log) {
        if (open_move_log(game.state, options.log) != 0) {
            std::fprintf(stderr, "zandrek-tool play: cannot create the move log '%s'\n", options.log);
            return 1;
        }
        game.state.move_log.echo = nullptr; // the file is the output here
    }
    for (const Click_cell& click : clicks) {
        if (walk_to_cell(game.state, click.column, click.row, CLICK_TICK_LIMIT) < 0)
            std::fprintf(stderr, "zandrek-tool play: the walk to %d,%d was cut off after %d ticks\n", click.row,
                         click.column, CLICK_TICK_LIMIT);
    }
    play_moves(game.state, moves, counts_and_comments);
    close_move_log(game.state);

    int rows = 0, cols = 0;
    level_extent(*level, &rows, &cols);
    const Field_info& board = game.state.play_board;
    bool solved = game.state.mode == MODE_SOLVED || game.state.mode == MODE_ALL_DONE;
    std::fputs(board_legend_text(board, level, rows, cols).c_str(), stdout);
    std::printf("moves %d pushes %d solved %s\n", board.moves, board.pushes, solved ? "yes" : "no");
    return 0;
}

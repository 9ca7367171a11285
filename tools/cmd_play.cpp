// zandrek-tool play: enter a pack level, play move characters through the
// game's handle_event, print the board and the counts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

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
                          "\n"
                          "options:\n";

struct Play_options {
    const char* map = nullptr;
    bool solution = false;
    std::vector<const char*> positional;
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

    enter_tool_level(game, *pack, number);
    play_moves(game.state, moves, counts_and_comments);

    int rows = 0, cols = 0;
    level_extent(*level, &rows, &cols);
    const Field_info& board = game.state.play_board;
    bool solved = game.state.mode == MODE_SOLVED || game.state.mode == MODE_ALL_DONE;
    std::fputs(board_legend_text(board, level, rows, cols).c_str(), stdout);
    std::printf("moves %d pushes %d solved %s\n", board.moves, board.pushes, solved ? "yes" : "no");
    return 0;
}

// zandrek-tool render: what the game window's client area would show, as a
// PNG of exactly 320 x M by 192 x M pixels, drawn by the game's own code
// into the off-screen framebuffer.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/tool_game.h"
#include "tools/level_sheet.h"
#include "tools/png_writer.h"
#include "tools/tile_sheet.h"
#include "tools/tool_commands.h"

namespace
{

const char RENDER_USAGE[] =
    "usage: zandrek-tool render MAP BOARD -o OUT.png [--pack PACK.zrp] [--magnify M] [--moves MOVES]\n"
    "       zandrek-tool render --tiles MAP -o OUT.png [--magnify M]\n"
    "       zandrek-tool render --sheet PACK.zrp -o OUT.png [--map MAP] [--columns N]\n"
    "\n"
    "Draws BOARD as the game window shows it and writes it as a PNG of 320*M by 192*M pixels.\n"
    "BOARD is a built-in level of the map (1 and up) or one of its screens: -1 title, -2 help,\n"
    "-3 closing text, -4 finale, -5 about. With --pack, BOARD is a level of that pack, drawn\n"
    "over the map's template board with the map's tiles and the pack's own.\n"
    "\n"
    "options:\n"
    "  -o FILE          the PNG to write (required)\n"
    "  --pack FILE      take level BOARD from this pack\n"
    "  --magnify M      magnification 1 to 4 (default 2)\n"
    "  --moves MOVES    play these moves on the level first (< > ^ v, u, r; x%d counts)\n"
    "  --tiles MAP      instead of a board, every tile code of MAP, 20 to a row from code 0\n"
    "  --sheet PACK     instead of a board, every level of PACK at magnification 1, N to a\n"
    "                   row (--columns, default 5), each numbered in its top left corner;\n"
    "                   drawn with the tiles of --map MAP, or of a small built-in map whose\n"
    "                   tiles are plain squares, a colour for each kind of cell\n"
    "  --help           show this text\n"
    "Negative board numbers may also follow '--'.\n";

struct Render_options {
    const char* output = nullptr;
    const char* pack = nullptr;
    const char* moves = nullptr;
    const char* tiles = nullptr;
    const char* sheet = nullptr;
    const char* map = nullptr;
    int magnify = 2;
    int columns = 5;
    std::vector<const char*> positional;
};

bool parse_int(const char* text, long* value)
{
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

bool looks_negative_number(const char* arg)
{
    return arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
}

// 0, 1 on a bad argument (message printed), -1 for --help.
int parse(int argc, char** argv, Render_options& o)
{
    bool options_done = false;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || arg[1] == '\0' || looks_negative_number(arg)) {
            o.positional.push_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            options_done = true;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) return -1;
        const char** target = nullptr; // none: the magnification
        if (std::strcmp(arg, "-o") == 0 || std::strcmp(arg, "--output") == 0)
            target = &o.output;
        else if (std::strcmp(arg, "--pack") == 0)
            target = &o.pack;
        else if (std::strcmp(arg, "--moves") == 0)
            target = &o.moves;
        else if (std::strcmp(arg, "--tiles") == 0)
            target = &o.tiles;
        else if (std::strcmp(arg, "--sheet") == 0)
            target = &o.sheet;
        else if (std::strcmp(arg, "--map") == 0)
            target = &o.map;
        else if (std::strcmp(arg, "--magnify") != 0 && std::strcmp(arg, "--columns") != 0) {
            std::fprintf(stderr, "zandrek-tool render: unknown option '%s'\n", arg);
            return 1;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "zandrek-tool render: %s needs a value\n", arg);
            return 1;
        }
        const char* value = argv[++i];
        if (target) {
            *target = value;
            continue;
        }
        long m = 0;
        if (std::strcmp(arg, "--columns") == 0) {
            if (!parse_int(value, &m) || m < 1 || m > 50) {
                std::fprintf(stderr, "zandrek-tool render: columns must be 1 to 50, not '%s'\n", value);
                return 1;
            }
            o.columns = static_cast<int>(m);
            continue;
        }
        if (!parse_int(value, &m) || m < 1 || m > 4) {
            std::fprintf(stderr, "zandrek-tool render: magnification must be 1 to 4, not '%s'\n", value);
            return 1;
        }
        o.magnify = static_cast<int>(m);
    }
    if (o.positional.size() != (o.tiles || o.sheet ? 0u : 2u)) {
        std::fprintf(stderr, "zandrek-tool render: give a MAP and a BOARD\n");
        return 1;
    }
    if (!o.output) {
        std::fprintf(stderr, "zandrek-tool render: give the PNG to write with -o\n");
        return 1;
    }
    return 0;
}

// Shows a screen as the game does when it is asked for.
void show_special_board(Game_state& state, int number)
{
    switch (number) {
    case BOARD_TITLE: show_greeting(state); break;
    case BOARD_HELP: show_help(state); break;
    case BOARD_BLANK: show_closing_text(state); break;
    case BOARD_FINALE: show_finale(state); break;
    case BOARD_ABOUT: show_about(state); break;
    default: break;
    }
}

} // namespace

int cmd_render(int argc, char** argv)
{
    Render_options o;
    int parsed = parse(argc, argv, o);
    if (parsed != 0) {
        std::fputs(RENDER_USAGE, parsed < 0 ? stdout : stderr);
        return parsed < 0 ? 0 : 1;
    }
    if (o.tiles) return render_tile_sheet(o.tiles, o.output, o.magnify);
    if (o.sheet) return render_level_sheet(o.sheet, o.map, o.output, o.columns);
    const char* map_path = o.positional[0];
    const char* board_text = o.positional[1];

    Tool_game game;
    Game_state& state = game.state;
    state.magnify = o.magnify;
    if (open_tool_game(game, map_path) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", game.error.c_str());
        return 1;
    }
    create_game_palette(state);

    int number = 0;
    if (o.pack) {
        Pack_info* pack = load_tool_pack(game, o.pack);
        std::string error;
        if (!pack)
            error = game.error;
        else if (parse_level_number(board_text, *pack, &number, error) == 0)
            enter_tool_level(game, *pack, number);
        if (!error.empty()) {
            std::fprintf(stderr, "zandrek-tool render: %s\n", error.c_str());
            return 1;
        }
    } else {
        long n = 0;
        bool level = parse_int(board_text, &n) && n >= 1 && n <= state.map.num_levels;
        bool screen = parse_int(board_text, &n) && n <= BOARD_TITLE && n >= BOARD_ABOUT;
        if (!level && !screen) {
            std::fprintf(stderr,
                         "zandrek-tool render: board '%s' is neither a level of the map (1 to %d) nor a screen "
                         "(-1 to -5)\n",
                         board_text, static_cast<int>(state.map.num_levels));
            return 1;
        }
        number = static_cast<int>(n);
        if (o.moves && screen) {
            std::fprintf(stderr, "zandrek-tool render: --moves needs a level, not a screen\n");
            return 1;
        }
        if (level) {
            read_board_record(state, state.pristine_board, number);
            enter_level(state);
        } else {
            show_special_board(state, number);
        }
    }
    if (o.moves) play_moves(state, o.moves, true);

    const Offscreen& screen = offscreen();
    std::string error;
    if (write_png_rgb(o.output, screen.width, screen.height, screen.pixels.data(), error) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d x %d pixels\n", o.output, screen.width, screen.height);
    return 0;
}

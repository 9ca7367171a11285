// zandrek-tool levels: one tab-separated line per level of a pack.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/authoring/tool_game.h"
#include "tools/tool_commands.h"

namespace
{

const char LEVELS_USAGE[] = "usage: zandrek-tool levels PACK.zrp\n"
                            "\n"
                            "Prints one line per level, tab-separated: number, name, rows, cols (the room's\n"
                            "size, from its first to its last non-blank row and column), treasures, banks,\n"
                            "solution (yes/no). A pack the game would leave out prints the reason on\n"
                            "standard error and exits 1.\n"
                            "\n"
                            "options:\n"
                            "  --help           show this text\n";

// Generated rooms stand centred on the board, so the blank rows and columns
// before a room are not part of its size.
void room_size(const Level_info& level, int* rows, int* cols)
{
    int top = LEVEL_ROWS, left = LEVEL_COLS, bottom = -1, right = -1;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        for (int c = 0; c < LEVEL_COLS; ++c) {
            if (level.layout[r][c] == ' ') continue;
            top = std::min(top, r);
            left = std::min(left, c);
            bottom = std::max(bottom, r);
            right = std::max(right, c);
        }
    *rows = bottom < 0 ? 0 : bottom - top + 1;
    *cols = right < 0 ? 0 : right - left + 1;
}

int count_banks(const Level_info& level)
{
    int banks = 0;
    for (const auto& row : level.layout)
        for (char c : row)
            banks += c == '.' || c == '*' || c == '+';
    return banks;
}

} // namespace

int cmd_levels(int argc, char** argv)
{
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(LEVELS_USAGE, stdout);
            return 0;
        }
        if (path || (argv[i][0] == '-' && argv[i][1] == '-')) {
            std::fputs(LEVELS_USAGE, stderr);
            return 1;
        }
        path = argv[i];
    }
    if (!path) {
        std::fputs(LEVELS_USAGE, stderr);
        return 1;
    }
    // Listing needs no board, so no map either: the pack reader alone.
    Game_state state;
    Pack_diagnostic diagnostic;
    if (read_pack(state, path, &diagnostic) != 0) {
        std::fprintf(stderr, "zandrek-tool levels: %s\n", describe_pack_failure(path, diagnostic).c_str());
        return 1;
    }
    for (const Level_info* level = state.packs->levels.get(); level; level = level->next.get()) {
        int rows = 0, cols = 0;
        room_size(*level, &rows, &cols);
        // A tab inside a name would split the line for the scripts that read it.
        std::string name = level->name;
        for (char& c : name)
            if (c == '\t') c = ' ';
        std::printf("%d\t%s\t%d\t%d\t%d\t%d\t%s\n", level->number, name.c_str(), rows, cols, level->num_treasures,
                    count_banks(*level), level->has_solution ? "yes" : "no");
    }
    return 0;
}

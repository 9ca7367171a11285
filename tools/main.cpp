// zandrek-tool: the level author's command line. Every subcommand uses the
// game's own readers and its own handle_event.
#include <cstdio>
#include <cstring>

#include "tools/tool_commands.h"

namespace
{

struct Subcommand {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

const Subcommand SUBCOMMANDS[] = {
    {"levels", cmd_levels, "list the levels of a pack, one tab-separated line each"},
    {"play", cmd_play, "play moves on a pack level and print the board"},
    {"check", cmd_check, "replay every stored solution of a pack"},
    {"build-map", cmd_build_map, "build a map file from a description"},
    {"map", cmd_map, "summarise a map file and show what the game would say reading it"},
    {"score", cmd_score, "list the players of a score file"},
    {"render", cmd_render, "draw a board or screen as the game window shows it, to PNG"},
    {"sound", cmd_sound, "write the sample of a speech id as WAV"},
    {"solve", cmd_solve, "solve a pack level"},
    {"generate", cmd_generate, "generate a pack of solvable levels"},
};

int usage(FILE* out)
{
    std::fprintf(out, "usage: zandrek-tool COMMAND [ARGS...]\n\ncommands:\n");
    for (const Subcommand& s : SUBCOMMANDS)
        std::fprintf(out, "  %-10s %s\n", s.name, s.summary);
    std::fprintf(out, "\n'zandrek-tool COMMAND --help' describes one command.\n");
    return out == stdout ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage(stderr);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) return usage(stdout);
    for (const Subcommand& s : SUBCOMMANDS)
        if (std::strcmp(argv[1], s.name) == 0) return s.run(argc - 2, argv + 2);
    std::fprintf(stderr, "zandrek-tool: unknown command '%s'\n", argv[1]);
    return usage(stderr);
}

// Subcommands not written yet. Each one moves to its own cmd_*.cpp file when
// it is built, and its line here goes.
#include <cstdio>

#include "tools/tool_commands.h"

static int pending(const char* name)
{
    std::fprintf(stderr, "zandrek-tool %s: not available yet\n", name);
    return 1;
}

int cmd_render(int, char**) { return pending("render"); }
int cmd_sound(int, char**) { return pending("sound"); }

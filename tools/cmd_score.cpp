// zandrek-tool score: the players of a score file. It only reads: unlike
// the game, it never creates or replaces the file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/score_file.h"
#include "tools/tool_commands.h"

namespace
{

const char SCORE_USAGE[] = "usage: zandrek-tool score SCOREFILE\n"
                           "\n"
                           "Prints the players of a score file in file order: name, highest built-in\n"
                           "level solved, and the moves, pushes and time of that result. The file is\n"
                           "only read. Exits 1 when the game would not keep the file.\n"
                           "\n"
                           "options:\n"
                           "  --help           show this text\n";

} // namespace

int cmd_score(int argc, char** argv)
{
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(SCORE_USAGE, stdout);
            return 0;
        }
        if (path || argv[i][0] == '-') {
            std::fputs(SCORE_USAGE, stderr);
            return 1;
        }
        path = argv[i];
    }
    if (!path) {
        std::fputs(SCORE_USAGE, stderr);
        return 1;
    }
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(stderr, "zandrek-tool score: cannot open %s (the game would start an empty one)\n", path);
        return 1;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && bytes.size() < (1u << 20))
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);

    std::vector<Score_entry> players;
    if (parse_score_bytes(bytes.data(), bytes.size(), players) != 0) {
        std::fprintf(stderr,
                     "zandrek-tool score: %s does not begin with the score header "
                     "(the game would replace it with an empty one)\n",
                     path);
        return 1;
    }
    unsigned count = bytes.size() > 10 ? bytes[10] : 0;
    std::printf("players: %zu\n", players.size());
    if (players.size() < count)
        std::printf("note: the file counts %u players but holds only %zu\n", count, players.size());
    std::printf("name\tlevel\tmoves\tpushes\tseconds\tcarried\n");
    for (const Score_entry& p : players)
        std::printf("%s\t%d\t%u\t%u\t%d\t%u %u\n", p.name, p.level, p.moves, p.pushes, p.seconds, p.carried[0],
                    p.carried[1]);
    return 0;
}

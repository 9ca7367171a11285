// zandrek-tool build-map: a map file from its text description.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/authoring/map_description.h"
#include "tools/tool_commands.h"

namespace
{

const char BUILD_MAP_USAGE[] = "usage: zandrek-tool build-map DESCRIPTION -o MAPFILE\n"
                               "\n"
                               "Builds a map file from a description (see assets/map/zandrek_map.txt): the\n"
                               "built-in levels from a pack with the tiles each level draws, the special\n"
                               "boards (a picture of the whole board is cut into tiles, each distinct tile\n"
                               "stored once), the tile images and tables, the idle-animation sequences, the\n"
                               "speech table and the WAV samples. The same description always gives the\n"
                               "same bytes.\n"
                               "\n"
                               "options:\n"
                               "  -o MAPFILE       where to write the map file (required)\n"
                               "  --help           show this text\n";

} // namespace

int cmd_build_map(int argc, char** argv)
{
    const char* description = nullptr;
    const char* output = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(BUILD_MAP_USAGE, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            output = argv[++i];
        } else if (!description && argv[i][0] != '-') {
            description = argv[i];
        } else {
            std::fputs(BUILD_MAP_USAGE, stderr);
            return 1;
        }
    }
    if (!description || !output) {
        std::fputs(BUILD_MAP_USAGE, stderr);
        return 1;
    }
    Map_contents contents;
    std::string levels, error;
    if (read_map_description(description, contents, levels, error) != 0) {
        std::fprintf(stderr, "zandrek-tool build-map: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes = write_map_bytes(contents);
    // Written beside the target and moved over it, so a failed build never
    // leaves half a map where the game looks for one.
    std::string temporary = std::string(output) + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    std::remove(output);
    if (!ok || std::rename(temporary.c_str(), output) != 0) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "zandrek-tool build-map: cannot write %s\n", output);
        return 1;
    }
    std::printf("%s: %zu bytes, %d levels from %s, %zu boards, %zu images, %zu samples\n", output, bytes.size(),
                contents.map.num_levels, levels.c_str(), contents.boards.size(), contents.images.size(),
                contents.samples.size());
    return 0;
}

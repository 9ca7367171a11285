// Any bytes as "Zandrek.score": the parser, the reader, a save of what it
// kept and a second read, which must give the same players.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "file_exercises.h"
#include "files/score_file.h"
#include "shell/platform_offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zandrek_fuzz_score_" + std::to_string(std::random_device{}())))
            .string();
    std::vector<Score_entry> entries;
    parse_score_bytes(data, size, entries);
    offscreen_reset();
    offscreen().recording = false;
    if (!write_input(path, data, size)) return 0;
    Game_state state;
    state.score_file_name = path;
    if (read_score_file(state) != 0) std::abort();
    std::vector<Score_entry> first;
    for (auto& p : state.players)
        first.push_back(*p);
    save_score_file(state);
    if (read_score_file(state) != 0 || state.players.size() != first.size()) std::abort();
    for (size_t i = 0; i < first.size(); ++i)
        if (std::memcmp(state.players[i].get(), &first[i], sizeof(Score_entry)) != 0) std::abort();
    return 0;
}

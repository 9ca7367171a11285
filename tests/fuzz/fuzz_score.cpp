// Any bytes as "Zandrek.score": the parser, the reader, a save and a re-read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "file_exercises.h"
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
    if (!exercise_score(state, path)) std::abort(); // a saved list must read back the same
    return 0;
}

// Any bytes as "Zandrek.map": the reader and every positioned read after it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "file_exercises.h"
#include "shell/platform_offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zandrek_fuzz_map_" + std::to_string(std::random_device{}())))
            .string();
    offscreen_reset();
    offscreen().recording = false;
    if (!write_input(path, data, size)) return 0;
    Game_state state;
    exercise_map(state, path);
    return 0;
}

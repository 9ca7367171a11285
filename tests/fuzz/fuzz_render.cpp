// Drawing and sounding whatever a map file holds: the map reader first, then
// everything the presentation does with what it accepted.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "file_exercises.h"
#include "presentation_exercises.h"
#include "shell/platform_offscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = (std::filesystem::temp_directory_path() / "zandrek_fuzz_render.map").string();
    if (!write_input(path, data, size)) return 0;
    offscreen_reset(1);
    offscreen().recording = false;
    Game_state state;
    state.magnify = 1;
    state.map_file_name = path;
    File_diagnostics diagnostics;
    if (read_map_file(state, diagnostics) == 0) exercise_presentation(state, 4);
    return 0;
}

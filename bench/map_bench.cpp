// Opening the map file and the reads the game makes from it while it runs.
// Uses ./Zandrek.map when the build made one there, else builds the shipped
// description into a temporary file first.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "engine/game_state.h"
#include "files/map_file.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/map_description.h"

namespace
{

namespace fs = std::filesystem;

const std::string& real_map()
{
    static const std::string path = [] {
        if (fs::exists("Zandrek.map")) return std::string("Zandrek.map");
        std::string built = (fs::temp_directory_path() / "zandrek_bench.map").string();
        for (const char* description : {"assets/map/zandrek_map.txt", "../assets/map/zandrek_map.txt"}) {
            Map_contents m;
            std::string levels, error;
            if (fs::exists(description) && read_map_description(description, m, levels, error) == 0 &&
                write_map_file(m, built.c_str()) == 0)
                return built;
        }
        return std::string();
    }();
    return path;
}

bool open_map(Game_state& state, benchmark::State& bench)
{
    offscreen_reset();
    offscreen().recording = false;
    state.map_file_name = real_map();
    File_diagnostics diagnostics;
    if (state.map_file_name.empty() || read_map_file(state, diagnostics) != 0) {
        bench.SkipWithError("no map file: run from the build directory or the repository root");
        return false;
    }
    return true;
}

void BM_read_map_file(benchmark::State& bench)
{
    auto state = std::make_unique<Game_state>();
    if (!open_map(*state, bench)) return;
    for (auto _ : bench) {
        File_diagnostics diagnostics;
        benchmark::DoNotOptimize(read_map_file(*state, diagnostics));
    }
}
BENCHMARK(BM_read_map_file)->Unit(benchmark::kMicrosecond);

// Levels in a jumping order, so every read seeks as entering a level does.
void BM_read_board_record(benchmark::State& bench)
{
    auto state = std::make_unique<Game_state>();
    if (!open_map(*state, bench)) return;
    int n = 1;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(read_map_board(*state, state->pristine_board, n));
        n = n * 7 % 53 + 1;
        if (n > 50) n = -(n - 50);
    }
}
BENCHMARK(BM_read_board_record)->Unit(benchmark::kMicrosecond);

void BM_read_tile_image(benchmark::State& bench)
{
    auto state = std::make_unique<Game_state>();
    if (!open_map(*state, bench)) return;
    std::vector<uint8_t> image(static_cast<size_t>(state->map.image_size));
    uint32_t images = state->imgs_length / static_cast<uint32_t>(state->map.image_size);
    uint32_t k = 0;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(read_map_image(*state, image.data(), image.size(), k));
        k = (k + 5) % images;
    }
}
BENCHMARK(BM_read_tile_image)->Unit(benchmark::kMicrosecond);

} // namespace

// Reading a generated pack of 10,000 levels, beside a plain read of the same
// bytes, so the reader's speed is seen against what the disk and memory give.
// A pack this size fills about 11 MB of level records; when the allocator
// hands that memory back between iterations, first touches of fresh pages
// take a good part of the time, as they do once at the game's start-up.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "engine/pack_records.h"
#include "files/pack_reader.h"

namespace
{

const std::string& generated_pack()
{
    static const std::string text = [] {
        std::string t = "Zandrek Pack\nName: Bench\n";
        const char* rows[] = {"  #######",  "###-----#",  "#-$-#-$-##", "#-.@.-.--#",
                              "##-$-#-$-#", " #--.--.-#", " #########"};
        for (int i = 1; i <= 10000; ++i) {
            t += "Level:\nName: Level " + std::to_string(i) + "\nWall: quay\nFloor: planks\nLayout:\n";
            for (const char* r : rows)
                t += std::string(r) + "\n";
            t += "end\nSolution:\n>>vv<<^^>>vv<<^^>>vv<<^^>>vv<<^^\nend\nend\n";
        }
        return t;
    }();
    return text;
}

struct Temp_pack {
    std::string path;
    Temp_pack()
    {
        path = (std::filesystem::temp_directory_path() / "zandrek-pack-bench.zrp").string();
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(generated_pack().data(), 1, generated_pack().size(), f);
        std::fclose(f);
    }
    ~Temp_pack() { std::remove(path.c_str()); }
};

const Temp_pack& temp_pack()
{
    static Temp_pack pack;
    return pack;
}

void BM_read_pack_memory(benchmark::State& state)
{
    const std::string& text = generated_pack();
    for (auto _ : state) {
        std::unique_ptr<Pack_info> pack = read_pack_bytes(text.data(), text.size());
        benchmark::DoNotOptimize(pack.get());
        if (!pack || pack->num_levels != 10000) state.SkipWithError("pack not read");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_read_pack_memory)->Unit(benchmark::kMillisecond);

void BM_read_pack_file(benchmark::State& state)
{
    const std::string& path = temp_pack().path;
    for (auto _ : state) {
        Game_state game;
        if (read_pack(game, path.c_str()) != 0) state.SkipWithError("pack not read");
        benchmark::DoNotOptimize(game.packs.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(generated_pack().size()));
}
BENCHMARK(BM_read_pack_file)->Unit(benchmark::kMillisecond);

// The floor: the same bytes read from the same file into memory, nothing parsed.
void BM_raw_file_read(benchmark::State& state)
{
    const std::string& path = temp_pack().path;
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "rb");
        size_t total = 0, n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            total += n;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(generated_pack().size()));
}
BENCHMARK(BM_raw_file_read)->Unit(benchmark::kMillisecond);

// And a memory scan of the same bytes for line ends, the least a line reader does.
void BM_raw_line_scan(benchmark::State& state)
{
    const std::string& text = generated_pack();
    for (auto _ : state) {
        size_t lines = 0;
        for (const char *p = text.data(), *end = p + text.size();
             (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_raw_line_scan)->Unit(benchmark::kMillisecond);

} // namespace

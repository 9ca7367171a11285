#include "map_fixture.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

#include "files/map_file.h"
#include "presentation/palette.h"

uint32_t colour_rgb(int index)
{
    const uint8_t* c = GAME_COLOUR_MAP + 3 * index;
    return (uint32_t{c[0]} << 16) | (uint32_t{c[1]} << 8) | c[2];
}

Map_contents test_map_contents()
{
    Map_contents m;
    m.map.num_levels = TEST_LEVELS;
    m.map.record_size = sizeof(Field_info);
    m.map.image_size = m.tile_info.image_size = TILE_W * TILE_H;
    for (int number : {1, 2, 3, -1, -2, -3, -4, -5}) {
        Field_info board{};
        board.number = static_cast<int16_t>(number);
        board.rows = LEVEL_ROWS;
        board.columns = LEVEL_COLS;
        board.start_sound = board.banked_sound = board.solved_sound = board.spare_sound = NO_SOUND;
        for (int i = 0; i < LEVEL_ROWS * LEVEL_COLS; ++i) {
            Field_cell& cell = board.cells[i];
            cell.tile = static_cast<uint16_t>((i / LEVEL_COLS + i % LEVEL_COLS + number + TEST_TILES) % TEST_TILES);
            cell.content = cell.floor = KIND_FLOOR;
        }
        board.player_x = 3;
        board.player_y = 2;
        m.boards.push_back(board);
    }
    m.tile_info.width = TILE_W;
    m.tile_info.height = TILE_H;
    m.tile_info.slots_14_to_27[0] = 5; // the player's standing tile
    for (int k = 0; k < TEST_TILES; ++k) {
        std::vector<uint8_t> image;
        for (int i = 0; i < TILE_W * TILE_H; ++i)
            image.push_back(image_pixel(k, i % TILE_W, i / TILE_W));
        m.images.push_back(image);
        m.tile_table.push_back(static_cast<uint16_t>(k));
    }
    m.fidget.sequence_count = 3;
    std::fill_n(&m.fidget.sequences[0][0], FIDGET_SEQUENCES * FIDGET_FRAMES, FIDGET_END);
    m.fidget.sequences[0][0] = 10, m.fidget.sequences[0][1] = 11;
    m.fidget.sequences[1][0] = 12;
    m.fidget.sequences[2][0] = 13, m.fidget.sequences[2][1] = 14;
    m.speech_info.num_samples = 6;
    for (int i = 0; i < 8; ++i)
        m.speech_info.ids_8_to_15[i] = static_cast<uint8_t>(i % 6);
    m.speech_items = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {0, 0}, {1, 6}};
    for (int k = 0; k < 6; ++k) {
        Map_sample s;
        s.rate = static_cast<uint16_t>(k == 5 ? 22050 : 11025);
        s.second_word = static_cast<uint16_t>(k);
        s.bits = k == 4 ? 16 : 8;
        for (int i = 0; i < 8 + 2 * k; ++i)
            s.data.push_back(static_cast<uint8_t>(i * 0x20 + k));
        m.samples.push_back(s);
    }
    m.cpyr = "Zandrek maps (c) Ostrovane";
    m.prog = "Program by Ostrovane";
    m.arts = "Pictures by Ostrovane";
    return m;
}

std::string temp_path(const std::string& stem)
{
    static std::atomic<int> counter{0};
    static const unsigned run = std::random_device{}();
    // The stem comes last, so that it may carry an extension.
    std::string name = "zandrek_" + std::to_string(run) + "_" + std::to_string(counter++) + "_" + stem;
    return (std::filesystem::temp_directory_path() / name).string();
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Map_test::TearDown()
{
    // An open file cannot be removed on every system.
    if (state.map_file) std::fclose(state.map_file);
    state.map_file = nullptr;
    if (!home_folder.empty()) std::filesystem::current_path(home_folder);
    std::error_code ignored;
    for (const std::string& p : paths)
        std::filesystem::remove_all(p, ignored);
}

void Map_test::enter_temp_folder()
{
    home_folder = std::filesystem::current_path();
    std::filesystem::create_directories(path("folder"));
    std::filesystem::current_path(paths.back());
}

int Map_test::read_bytes(const std::vector<uint8_t>& bytes)
{
    state.map_file_name = path("map");
    write_bytes(state.map_file_name, bytes);
    File_diagnostics diagnostics;
    int result = read_map_file(state, diagnostics);
    show_file_diagnostics(diagnostics); // as start-up shows them
    return result;
}

void Map_test::open_map(const Map_contents& contents, int magnify)
{
    ASSERT_EQ(read_bytes(write_map_bytes(contents)), 0);
    ASSERT_EQ(create_game_palette(state), 0);
    state.magnify = magnify;
    offscreen_reset(magnify);
}

uint32_t Map_test::pixel(int x, int y) const
{
    const Offscreen& o = offscreen();
    return o.pixels.at(static_cast<size_t>(y) * o.width + x);
}

std::vector<std::pair<int, int>> Map_test::blitted_cells() const
{
    std::vector<std::pair<int, int>> cells;
    int m = state.magnify;
    for (const Platform_call* c : offscreen_calls_of(CALL_BLIT))
        cells.emplace_back(static_cast<int>(c->a / (TILE_W * m)), static_cast<int>(c->b / (TILE_H * m)));
    return cells;
}

long open_descriptors()
{
#ifdef _WIN32
    return 0;
#else
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
#endif
}

#include "tools/tile_sheet.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "presentation/draw.h"
#include "presentation/palette.h"
#include "tools/authoring/tool_game.h"
#include "tools/png_writer.h"

namespace
{

constexpr int SHEET_COLUMNS = 20;
// One grey pixel between cells, so that dark tiles keep their edges.
constexpr uint32_t SHEET_GRID = 0x606060;

} // namespace

int render_tile_sheet(const char* map_path, const char* output, int magnify)
{
    Tool_game game;
    Game_state& state = game.state;
    if (open_tool_game(game, map_path) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", game.error.c_str());
        return 1;
    }
    create_game_palette(state);

    const int m = magnify;
    const int tw = state.tile_info.width, th = state.tile_info.height;
    const int count = static_cast<int>(state.tile_table.size());
    const int cell_w = tw * m + 1, cell_h = th * m + 1;
    const int width = SHEET_COLUMNS * cell_w + 1;
    const int height = ((count + SHEET_COLUMNS - 1) / SHEET_COLUMNS) * cell_h + 1;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), SHEET_GRID);
    std::vector<uint8_t> image(tile_buffer_bytes(state));
    for (int code = 0; code < count; ++code) {
        std::fill(image.begin(), image.end(), 0);
        read_tile_image(state, image.data(), image.size(), state.tile_table[static_cast<size_t>(code)]);
        const int left = (code % SHEET_COLUMNS) * cell_w + 1, top = (code / SHEET_COLUMNS) * cell_h + 1;
        for (int y = 0; y < th * m; ++y)
            for (int x = 0; x < tw * m; ++x) {
                uint8_t index = image[static_cast<size_t>((y / m) * tw + x / m)];
                const uint8_t* rgb = state.colour_map + 3 * (index < state.colour_count ? index : 0);
                pixels[static_cast<size_t>(top + y) * static_cast<size_t>(width) + static_cast<size_t>(left + x)] =
                    static_cast<uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
            }
    }
    std::string error;
    if (write_png_rgb(output, width, height, pixels.data(), error) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d tile codes, %d a row from code 0\n", output, count, SHEET_COLUMNS);
    return 0;
}

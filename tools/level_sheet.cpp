#include "tools/level_sheet.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "presentation/palette.h"
#include "shell/framebuffer/framebuffer_draw.h"
#include "shell/platform.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/tool_game.h"
#include "tools/png_writer.h"

namespace
{

constexpr int SHEET_GAP = 4;
constexpr uint32_t SHEET_BACKGROUND = 0x404040;
constexpr uint32_t SHEET_LABEL = 0xFFFFFF;

} // namespace

int render_level_sheet(const char* pack_path, const char* map_path, const char* output, int columns)
{
    Tool_game game;
    game.state.magnify = 1;
    if (open_tool_game(game, map_path) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", game.error.c_str());
        return 1;
    }
    create_game_palette(game.state);
    Pack_info* pack = load_tool_pack(game, pack_path);
    if (!pack || pack->num_levels < 1) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", pack ? "the pack has no levels" : game.error.c_str());
        return 1;
    }
    const Offscreen& screen = offscreen();
    const int w = screen.width, h = screen.height, count = pack->num_levels;
    const int cols = std::min(columns, count), rows = (count + cols - 1) / cols;
    const int sheet_w = cols * (w + SHEET_GAP) + SHEET_GAP, sheet_h = rows * (h + SHEET_GAP) + SHEET_GAP;
    std::vector<uint32_t> sheet(static_cast<size_t>(sheet_w) * sheet_h, SHEET_BACKGROUND);
    for (int n = 1; n <= count; ++n) {
        enter_tool_level(game, *pack, n);
        const std::string label = std::to_string(n);
        const int label_w = static_cast<int>(label.size()) * FRAMEBUFFER_FONT_ADVANCE + 3;
        platform_fill_black(0, 0, label_w, FRAMEBUFFER_FONT_ASCENT + 5);
        platform_text_out(2, FRAMEBUFFER_FONT_ASCENT + 2, label.c_str(), TEXT_LEFT, SHEET_LABEL);
        const int x0 = SHEET_GAP + ((n - 1) % cols) * (w + SHEET_GAP);
        const int y0 = SHEET_GAP + ((n - 1) / cols) * (h + SHEET_GAP);
        for (int y = 0; y < h; ++y)
            std::copy(&screen.pixels[static_cast<size_t>(y) * w], &screen.pixels[static_cast<size_t>(y) * w] + w,
                      &sheet[static_cast<size_t>(y0 + y) * sheet_w + x0]);
    }
    std::string error;
    if (write_png_rgb(output, sheet_w, sheet_h, sheet.data(), error) != 0) {
        std::fprintf(stderr, "zandrek-tool render: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d levels, %d x %d pixels\n", output, count, sheet_w, sheet_h);
    return 0;
}

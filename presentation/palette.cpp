#include "presentation/palette.h"

#include <algorithm>
#include <cstring>

#include "engine/game_state.h"

int create_game_palette(Game_state& state)
{
    Tile_dib& dib = state.draw.tile_dib;
    std::memset(&dib, 0, sizeof dib); // compression and image size stay 0: uncompressed, size from the sides
    // The colour table has room for no more than 256.
    int count = state.colour_map ? std::clamp(state.colour_count, 0, 256) : 0;
    dib.header.size = sizeof(Dib_header);
    dib.header.width = state.tile_info.width;
    dib.header.height = -state.tile_info.height; // rows top down
    dib.header.planes = 1;
    dib.header.bit_count = 8;
    dib.header.colours_used = static_cast<uint32_t>(count);
    dib.header.colours_important = static_cast<uint32_t>(count);
    for (int i = 0; i < count; ++i) {
        const uint8_t* rgb = state.colour_map + 3 * i;
        dib.colours[i] = Rgb_quad{rgb[2], rgb[1], rgb[0], 0};
    }
    if (count > 0) platform_create_palette(state.colour_map, count);
    return 0;
}

// What the game asks of the shipped map's pictures, animation and sounds:
// everything a board, the move rules, the idle animation or an occasion
// names must be there and usable.
#include <gtest/gtest.h>

#include <set>

#include "engine/game_state.h"
#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/sound.h"
#include "tools/authoring/map_description.h"

namespace
{

class Shipped_assets : public Map_test
{
};

TEST_F(Shipped_assets, EveryTileFrameAndSoundTheGameNamesIsThere)
{
    Map_contents m;
    std::string levels, error;
    ASSERT_EQ(read_map_description("assets/map/zandrek_map.txt", m, levels, error), 0) << error;
    ASSERT_EQ(read_bytes(write_map_bytes(m)), 0);

    const size_t images = state.imgs_length / static_cast<uint32_t>(state.map.image_size);
    auto has_image = [&](unsigned code) { return code < state.tile_table.size() && state.tile_table[code] < images; };
    const std::set<unsigned> pack_swapped = {1, 2, 4, 15, 16};

    // The player's images: tile 0 for a bad facing and seven slots, none of
    // them a code a pack level swaps for its own picture.
    EXPECT_TRUE(has_image(0));
    std::set<unsigned> player;
    for (int slot : {14, 15, 17, 20, 21, 23, 24}) {
        unsigned code = tile_info_slot(state.tile_info, slot);
        EXPECT_TRUE(has_image(code)) << "slot " << slot;
        EXPECT_FALSE(pack_swapped.count(code)) << "slot " << slot;
        player.insert(code);
    }
    EXPECT_EQ(player.size(), 7u);

    auto is_sample = [&](uint8_t id) {
        return id < state.speech_items.size() && (state.speech_items[id].flags & 1) &&
               state.speech_items[id].sample < state.samples.size();
    };
    std::set<uint16_t> treasure_images;
    for (int n = -5; n <= state.map.num_levels; ++n) {
        Field_info b;
        if (n == 0 || read_map_board(state, b, n) != 0) continue;
        for (const Field_cell& cell : b.cells)
            ASSERT_TRUE(has_image(cell.tile)) << "board " << n << " tile " << cell.tile;
        for (uint16_t code : b.kind_tiles)
            EXPECT_TRUE(has_image(code)) << "board " << n;
        // Every level and screen speaks when it is shown; the levels also
        // when a treasure is banked and when they are solved.
        EXPECT_TRUE(is_sample(b.start_sound)) << "board " << n;
        if (n > 0) {
            EXPECT_TRUE(is_sample(b.banked_sound) && is_sample(b.solved_sound)) << n;
            treasure_images.insert(state.tile_table[b.kind_tiles[KIND_TREASURE]]);
        }
        for (uint8_t id : {b.banked_sound, b.solved_sound})
            EXPECT_TRUE(id == NO_SOUND || is_sample(id)) << "board " << n;
    }
    // The level menus show each level by its treasure.
    EXPECT_GE(treasure_images.size(), 5u);

    // The help screen's key pictures, rows 7 to 14 left of the text.
    Field_info help;
    ASSERT_EQ(read_map_board(state, help, BOARD_HELP), 0);
    for (int row = 7; row <= 14; ++row) {
        std::set<uint16_t> tiles;
        for (int col = 0; col <= 4; ++col)
            tiles.insert(help.cells[row * LEVEL_COLS + col].tile);
        EXPECT_GT(tiles.size(), 1u) << "help row " << row;
    }

    for (int byte :
         {SPEECH_STEP, SPEECH_PUSH, SPEECH_CORNER, SPEECH_UNDO, SPEECH_LEAVE_TITLE, SPEECH_REFUSED, SPEECH_FIRST_LEVEL})
        EXPECT_TRUE(is_sample(speech_info_id(state.speech_info, byte))) << "Speech_info byte " << byte;

    // One rate and width for all, so the device is never reopened.
    ASSERT_FALSE(state.samples.empty());
    EXPECT_EQ(state.speech_info.num_samples, static_cast<int16_t>(state.samples.size()));
    for (Sample_info& s : state.samples) {
        ASSERT_EQ(load_sample(state, s), 0);
        EXPECT_GT(s.length, 0);
        EXPECT_TRUE(s.rate == 11025 || s.rate == 22050) << s.rate;
        EXPECT_EQ(s.rate, state.samples[0].rate);
        EXPECT_EQ(s.bits, state.samples[0].bits);
    }

    // Sequence 0, at least four idle sequences and the walk; no frame a pack swaps.
    ASSERT_GE(state.fidget.sequence_count, 6);
    ASSERT_LE(state.fidget.sequence_count, FIDGET_SEQUENCES);
    for (int s = 0; s < state.fidget.sequence_count; ++s) {
        EXPECT_NE(state.fidget.sequences[s][0], FIDGET_END) << "sequence " << s;
        for (int f = 0; f < FIDGET_FRAMES && state.fidget.sequences[s][f] != FIDGET_END; ++f) {
            unsigned code = state.fidget.sequences[s][f];
            EXPECT_TRUE(has_image(code) && !pack_swapped.count(code)) << "sequence " << s << " frame " << f;
        }
    }
}

} // namespace

// What ships: the map description builds a map the game reads, and every
// picture, frame and sound the game names is in it; the fifty built-in
// levels are solved by their stored solutions.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/pack_records.h"
#include "files/map_file.h"
#include "map_fixture.h"
#include "presentation/sound.h"
#include "tools/authoring/map_description.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/tool_game.h"

namespace
{

const char SHIPPED[] = "assets/map/zandrek_map.txt";

using Shipped_assets = Map_test;

TEST_F(Shipped_assets, TheMapHoldsEverythingTheGameNames)
{
    Map_contents m;
    std::string levels, error;
    ASSERT_EQ(read_map_description(SHIPPED, m, levels, error), 0) << error;
    ASSERT_EQ(read_bytes(write_map_bytes(m)), 0);
    EXPECT_TRUE(box_texts().empty());

    const size_t images = state.imgs_length / static_cast<uint32_t>(state.map.image_size);
    auto has_image = [&](unsigned code) { return code < state.tile_table.size() && state.tile_table[code] < images; };
    const std::set<unsigned> pack_swapped = {1, 2, 4, 15, 16};
    // The player's images: tile 0 for a bad facing and seven slots.
    std::set<unsigned> player = {0};
    for (int slot : {14, 15, 17, 20, 21, 23, 24})
        player.insert(tile_info_slot(state.tile_info, slot));
    EXPECT_EQ(player.size(), 8u);

    auto is_sample = [&](uint8_t id) {
        return id < state.speech_items.size() && (state.speech_items[id].flags & 1) &&
               state.speech_items[id].sample < state.samples.size();
    };
    for (int n = -5; n <= 50; ++n) {
        Field_info b;
        if (n == 0) continue;
        ASSERT_EQ(read_map_board(state, b, n), 0);
        for (const Field_cell& cell : b.cells)
            ASSERT_TRUE(has_image(cell.tile)) << "board " << n << " tile " << cell.tile;
        for (uint16_t code : b.kind_tiles)
            EXPECT_TRUE(has_image(code)) << "board " << n;
        // Every board speaks when shown; the levels also when a treasure is banked and when solved.
        EXPECT_TRUE(is_sample(b.start_sound)) << "board " << n;
        for (uint8_t id : {b.banked_sound, b.solved_sound})
            EXPECT_TRUE(is_sample(id) || (n < 0 && id == NO_SOUND)) << "board " << n;
        if (n < 0) continue;
        EXPECT_GT(b.treasures, 0);
        EXPECT_EQ(b.cells[b.start_y * LEVEL_COLS + b.start_x].content, KIND_PLAYER) << n;
    }

    for (int byte :
         {SPEECH_STEP, SPEECH_PUSH, SPEECH_CORNER, SPEECH_UNDO, SPEECH_LEAVE_TITLE, SPEECH_REFUSED, SPEECH_FIRST_LEVEL})
        EXPECT_TRUE(is_sample(speech_info_id(state.speech_info, byte))) << "Speech_info byte " << byte;

    // One rate and width for all, so the device is never reopened.
    EXPECT_EQ(state.speech_info.num_samples, static_cast<int16_t>(state.samples.size()));
    for (Sample_info& s : state.samples) {
        ASSERT_EQ(load_sample(state, s), 0);
        EXPECT_GT(s.length, 0);
        EXPECT_EQ(std::make_pair(s.rate, s.bits), std::make_pair(state.samples[0].rate, state.samples[0].bits));
    }
    EXPECT_TRUE(state.samples[0].rate == 11025 || state.samples[0].rate == 22050) << state.samples[0].rate;

    // Sequence 0, at least four idle sequences and the walk; none of the player's images a code a pack swaps.
    ASSERT_GE(state.fidget.sequence_count, 6);
    ASSERT_LE(state.fidget.sequence_count, FIDGET_SEQUENCES);
    for (int s = 0; s < state.fidget.sequence_count; ++s)
        for (int f = 0; f < FIDGET_FRAMES && (f == 0 || state.fidget.sequences[s][f] != FIDGET_END); ++f)
            player.insert(state.fidget.sequences[s][f]);
    for (unsigned code : player)
        EXPECT_TRUE(has_image(code) && !pack_swapped.count(code)) << code;
}

class Builtin_levels : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        pack = load_tool_pack(game, "assets/levels/builtin.zrp");
        ASSERT_TRUE(pack) << game.error;
        ASSERT_EQ(pack->num_levels, BUILTIN_LEVELS);
    }
    Tool_game game;
    Pack_info* pack = nullptr;
};

TEST_F(Builtin_levels, EachStoredSolutionSolvesItsLevelWithItsLastMove)
{
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(std::string("level ") + std::to_string(level->number) + " " + level->name);
        const Replay_outcome replay = replay_solution(game.state, *level, level->solution);
        EXPECT_EQ(std::make_tuple(level->has_solution, replay.solved, replay.moves),
                  std::make_tuple(true, true, static_cast<int>(level->solution.size())))
            << replay.problem;
    }
}

} // namespace

// The level author's game: the sample pack played through it, boards in the
// layout legend, playback that stops at the solving push, level numbers.
#include <gtest/gtest.h>

#include <string>

#include "tools/authoring/tool_game.h"

namespace
{

class Tool_play : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        pack = load_tool_pack(game, "assets/packs/lantern_docks.zrp");
        ASSERT_NE(pack, nullptr) << game.error;
    }
    std::string board(int number)
    {
        const Level_info* level = pack_level(*pack, number);
        int rows, cols;
        level_extent(*level, &rows, &cols);
        return board_legend_text(game.state.play_board, level, rows, cols);
    }
    Tool_game game;
    Pack_info* pack = nullptr;
};

TEST_F(Tool_play, SamplePackShipsWithSolutionsTilesAndSounds)
{
    EXPECT_STREQ(pack->name, "Lantern Docks");
    EXPECT_GE(pack->num_levels, 10);
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        ASSERT_TRUE(level->has_solution) << level->name;
        enter_tool_level(game, *pack, level->number);
        Playback_result r = play_moves(game.state, level->solution + "<<<<", false);
        EXPECT_TRUE(r.solved) << level->name;
        EXPECT_EQ(r.played, static_cast<int>(level->solution.size())) << level->name; // stops at the solving push
        EXPECT_EQ(game.state.mode, level->next ? MODE_SOLVED : MODE_ALL_DONE) << level->name;
        EXPECT_NE(resolve_tile(*pack, level->treasure_tile), nullptr) << level->name;
        EXPECT_NE(resolve_sound(*pack, level->start_sound), nullptr) << level->name;
    }
    enter_tool_level(game, *pack, 4);
    EXPECT_EQ(board(4), "###########\n#@--------#\n#-#-#####-#\n#--$--$---#\n###-#######\n  #.#\n  #.#\n  ###\n");
}

TEST_F(Tool_play, PlaybackWithAndWithoutCountsAndComments)
{
    enter_tool_level(game, *pack, 1);
    // x3 repeats, x0 drops, backquotes hide text, NSEW walk like the arrows.
    Playback_result r = play_moves(game.state, ">x3`>>>>`<x0 S W", true);
    EXPECT_FALSE(r.solved);
    EXPECT_EQ(r.played, 5);
    EXPECT_EQ(game.state.play_board.pushes, 3);
    EXPECT_EQ(board(1), "########\n#----$.#\n#-$@--.#\n########\n");
    play_moves(game.state, "u", true); // undo puts back the last push only
    EXPECT_EQ(board(1), "########\n#----$.#\n#--$@-.#\n########\n");
    play_moves(game.state, "r", true);
    EXPECT_EQ(board(1), "########\n#@-$--.#\n#--$--.#\n########\n");
    // Stored solutions know no counts: "x2" is two skipped characters.
    EXPECT_EQ(play_moves(game.state, ">x2", false).played, 1);
}

TEST_F(Tool_play, LevelNumbersAndFilesThatCannotBeRead)
{
    int n = 0;
    std::string error;
    EXPECT_EQ(parse_level_number("3", *pack, &n, error), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(parse_level_number("0", *pack, &n, error), -1);
    EXPECT_EQ(parse_level_number("13", *pack, &n, error), -1);
    EXPECT_EQ(error, "level 13 is out of range: the pack has 12 levels");
    EXPECT_EQ(parse_level_number("2x", *pack, &n, error), -1);
    EXPECT_EQ(error, "'2x' is not a level number");

    EXPECT_EQ(load_tool_pack(game, "assets/packs/no-such-pack.zrp"), nullptr);
    EXPECT_EQ(game.error, "assets/packs/no-such-pack.zrp: the file cannot be opened");
    Tool_game bad_map;
    EXPECT_EQ(open_tool_game(bad_map, "assets/packs/no-such.map"), -1);
    EXPECT_NE(bad_map.error.find("Can't open assets/packs/no-such.map for reading"), std::string::npos);
}

} // namespace

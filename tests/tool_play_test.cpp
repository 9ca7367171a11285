#include <gtest/gtest.h>

#include <string>

#include "tools/authoring/tool_game.h"

namespace
{

const char PACK[] = "assets/packs/lantern_docks.zrp";

class Tool_play : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        pack = load_tool_pack(game, PACK);
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
    int tiles = 0, sounds = 0;
    for (Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        tiles += !t->pixels.empty();
    for (Pack_sound* s = pack->sounds.get(); s; s = s->next.get())
        sounds += !s->samples.empty();
    EXPECT_GE(tiles, 1);
    EXPECT_GE(sounds, 1);
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        ASSERT_TRUE(level->has_solution) << level->name;
        enter_tool_level(game, *pack, level->number);
        Playback_result r = play_moves(game.state, level->solution, false);
        EXPECT_TRUE(r.solved) << level->name;
        EXPECT_EQ(r.played, static_cast<int>(level->solution.size())) << level->name;
        EXPECT_NE(resolve_tile(*pack, level->treasure_tile), nullptr) << level->name;
        EXPECT_NE(resolve_sound(*pack, level->start_sound), nullptr) << level->name;
    }
}

TEST_F(Tool_play, StartBoardInTheLegendWithCellsOfNoPlayAsSpaces)
{
    enter_tool_level(game, *pack, 4);
    EXPECT_EQ(board(4), "###########\n"
                        "#@--------#\n"
                        "#-#-#####-#\n"
                        "#--$--$---#\n"
                        "###-#######\n"
                        "  #.#\n"
                        "  #.#\n"
                        "  ###\n");
}

TEST_F(Tool_play, CountsCommentsAndPlaybackLetters)
{
    enter_tool_level(game, *pack, 1);
    // x3 repeats, x0 drops, backquotes hide text, NSEW walk like the arrows.
    Playback_result r = play_moves(game.state, ">x3`>>>>`<x0 S W", true);
    EXPECT_FALSE(r.solved);
    EXPECT_EQ(r.played, 5);
    EXPECT_EQ(game.state.play_board.moves, 5);
    EXPECT_EQ(game.state.play_board.pushes, 3);
    EXPECT_EQ(board(1), "########\n"
                        "#----$.#\n"
                        "#-$@--.#\n"
                        "########\n");
    play_moves(game.state, "u", true); // undo puts back the last push only
    EXPECT_EQ(board(1), "########\n"
                        "#----$.#\n"
                        "#--$@-.#\n"
                        "########\n");
    play_moves(game.state, "r", true);
    EXPECT_EQ(board(1), "########\n"
                        "#@-$--.#\n"
                        "#--$--.#\n"
                        "########\n");
}

TEST_F(Tool_play, PlaybackStopsAtTheSolvingPush)
{
    enter_tool_level(game, *pack, 1);
    Playback_result r = play_moves(game.state, std::string(pack->levels->solution) + "<<<<", false);
    EXPECT_TRUE(r.solved);
    EXPECT_EQ(r.played, static_cast<int>(pack->levels->solution.size()));
    EXPECT_EQ(game.state.mode, MODE_SOLVED);
    EXPECT_EQ(board(1), "########\n"
                        "#-----*#\n"
                        "#----@*#\n"
                        "########\n");
    // Stored solutions know no counts: "x2" is two skipped characters.
    enter_tool_level(game, *pack, 1);
    EXPECT_EQ(play_moves(game.state, ">x2", false).played, 1);
}

TEST_F(Tool_play, LevelNumbersAreCheckedByTheTool)
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
}

TEST(Tool_game, PackReadFailuresComeBackAsOneLine)
{
    Tool_game game;
    ASSERT_EQ(open_tool_game(game), 0);
    EXPECT_EQ(load_tool_pack(game, "assets/packs/no-such-pack.zrp"), nullptr);
    EXPECT_EQ(game.error, "assets/packs/no-such-pack.zrp: the file cannot be opened");
    EXPECT_EQ(game.state.packs, nullptr);

    Tool_game bad_map;
    EXPECT_EQ(open_tool_game(bad_map, "assets/packs/no-such.map"), -1);
    EXPECT_NE(bad_map.error.find("Can't open assets/packs/no-such.map for reading"), std::string::npos);
}

} // namespace

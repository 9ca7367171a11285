#include <gtest/gtest.h>

#include "files/pack_records.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/tool_game.h"

namespace
{

int count_of(const std::vector<std::string>& rows, const std::string& chars)
{
    int n = 0;
    for (const std::string& r : rows)
        for (char c : r)
            n += chars.find(c) != std::string::npos;
    return n;
}

// Every cell the player or a treasure could ever stand on, from the start:
// none of them may be a space or lie on the board's edge.
bool walls_closed(const std::vector<std::string>& rows)
{
    std::vector<std::string> g = rows;
    g.resize(LEVEL_ROWS);
    for (std::string& r : g)
        r.resize(LEVEL_COLS, ' ');
    std::vector<std::pair<int, int>> stack;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        for (int c = 0; c < LEVEL_COLS; ++c)
            if (g[r][c] == '@' || g[r][c] == '+') stack.emplace_back(r, c);
    while (!stack.empty()) {
        auto [r, c] = stack.back();
        stack.pop_back();
        if (r < 0 || c < 0 || r >= LEVEL_ROWS || c >= LEVEL_COLS || g[r][c] == ' ') return false;
        if (g[r][c] == '#' || g[r][c] == 'x') continue;
        g[r][c] = 'x';
        stack.insert(stack.end(), {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}});
    }
    return true;
}

class Generator : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }
    Tool_game game;
};

// No wall stands alone inside the room: each has a wall beside it.
bool no_wall_specks(const std::vector<std::string>& rows)
{
    auto wall = [&](size_t r, size_t c) { return r < rows.size() && c < rows[r].size() && rows[r][c] == '#'; };
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            if (wall(r, c) && !wall(r - 1, c) && !wall(r + 1, c) && !wall(r, c - 1) && !wall(r, c + 1)) return false;
    return true;
}

TEST_F(Generator, LevelsAreBuiltClosedRepeatableAndSolvedByTheGame)
{
    Generate_options o;
    o.rows = 9;
    o.cols = 10;
    o.treasures = 3;
    o.seed = 7;
    o.candidates = 3;
    o.min_pushes = 6;
    o.max_pushes = 60;
    std::vector<Generated_level> levels = generate_levels(game.state, o, 2);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_NE(canonical_shape(levels[0].rows), canonical_shape(levels[1].rows));
    for (const Generated_level& g : levels) {
        ASSERT_EQ(g.rows.size(), static_cast<size_t>(LEVEL_ROWS));
        for (const std::string& r : g.rows)
            EXPECT_LE(r.size(), static_cast<size_t>(LEVEL_COLS));
        EXPECT_EQ(count_of(g.rows, "@+"), 1);
        EXPECT_EQ(count_of(g.rows, "$*"), 3);
        EXPECT_GE(count_of(g.rows, ".*+"), 3);
        EXPECT_TRUE(walls_closed(g.rows));
        EXPECT_TRUE(no_wall_specks(g.rows)) << ::testing::PrintToString(g.rows);
        EXPECT_GE(g.solution.pushes, o.min_pushes);
        EXPECT_LE(g.solution.pushes, o.max_pushes);
        EXPECT_GT(g.difficulty, 0);
        EXPECT_LE(g.fewest_moves, g.solution.move_count);

        auto pack = pack_of_level(Authored_level{"g", g.rows, g.solution.moves, {}, {}});
        ASSERT_TRUE(pack);
        Replay_outcome replay = replay_solution(game.state, *pack->levels, pack->levels->solution);
        EXPECT_TRUE(replay.solved) << replay.problem;
        EXPECT_EQ(replay.pushes, g.solution.pushes);
    }
    std::vector<Generated_level> again = generate_levels(game.state, o, 1);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].rows, levels[0].rows);
    EXPECT_EQ(again[0].solution.moves, levels[0].solution.moves);
}

TEST_F(Generator, FinishedLayoutsAreWalledAndCentred)
{
    std::vector<std::string> rows = finish_layout({"@$.", " --"});
    ASSERT_EQ(rows.size(), static_cast<size_t>(LEVEL_ROWS));
    EXPECT_TRUE(walls_closed(rows));
    // Five wide and four high: seven columns and six rows to the left and above.
    EXPECT_EQ(rows[5], std::string(20, ' '));
    EXPECT_EQ(rows[6], "       #####        ");
    EXPECT_EQ(rows[7], "       #@$.#        ");
    EXPECT_EQ(rows[8], "       ##--#        ");
    EXPECT_EQ(rows[9], "        ####        ");
}

TEST_F(Generator, ShapesMatchUpToTurnsAndMirrors)
{
    std::vector<std::string> a = {"#####", "#@$.#", "#---#", "#####"};
    std::vector<std::string> turned = {"####", "#--#", "#$-#", "#.-#", "####"};
    std::vector<std::string> mirrored = {"  #####", "  #.$@#", "  #---#", "  #####"};
    std::vector<std::string> other = {"#####", "#@.$#", "#---#", "#####"};
    EXPECT_EQ(canonical_shape(a), canonical_shape(mirrored));
    EXPECT_NE(canonical_shape(a), canonical_shape(other));
    // The player's start is not part of the shape.
    turned[1][1] = '@';
    EXPECT_EQ(canonical_shape(a), canonical_shape(turned));
}

} // namespace

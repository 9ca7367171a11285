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

TEST_F(Generator, LevelsAreClosedSolvedByTheGameAndHoldWhatWasAsked)
{
    Generate_options o;
    o.rows = 8;
    o.cols = 9;
    o.treasures = 2;
    o.seed = 7;
    o.candidates = 6;
    std::vector<Generated_level> levels = generate_levels(game.state, o, 3);
    ASSERT_EQ(levels.size(), 3u);
    for (const Generated_level& g : levels) {
        ASSERT_EQ(g.rows.size(), static_cast<size_t>(LEVEL_ROWS));
        for (const std::string& r : g.rows)
            EXPECT_LE(r.size(), static_cast<size_t>(LEVEL_COLS));
        EXPECT_EQ(count_of(g.rows, "@+"), 1);
        EXPECT_EQ(count_of(g.rows, "$*"), 2);
        EXPECT_GE(count_of(g.rows, ".*+"), 2);
        EXPECT_TRUE(walls_closed(g.rows));
        EXPECT_GT(g.difficulty, 0);
        EXPECT_LE(g.fewest_moves, g.solution.move_count);

        auto pack = pack_of_level(Authored_level{"g", g.rows, g.solution.moves, {}, {}});
        ASSERT_TRUE(pack);
        Replay_outcome replay = replay_solution(game.state, *pack->levels, pack->levels->solution);
        EXPECT_TRUE(replay.solved) << replay.problem;
        EXPECT_EQ(replay.pushes, g.solution.pushes);
    }
}

TEST_F(Generator, TheSameSeedGivesTheSameLevels)
{
    Generate_options o;
    o.rows = 7;
    o.cols = 8;
    o.treasures = 1;
    o.candidates = 4;
    o.seed = 3;
    auto a = generate_levels(game.state, o, 2);
    auto b = generate_levels(game.state, o, 2);
    o.seed = 4;
    auto c = generate_levels(game.state, o, 2);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(b.size(), 2u);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(a[0].rows, b[0].rows);
    EXPECT_EQ(a[1].solution.moves, b[1].solution.moves);
    EXPECT_NE(a[0].rows, c[0].rows);
    EXPECT_NE(canonical_shape(a[0].rows), canonical_shape(a[1].rows));
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

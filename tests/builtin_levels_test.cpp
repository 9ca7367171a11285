// The fifty built-in levels as shipped: every stored solution is played
// through the game and must solve its level with its very last move.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "files/pack_records.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/tool_game.h"

namespace
{

const char BUILTIN_PACK[] = "assets/levels/builtin.zrp";

std::vector<std::string> layout_rows(const Level_info& level)
{
    std::vector<std::string> rows;
    for (int r = 0; r < LEVEL_ROWS; ++r)
        rows.emplace_back(level.layout[r], LEVEL_COLS);
    return rows;
}

class Builtin_levels : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        pack = load_tool_pack(game, BUILTIN_PACK);
        ASSERT_TRUE(pack) << game.error;
    }
    Tool_game game;
    Pack_info* pack = nullptr;
};

TEST_F(Builtin_levels, EveryStoredSolutionSolvesItsLevelThroughTheGame)
{
    ASSERT_EQ(pack->num_levels, BUILTIN_LEVELS);
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(std::string("level ") + std::to_string(level->number) + " " + level->name);
        ASSERT_TRUE(level->has_solution);
        EXPECT_EQ(level->solution.find_first_not_of("<>^v"), std::string::npos);
        Replay_outcome replay = replay_solution(game.state, *level, level->solution);
        EXPECT_TRUE(replay.solved) << replay.problem;
        EXPECT_EQ(replay.moves, static_cast<int>(level->solution.size()));
    }
}

TEST_F(Builtin_levels, LevelsAreWellFormedAndAllDifferent)
{
    std::set<std::string> shapes;
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(std::string("level ") + std::to_string(level->number));
        std::vector<std::string> rows = layout_rows(*level);
        int starts = 0, banks = 0;
        for (const std::string& r : rows)
            for (char c : r) {
                starts += c == '@' || c == '+';
                banks += c == '.' || c == '*' || c == '+';
            }
        EXPECT_EQ(starts, 1);
        // Beginner, Intermediate and Advanced hold 1-3, 3-6 and 6-12 treasures.
        const int fewest = level->number <= 10 ? 1 : level->number <= 30 ? 3 : 6;
        const int most = level->number <= 10 ? 3 : level->number <= 30 ? 6 : 12;
        EXPECT_GE(level->num_treasures, fewest);
        EXPECT_LE(level->num_treasures, most);
        EXPECT_GE(banks, level->num_treasures);
        EXPECT_STRNE(level->name, "Untitiled");
        // Closed walls: no cell of play lies on the board's edge or beside a
        // cell of no play, diagonals included.
        for (int r = 0; r < LEVEL_ROWS; ++r)
            for (int c = 0; c < LEVEL_COLS; ++c) {
                if (rows[r][c] == ' ' || rows[r][c] == '#') continue;
                for (int dr = -1; dr <= 1; ++dr)
                    for (int dc = -1; dc <= 1; ++dc) {
                        int rr = r + dr, cc = c + dc;
                        bool inside = rr >= 0 && cc >= 0 && rr < LEVEL_ROWS && cc < LEVEL_COLS;
                        EXPECT_TRUE(inside && rows[rr][cc] != ' ') << "open at row " << r << " column " << c;
                    }
            }
        EXPECT_TRUE(shapes.insert(canonical_shape(rows)).second) << "same as an earlier level up to symmetry";
    }
}

// Each level's "Difficulty:" remark (which the reader skips) must not fall
// from one level to the next: the set gets harder from Beginner to Advanced.
TEST_F(Builtin_levels, DifficultyNeverFallsFromOneLevelToTheNext)
{
    std::ifstream in(BUILTIN_PACK, std::ios::binary);
    std::string line;
    std::vector<int> scores;
    while (std::getline(in, line))
        if (line.rfind("Difficulty: ", 0) == 0) scores.push_back(std::atoi(line.c_str() + 12));
    ASSERT_EQ(scores.size(), static_cast<size_t>(BUILTIN_LEVELS));
    for (size_t i = 1; i < scores.size(); ++i)
        EXPECT_LE(scores[i - 1], scores[i]) << "level " << i + 1;
    EXPECT_LT(scores[9], scores[29]);
    EXPECT_LT(scores[29], scores[49]);
}

TEST_F(Builtin_levels, TheFirstLevelTeachesThePushInAFewMoves)
{
    const Level_info& first = *pack->levels;
    EXPECT_EQ(first.num_treasures, 1);
    EXPECT_LE(first.solution.size(), 6u);
}

} // namespace

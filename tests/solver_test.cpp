// The level author's tools: the solver, optimal by each goal and saying so
// when there is none; the generator's levels; the play command's replay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>

#include "engine/pack_records.h"
#include "tests/bfs_reference.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/solver.h"
#include "tools/authoring/tool_game.h"

namespace
{

// Rows written on one line, split at each '|'.
std::vector<std::string> split_rows(const char* text)
{
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string row; std::getline(in, row, '|');)
        rows.push_back(row);
    return rows;
}

Puzzle puzzle_of(const std::vector<std::string>& rows)
{
    Puzzle p;
    EXPECT_EQ(puzzle_from_rows(rows, p), 0);
    return p;
}

class Authoring : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }
    Tool_game game;
};

TEST_F(Authoring, SolverWorkedCasesAndOneUnsolvableCasePerRule)
{
    const char* const two = "########|#@$-.--#|#--$-.-#|########";
    const struct {
        Solve_goal goal;
        int pushes, moves; // -1 pushes: none; 0 moves: not checked
        const char *rows, *what;
    } cases[] = {
        {SOLVE_PUSHES, 2, 3, "#######|#@-$-.#|#######", "straight corridor"},
        {SOLVE_PUSHES, 4, 0, two, "two treasures, any order"},
        {SOLVE_MOVES, 4, 6, two, "upper treasure first walks least"},
        {SOLVE_PUSHES_THEN_MOVES, 4, 6, two, "fewest steps among fewest pushes"},
        {SOLVE_MOVES, 4, 7, "#######|#@----#|#-$---#|#-----#|#---.-#|#######", "right, then round to push down"},
        {SOLVE_PUSHES, 1, 1, "######|#@*.-#|######", "a banked start still needs a push"},
        {SOLVE_PUSHES, 3, 0, "########|#--#---#|#-$--$-#|#.-@-.-#|########", "the long way round a freezing push"},
        {SOLVE_PUSHES, -1, 0, "####|#@*#|####", "banked and walled in"},
        {SOLVE_PUSHES, -1, 0, "#####|#$-.#|#-@-#|#####", "dead cell: a corner"},
        {SOLVE_PUSHES, -1, 0, "#######|#--$--#|#-----#|#-@--.#|#######", "dead cell: along a wall with no bank"},
        {SOLVE_PUSHES, -1, 0, "#########|#---#---#|#---$$--#|#-@--#--#|#.----.-#|#########", "freeze: a pair"},
        {SOLVE_PUSHES, -1, 0, "#########|#.--$-$@#|#-------#|###-#####|###--.###|#########", "one bank reachable"},
        {SOLVE_PUSHES, -1, 0, "#######|#-----#|#-$$@.#|#-----#|#######", "more treasures than banks"},
        {SOLVE_PUSHES, -1, 0, "#####|#@-.#|#####", "no treasure: no push can ever happen"},
        {SOLVE_ANY, 2, 0, "#######|#@-$-.#|#######", "any solution: the corridor"},
        {SOLVE_ANY, 8, 0, "######|#----#|#-$@-#|##-###|##-###|##-###|##-###|##-###|##-###|##-###|##.###|######",
         "any solution: down a long tunnel in one go"},
        {SOLVE_ANY, -1, 0, "#######|#--$--#|#-----#|#-@--.#|#######", "any solution: none, proven"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> rows = split_rows(c.rows);
        Puzzle puzzle = puzzle_of(rows);
        Solve_options options;
        options.goal = c.goal;
        Solve_result r = solve_puzzle(puzzle, options);
        EXPECT_EQ(r.status, c.pushes < 0 ? SOLVE_NONE : SOLVE_FOUND);
        // Each rule proves there is none without a long search.
        EXPECT_TRUE(c.pushes < 0 ? r.expanded < 200 : r.pushes == c.pushes) << r.expanded << " " << r.pushes;
        EXPECT_TRUE(c.moves == 0 || r.move_count == c.moves) << r.move_count;
        if (r.status != SOLVE_FOUND) continue;
        // Whatever was found plays through the game.
        auto pack = pack_of_level(Authored_level{"test", rows, "", {}, {}});
        Replay_outcome replay = replay_solution(game.state, *pack->levels, r.moves);
        EXPECT_TRUE(replay.solved) << replay.problem << " moves " << r.moves;
        EXPECT_EQ(replay.pushes * 1000 + replay.moves, r.pushes * 1000 + r.move_count);
    }
}

// Each row is a deadlock only the named rule sees from the start: the
// search ends after looking at the start alone, where the rule is off it
// looks further, and the plain breadth-first search agrees there is none.
TEST(AuthoringSolverPruning, EachRuleEndsItsDeadlockAtTheStart)
{
    const struct {
        const char *rows, *rule;
    } cases[] = {
        // The player stands between the treasure and the only bank.
        {"########|#.@$---#|########", "reach: the only side the player can push from"},
        // Two treasures on a diagonal fence two corners; each push out
        // needs the player inside, each push in lands in a corner.
        {"#########|###-----#|##-$--$-#|#-$-#-@-#|#--##-..#|#------.#|#########", "corral: a closed diagonal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<std::string> rows = split_rows(c.rows);
        Puzzle puzzle = puzzle_of(rows);
        Solve_options options;
        options.any_first_share = 0;
        Solve_result r = solve_puzzle(puzzle, options);
        EXPECT_EQ(r.status, SOLVE_NONE);
        EXPECT_LE(r.expanded, 1u);
        EXPECT_EQ(bfs_fewest_pushes(rows).pushes, -1);
    }
}

TEST(AuthoringSolverPruning, WithoutTheCorralRuleTheClosedDiagonalTakesASearch)
{
    Puzzle puzzle = puzzle_of(split_rows("#########|###-----#|##-$--$-#|#-$-#-@-#|#--##-..#|#------.#|#########"));
    Solve_options options;
    options.any_first_share = 0;
    options.corrals = false;
    Solve_result r = solve_puzzle(puzzle, options);
    EXPECT_EQ(r.status, SOLVE_NONE);
    EXPECT_GT(r.expanded, 1u);
}

// The diagonal of the corral case closes when the lower treasure is pushed
// up, wherever the third treasure stands. Once the search has found that
// fence dead, each later push that closes it again is cut before it is
// stored; the step goal, which keeps the player's cell, meets it often.
TEST(AuthoringSolverPruning, ALearnedDeadFenceIsCutWhenItFormsAgain)
{
    const char* level = "#########|###-----#|##-$--$-#|#---#-@-#|#-$##-..#|#------.#|#########";
    Puzzle puzzle = puzzle_of(split_rows(level));
    Solve_options options;
    options.goal = SOLVE_MOVES;
    options.any_first_share = 0;
    Solve_result r = solve_puzzle(puzzle, options);
    EXPECT_GT(r.pattern_cuts, 0u);
    EXPECT_EQ(r.status, SOLVE_FOUND);
    EXPECT_EQ(bfs_fewest_pushes(split_rows(level)).pushes, 14);
}

// Random small rooms: what plain breadth-first search settles, the optimal
// mode matches push for push and the fast mode answers the same way.
TEST(AuthoringSolverPruning, RandomRoomsAgreeWithPlainBreadthFirstSearch)
{
    std::mt19937 rng(2026);
    int compared = 0, solvable = 0;
    for (int round = 0; round < 400; ++round) {
        const int rows_n = 5 + static_cast<int>(rng() % 3), cols_n = 6 + static_cast<int>(rng() % 3);
        std::vector<std::string> rows(rows_n, std::string(cols_n, '#'));
        for (int r = 1; r < rows_n - 1; ++r)
            for (int c = 1; c < cols_n - 1; ++c)
                rows[r][c] = rng() % 6 == 0 ? '#' : '-';
        const int treasures = 1 + static_cast<int>(rng() % 3);
        auto place = [&](const char* over, char what) {
            for (int tries = 0; tries < 100; ++tries) {
                int r = 1 + static_cast<int>(rng() % (rows_n - 2)), c = 1 + static_cast<int>(rng() % (cols_n - 2));
                if (!std::strchr(over, rows[r][c])) continue;
                rows[r][c] = what;
                return;
            }
        };
        for (int i = 0; i < treasures; ++i)
            place("-", '.');
        for (int i = 0; i < treasures; ++i)
            rng() % 4 == 0 ? place(".", '*') : place("-", '$');
        place("-", '@');
        Bfs_answer truth = bfs_fewest_pushes(rows, 20000);
        if (!truth.settled) continue;
        Puzzle puzzle;
        if (puzzle_from_rows(rows, puzzle) != 0) continue;
        ++compared;
        solvable += truth.pushes >= 0;
        std::string shown;
        for (const std::string& r : rows)
            shown += r + "\n";
        Solve_result optimal = solve_puzzle(puzzle);
        EXPECT_EQ(optimal.status, truth.pushes >= 0 ? SOLVE_FOUND : SOLVE_NONE) << shown;
        EXPECT_EQ(optimal.status == SOLVE_FOUND ? optimal.pushes : -1, truth.pushes) << shown;
        Solve_options any;
        any.goal = SOLVE_ANY;
        Solve_result fast = solve_puzzle(puzzle, any);
        EXPECT_EQ(fast.status, truth.pushes >= 0 ? SOLVE_FOUND : SOLVE_NONE) << shown;
        EXPECT_TRUE(fast.status != SOLVE_FOUND || fast.pushes >= truth.pushes) << shown;
    }
    // Enough of both answers to mean something.
    EXPECT_GT(compared, 300);
    EXPECT_GT(solvable, 50);
    EXPECT_GT(compared - solvable, 50);
}

TEST(AuthoringSolverAnswers, AnOptimalSearchStoppedAfterASolutionSaysItIsNotProven)
{
    Puzzle puzzle = puzzle_of({"       #########", "       #-------#", "    ####-----$-#", "    #..#-----$-#",
                               "    #...-------#", "    #-..----$$@#", "    #-.---$----#", "    #--#-----$-#",
                               "    ####----$$-#", "       #-------#", "       #########"});
    Solve_options options;
    options.max_states = 40000;
    options.any_first_share = 0.5;
    Solve_result r = solve_puzzle(puzzle, options);
    EXPECT_EQ(r.status, SOLVE_UNPROVEN);
    EXPECT_GE(r.pushes, 67); // the optimum
    options.goal = SOLVE_ANY;
    options.max_states = 50;
    EXPECT_EQ(solve_puzzle(puzzle, options).status, SOLVE_GAVE_UP);
}

TEST_F(Authoring, GeneratedLevelsAreRepeatableAndSolvedByTheGame)
{
    Generate_options o;
    o.rows = 9, o.cols = 10, o.treasures = 3, o.seed = 7, o.candidates = 3, o.min_pushes = 6, o.max_pushes = 60;
    std::vector<Generated_level> levels = generate_levels(game.state, o, 2);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_NE(levels[0].rows, levels[1].rows);
    for (const Generated_level& g : levels) {
        ASSERT_EQ(g.rows.size(), static_cast<size_t>(LEVEL_ROWS));
        std::string all;
        for (const std::string& r : g.rows)
            all += r;
        auto count = [&](const char* of) {
            return std::count_if(all.begin(), all.end(), [&](char ch) { return std::strchr(of, ch) && ch; });
        };
        EXPECT_TRUE(count("@+") == 1 && count("$*") == 3 && count(".*+") >= 3) << all;
        EXPECT_TRUE(g.solution.pushes >= o.min_pushes && g.solution.pushes <= o.max_pushes) << g.solution.pushes;
        EXPECT_TRUE(g.difficulty > 0 && g.fewest_moves <= g.solution.move_count);
        auto pack = pack_of_level(Authored_level{"g", g.rows, g.solution.moves, {}, {}});
        Replay_outcome replay = replay_solution(game.state, *pack->levels, pack->levels->solution);
        EXPECT_TRUE(replay.solved) << replay.problem;
        EXPECT_EQ(replay.pushes, g.solution.pushes);
    }
    EXPECT_EQ(generate_levels(game.state, o, 1).at(0).rows, levels[0].rows);
}

TEST_F(Authoring, ThePlayCommandReplaysTheSamplePackToTheLastPush)
{
    Pack_info* pack = load_tool_pack(game, "assets/packs/lantern_docks.zrp");
    ASSERT_NE(pack, nullptr) << game.error;
    EXPECT_EQ(pack->num_levels, 12);
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(level->name);
        ASSERT_TRUE(level->has_solution);
        enter_tool_level(game, *pack, level->number);
        Playback_result r = play_moves(game.state, level->solution + "<<<<", false);
        // Playback stops at the solving push.
        EXPECT_TRUE(r.solved && r.played == static_cast<int>(level->solution.size()));
        EXPECT_EQ(game.state.mode, level->next ? MODE_SOLVED : MODE_ALL_DONE);
        EXPECT_TRUE(resolve_tile(*pack, level->treasure_tile) && resolve_sound(*pack, level->start_sound));
    }
}

} // namespace

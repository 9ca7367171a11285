// The solver, optimal by each goal and saying so when there is none or when a
// limit stopped it; the generator's levels; the play command's replay.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tests/bfs_reference.h"
#include "tests/map_fixture.h"
#include "tools/authoring/generator.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solution_replay.h"
#include "tools/authoring/solver.h"
#include "tools/authoring/tested_solution.h"
#include "tools/authoring/tool_game.h"

namespace
{

using testing::FieldsAre;

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

Solve_options with_goal(Solve_goal goal)
{
    Solve_options options;
    options.goal = goal;
    return options;
}

class Authoring : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(open_tool_game(game), 0) << game.error; }
    Tool_game game;
};

// Two treasures on a diagonal fence two dead corner cells off from the player.
const char DIAGONAL_FENCE[] = "#########|###-----#|##-$--$-#|#-$-#-@-#|#--##-..#|#------.#|#########";

const char TWO[] = "########|#@$-.--#|#--$-.-#|########";
const struct Solvable {
    const char* what;
    Solve_goal goal;
    const char* rows;
    int pushes, moves;
} SOLVABLE[] = {
    {"straight corridor", SOLVE_PUSHES, "#######|#@-$-.#|#######", 2, 3},
    {"a treasure shuts Zandrek off from the bank", SOLVE_PUSHES, "#####|#.$@#|#####", 1, 1},
    {"the grid's first cell is a floor cell like any other", SOLVE_PUSHES, ".$@", 1, 1},
    {"upper treasure first walks least", SOLVE_MOVES, TWO, 4, 6},
    {"fewest steps among fewest pushes", SOLVE_PUSHES_THEN_MOVES, TWO, 4, 6},
    {"right, then round to push down", SOLVE_MOVES, "#######|#@----#|#-$---#|#-----#|#---.-#|#######", 4, 7},
    {"a banked start still needs a push", SOLVE_PUSHES, "######|#@*.-#|######", 1, 1},
    {"pushed off a fence beside a banked treasure", SOLVE_PUSHES_THEN_MOVES,
     "########|#---#--#|#--#---#|##-#---#|#.-$-*-#|#@-----#|########", 2, 6},
    {"the long way round a freezing push", SOLVE_PUSHES_THEN_MOVES, "########|#--#---#|#-$--$-#|#.-@-.-#|########", 3,
     11},
};

TEST(AuthoringPuzzle, ARoomWithoutOneStartIsRefused)
{
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"#####", "#-$.#", "#####"}, "the level has no start"},
        {{"#####", "#@$+#", "#####"}, "the level has 2 starts; it must have one"},
    };
    for (const auto& [room, why] : rows) {
        Puzzle p;
        std::string error;
        EXPECT_EQ(puzzle_from_rows(room, p, &error), -1) << why;
        EXPECT_EQ(error, why);
    }
}

// The template map a tool game writes goes with it, and no file stays open.
TEST(AuthoringGame, AnEndedToolGameLeavesNoFileBehind)
{
    const long before = open_descriptors();
    std::string template_map;
    {
        Tool_game game;
        ASSERT_EQ(open_tool_game(game), 0) << game.error;
        template_map = game.template_map;
    }
    EXPECT_THAT(
        std::make_tuple(template_map.empty(), std::filesystem::exists(template_map), open_descriptors() - before),
        FieldsAre(false, false, 0));
}

// Without a start the game puts the player on the grid's first cell, when it is floor.
TEST(AuthoringPuzzle, TheFirstCellIsTheDefaultStart)
{
    Puzzle p;
    EXPECT_EQ(puzzle_from_rows({"-$.#"}, p), 0);
    EXPECT_EQ(p.player, 0);
}

// A puzzle read again holds the second level alone.
TEST(AuthoringPuzzle, AReadReplacesWhatThePuzzleHeld)
{
    Puzzle p;
    ASSERT_EQ(puzzle_from_rows({"#####", "#@$.#", "#####"}, p), 0);
    ASSERT_EQ(puzzle_from_rows({"######", "#@-$.#", "######"}, p), 0);
    EXPECT_THAT(p.treasures, testing::ElementsAre(LEVEL_COLS + 3));
}

// Rows longer than the grid's 20 cells and rows after its 16th are left off,
// the starts on them too.
TEST(AuthoringPuzzle, WhatLiesOffTheGridIsLeftOff)
{
    std::vector<std::string> rows(LEVEL_ROWS, std::string(LEVEL_COLS, '#') + "@");
    rows[1].replace(0, 5, "#@$.#");
    rows.push_back("@");
    Puzzle p;
    std::string error;
    EXPECT_EQ(puzzle_from_rows(rows, p, &error), 0) << error;
    EXPECT_EQ(p.player, LEVEL_COLS + 1);
}

// A pack level keeps the last start in reading order; that one must be on floor.
TEST(AuthoringPuzzle, ALevelsStartMustBeOnTheFloor)
{
    Level_info level;
    std::memset(level.layout, '#', sizeof level.layout);
    std::memcpy(level.layout[1], "#@$.#", 5);
    Puzzle p;
    std::string error;
    level.start_x = 1;
    level.start_y = 1;
    EXPECT_EQ(puzzle_from_level(level, p, &error), 0) << error;
    level.start_x = 0;
    EXPECT_EQ(puzzle_from_level(level, p, &error), -1);
    EXPECT_EQ(error, "the start is not on a floor cell");
}

TEST(AuthoringSolver, FindsTheOptimumOfEachGoal)
{
    for (const Solvable& c : SOLVABLE) {
        SCOPED_TRACE(c.what);
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(c.rows)), with_goal(c.goal));
        EXPECT_THAT(std::make_tuple(r.status, r.pushes, r.move_count), FieldsAre(SOLVE_FOUND, c.pushes, c.moves));
    }
}

// The four-way freeze: two banked treasures fixed in corners and one between
// them that every push leans on a wall and on one of the banked two. Each
// cell it can reach is live alone, the free floor is all within reach and
// the bound stays finite, so only the freeze rule sees the deadlock.
const char FREEZE_EVERY_PUSH[] = "#######|#*---.#|#-$-#-#|#-@*#-#|#-###-#|#.----#|#######";

// Each rule proves there is none at once: every row is a deadlock the named
// rule sees from the start, so the search ends after looking at the start
// alone (or before, when the start's bound is already infinite).
TEST(AuthoringSolver, EachRuleProvesAnUnsolvableLevelQuickly)
{
    const struct {
        const char* what;
        Solve_goal goal;
        const char* rows;
    } cases[] = {
        // The start is expanded and has no push.
        {"banked and walled in", SOLVE_PUSHES, "####|#@*#|####"},
        // A treasure on a dead cell has no bank: the start's bound is infinite.
        {"dead cell: a corner", SOLVE_PUSHES, "#####|#$-.#|#-@-#|#####"},
        {"dead cell: along a wall with no bank", SOLVE_PUSHES, "#######|#--$--#|#-----#|#-@--.#|#######"},
        // The start is expanded; all four pushes of the middle one freeze.
        {"freeze: every push", SOLVE_PUSHES, FREEZE_EVERY_PUSH},
        // Each treasure of the pair is the other's pushing side: no push.
        {"no push: a pair holding each other between walls", SOLVE_PUSHES,
         "#########|#---#---#|#---$$--#|#-@--#--#|#.----.-#|#########"},
        // Both can only reach the top bank: no assignment at the start.
        {"one bank reachable", SOLVE_PUSHES, "#########|#.--$-$@#|#-------#|###-#####|###--.###|#########"},
        {"more treasures than banks", SOLVE_PUSHES, "#######|#-----#|#-$$@.#|#-----#|#######"},
        {"no treasure: no push can ever happen", SOLVE_PUSHES, "#####|#@-.#|#####"},
        {"any solution: none, proven", SOLVE_ANY, "#######|#--$--#|#-----#|#-@--.#|#######"},
        // From the player's side the only push leads away from the bank.
        {"reach: the only side the player can push from", SOLVE_PUSHES, "########|#.@$---#|########"},
        // The start is expanded; its corral has no push into it.
        {"corral: two treasures on a diagonal fence two corners", SOLVE_PUSHES, DIAGONAL_FENCE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Solve_options options = with_goal(c.goal);
        options.any_first_share = 0;
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(c.rows)), options);
        EXPECT_THAT(std::make_tuple(r.status, r.expanded, bfs_fewest_pushes(split_rows(c.rows)).pushes),
                    FieldsAre(SOLVE_NONE, testing::Le(1u), -1));
    }
}

// The diagonal fence: with corrals the start's expansion is ended by the
// corner corral before any push is judged. Without them the far treasure
// can still be pushed left, a live cell with a finite bound, so that
// position is stored and must be expanded before the search runs dry.
TEST(AuthoringSolver, OnlyTheCorralRuleEndsTheDiagonalFenceAtTheStart)
{
    const struct {
        const char* what;
        bool corrals;
        testing::Matcher<uint64_t> generated, stored, expanded;
        uint64_t corral_cuts;
    } rows[] = {
        {"with corrals", true, 0u, 1u, 1u, 1},
        {"without corrals", false, testing::Ge(1u), testing::Ge(2u), testing::Ge(2u), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Solve_options options;
        options.any_first_share = 0;
        options.corrals = row.corrals;
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(DIAGONAL_FENCE)), options);
        EXPECT_THAT(std::make_tuple(r.status, r.generated, r.stored, r.expanded, r.corral_cuts),
                    FieldsAre(SOLVE_NONE, row.generated, row.stored, row.expanded, row.corral_cuts));
    }
}

struct Room_pushes {
    const char* what;
    const char* rows;
    int pushes;
};

// Where the bound is the true push count (one treasure, or each treasure free
// to reach a bank of its own by the fewest pushes), so
// every position on an optimal line has f equal to it and each push along
// that line lowers h by one: the lowest h first takes the line's next
// position every time. The positions with h from the count down to 1 are
// expanded; the goal is recognised when taken, before it is counted.
TEST(AuthoringSolver, AnExactBoundLeadsStraightDownOneOptimalSolution)
{
    const Room_pushes rows[] = {
        {"three along a corridor", "#######|#@$--.#|#######", 3},
        {"to the grid's last column", "####################|#@$----------------.|####################", 17},
        {"down to the grid's last row", "###|#@#|#$#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#-#|#.#", 13},
        {"three right, three down", "########|#------#|#-$----#|#----@-#|#------#|#----.-#|########", 6},
        {"two up, three left", "#######|#.----#|#-----#|#---$-#|#-@---#|#######", 5},
        {"three, each two pushes at most from a bank of its own",
         "#########|#.-----.#|#-$---$-#|#---$---#|#@--.---#|#########", 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Solve_options options;
        options.any_first_share = 0;
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(row.rows)), options);
        EXPECT_THAT(std::make_tuple(r.status, r.pushes, r.lower_bound, r.expanded),
                    FieldsAre(SOLVE_FOUND, row.pushes, row.pushes, testing::Le(static_cast<uint64_t>(row.pushes))));
    }
}

// A solution's turns from one treasure to another: none for pushes of the
// same one, one where the second treasure's push follows the first's.
TEST(AuthoringSolver, EachTurnToAnotherTreasureIsCounted)
{
    for (const auto& [rows, turns] : {std::pair{"#######|#@$--.#|#######", 0}, {"#######|#.$@$.#|#######", 1}}) {
        SCOPED_TRACE(rows);
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(rows)), Solve_options{});
        EXPECT_EQ(r.treasure_changes, turns);
    }
}

// The fast mode pushes through a one-wide tunnel in one go: from the start
// the run that ends on the bank is a child with every treasure packed, the
// lowest rank there is, so it is taken next and is the goal. Only the start
// is expanded, where single pushes would expand every cell of the tunnel.
TEST(AuthoringSolver, TheFastModeCrossesATunnelInOneExpansion)
{
    const Room_pushes rows[] = {
        {"down eight", "######|#----#|#-$@-#|##-###|##-###|##-###|##-###|##-###|##-###|##-###|##.###|######", 8},
        {"right seven", "##########|#@$------.#|##########", 7},
        {"right two, the shortest run", "######|#@$-.#|######", 2},
        {"left four", "########|#.---$@#|########", 4},
        {"up four to the first floor cell", "#.####|#-####|#-####|#-####|#$####|#@####|######", 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Solve_result r = solve_puzzle(puzzle_of(split_rows(row.rows)), with_goal(SOLVE_ANY));
        EXPECT_THAT(std::make_tuple(r.status, r.pushes, r.expanded),
                    FieldsAre(SOLVE_FOUND, row.pushes, testing::Le(1u)));
    }
}

struct Random_room {
    std::vector<std::string> rows;
    int pushes; // by plain breadth-first search; -1: none
};

// Small rooms of one to three treasures that plain breadth-first search settles.
const std::vector<Random_room>& random_rooms()
{
    static std::vector<Random_room> rooms;
    if (!rooms.empty()) return rooms;
    std::mt19937 rng(2026);
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 400; ++round) {
        const int rows_n = 5 + below(3), cols_n = 6 + below(3);
        std::vector<std::string> rows(rows_n, std::string(cols_n, '#'));
        for (int r = 1; r < rows_n - 1; ++r)
            for (int c = 1; c < cols_n - 1; ++c)
                rows[r][c] = below(6) == 0 ? '#' : '-';
        auto place = [&](const char* over, char what) {
            for (int tries = 0; tries < 100; ++tries) {
                char& cell = rows[1 + below(rows_n - 2)][1 + below(cols_n - 2)];
                if (!std::strchr(over, cell)) continue;
                cell = what;
                return;
            }
        };
        const int treasures = 1 + below(3);
        for (int i = 0; i < treasures; ++i)
            place("-", '.');
        for (int i = 0; i < treasures; ++i)
            below(4) == 0 ? place(".", '*') : place("-", '$');
        place("-", '@');
        Puzzle puzzle;
        const Bfs_answer truth = bfs_fewest_pushes(rows, 20000);
        if (truth.settled && puzzle_from_rows(rows, puzzle) == 0) rooms.push_back({rows, truth.pushes});
    }
    return rooms;
}

TEST(AuthoringSolverRandomRooms, OptimalPushesAgreeWithBreadthFirstSearch)
{
    EXPECT_GT(random_rooms().size(), 300u); // else the agreement below means little
    for (Solve_goal goal : {SOLVE_PUSHES, SOLVE_PUSHES_THEN_MOVES})
        for (const Random_room& room : random_rooms()) {
            const Solve_result r = solve_puzzle(puzzle_of(room.rows), with_goal(goal));
            EXPECT_EQ(r.status == SOLVE_FOUND ? r.pushes : -1, room.pushes)
                << "goal " << goal << testing::PrintToString(room.rows);
        }
}

TEST(AuthoringSolverRandomRooms, TheFastModeSettlesAsBreadthFirstSearch)
{
    for (const Random_room& room : random_rooms()) {
        const Solve_result r = solve_puzzle(puzzle_of(room.rows), with_goal(SOLVE_ANY));
        EXPECT_EQ(r.status, room.pushes < 0 ? SOLVE_NONE : SOLVE_FOUND) << testing::PrintToString(room.rows);
    }
}

// Rooms of two to five treasures, where a treasure's nearest bank is often
// another's too; the search stops at once, having reported the bound.
TEST(AuthoringSolver, TheBoundIsTheCheapestAssignmentAtTheStart)
{
    std::mt19937 rng(77);
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    Solve_options one_position;
    one_position.max_states = 1;
    one_position.any_first_share = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> rows(8, std::string(10, '#'));
        for (int r = 1; r < 7; ++r)
            for (int c = 1; c < 9; ++c)
                rows[r][c] = below(12) == 0 ? '#' : '-';
        // Treasures off the walls' cells, so that most can move.
        auto place = [&](char what, int margin) {
            for (char* cell = nullptr;;)
                if (*(cell = &rows[margin + below(8 - 2 * margin)][margin + below(10 - 2 * margin)]) == '-')
                    return void(*cell = what);
        };
        const int treasures = 2 + below(4);
        for (int i = 0; i < treasures; ++i) {
            place('$', 2);
            place('.', 1);
        }
        place('@', 1);
        SCOPED_TRACE(testing::PrintToString(rows));
        const int truth = reference_start_bound(rows);
        const Solve_result r = solve_puzzle(puzzle_of(rows), one_position);
        if (truth < 0)
            EXPECT_EQ(r.status, SOLVE_NONE);
        else
            EXPECT_EQ(r.lower_bound, truth);
    }
}

// Pushes and moves, -1 each where there is no solution.
TEST(AuthoringSolverRandomRooms, OptimalMovesAgreeWithAReferenceSearch)
{
    size_t compared = 0;
    for (Solve_goal goal : {SOLVE_MOVES, SOLVE_PUSHES_THEN_MOVES})
        for (const Random_room& room : random_rooms()) {
            const Bfs_answer truth = reference_fewest_moves(room.rows, goal == SOLVE_PUSHES_THEN_MOVES);
            if (!truth.settled) continue;
            ++compared;
            const Solve_result r = solve_puzzle(puzzle_of(room.rows), with_goal(goal));
            const bool found = r.status == SOLVE_FOUND;
            EXPECT_EQ(std::make_tuple(found ? r.move_count : -1, goal == SOLVE_MOVES || !found ? -1 : r.pushes),
                      std::make_tuple(truth.moves, goal == SOLVE_MOVES ? -1 : truth.pushes))
                << "goal " << goal << testing::PrintToString(room.rows);
        }
    EXPECT_GT(compared, 600u); // else the agreement means little
}

const char LARGE[] = "       #########|       #-------#|    ####-----$-#|    #..#-----$-#|    #...-------#|"
                     "    #-..----$$@#|    #-.---$----#|    #--#-----$-#|    ####----$$-#|       #-------#|"
                     "       #########";

TEST(AuthoringSolverAnswers, AnOptimalSearchStoppedAfterASolutionIsUnproven)
{
    Solve_options options;
    options.max_states = 40000;
    options.any_first_share = 0.5;
    const Solve_result r = solve_puzzle(puzzle_of(split_rows(LARGE)), options);
    EXPECT_THAT(std::make_tuple(r.status, r.pushes), FieldsAre(SOLVE_UNPROVEN, testing::Ge(67))); // 67: the optimum
}

// The quick search for any solution is given its share of the state limit,
// and finds a longer solution with fewer states. The optimal search, stopped
// far short of its proof, finds nothing shorter: the quick answer stands.
TEST(AuthoringSolverAnswers, TheQuickSearchHasItsShareOfTheStates)
{
    Solve_options quick = with_goal(SOLVE_ANY);
    quick.any_first_share = 0;
    quick.max_states = 25000;
    Solve_options optimal;
    optimal.any_first_share = 0.25;
    optimal.max_states = 100000;
    const Solve_result first = solve_puzzle(puzzle_of(split_rows(LARGE)), quick),
                       r = solve_puzzle(puzzle_of(split_rows(LARGE)), optimal);
    EXPECT_THAT(std::make_tuple(r.status, r.pushes), FieldsAre(SOLVE_UNPROVEN, first.pushes));
}

// With no pause asked between reports, every 1024th expansion reports.
TEST(AuthoringSolverAnswers, TheSearchReportsAsItGoes)
{
    Solve_options options;
    options.max_states = 40000;
    options.any_first_share = 0;
    options.progress_seconds = 0;
    std::vector<uint64_t> reported;
    options.progress = [&](const Solve_progress& p) { reported.push_back(p.expanded); };
    const Solve_result r = solve_puzzle(puzzle_of(split_rows(LARGE)), options);
    ASSERT_GE(r.expanded, 2048u);
    EXPECT_THAT(reported, testing::AllOf(testing::SizeIs(r.expanded / 1024),
                                         testing::Each(testing::ResultOf([](uint64_t e) { return e % 1024; }, 0u))));
}

// A room of 4 rows of treasures over 4 rows of banks, 18 a row, the first
// `treasures` of them and the first `banks` there: past 64 of either the
// search's tables cannot hold them.
std::vector<std::string> crowded_rows(int treasures, int banks)
{
    std::string treasure_cells = std::string(treasures, '$') + std::string(72 - treasures, '-');
    std::string bank_cells = std::string(banks, '.') + std::string(72 - banks, '-');
    std::vector<std::string> rows{std::string(20, '#'), "#@-----------------#"};
    for (int r = 0; r < 4; ++r)
        rows.push_back("#" + treasure_cells.substr(18 * r, 18) + "#");
    for (int r = 0; r < 4; ++r)
        rows.push_back("#" + bank_cells.substr(18 * r, 18) + "#");
    rows.push_back(std::string(20, '#'));
    return rows;
}

TEST(AuthoringSolverAnswers, EveryLimitGivesUpRatherThanSayingUnsolvable)
{
    const struct {
        const char* limit;
        std::vector<std::string> rows;
        uint64_t max_states, max_bytes;
        double seconds;
    } cases[] = {
        {"stored positions", split_rows(LARGE), 50, Solve_options().max_bytes, 0},
        {"memory", split_rows(LARGE), 0, 1, 0},
        {"time", split_rows(LARGE), 0, Solve_options().max_bytes, 1e-6},
        {"too many treasures", crowded_rows(65, 65), 0, Solve_options().max_bytes, 0},
        {"too many banks", crowded_rows(64, 65), 0, Solve_options().max_bytes, 0},
    };
    for (const auto& c : cases)
        for (Solve_goal goal : {SOLVE_PUSHES, SOLVE_MOVES, SOLVE_ANY}) {
            SCOPED_TRACE(std::string(c.limit) + ", goal " + std::to_string(goal));
            Solve_options options = with_goal(goal);
            options.any_first_share = 0;
            options.max_states = c.max_states;
            options.max_bytes = c.max_bytes;
            options.time_limit_seconds = c.seconds;
            EXPECT_EQ(solve_puzzle(puzzle_of(c.rows), options).status, SOLVE_GAVE_UP);
        }
}

// 64 of each is as many as the tables hold: all but one treasure banked
// already, one push from done.
TEST(AuthoringSolverAnswers, SixtyFourTreasuresAreWithinReach)
{
    std::vector<std::string> rows{std::string(20, '#'), "#@$.---------------#"};
    for (int r = 0; r < 3; ++r)
        rows.push_back("#" + std::string(18, '*') + "#");
    rows.push_back("#" + std::string(9, '*') + std::string(9, '-') + "#");
    rows.push_back(std::string(20, '#'));
    const Solve_result r = solve_puzzle(puzzle_of(rows), Solve_options{});
    EXPECT_THAT(std::make_tuple(r.status, r.pushes), FieldsAre(SOLVE_FOUND, 1));
}

// The built-in levels' source; the Beginner (1-10) and Intermediate (11-30)
// levels must be proven push-optimal under a cap short enough for ctest.
std::vector<Puzzle> builtin_puzzles()
{
    std::ifstream in("assets/levels/builtin.zrp", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::unique_ptr<Pack_info> pack = read_pack_bytes(bytes.data(), bytes.size());
    std::vector<Puzzle> out;
    for (const Level_info* l = pack ? pack->levels.get() : nullptr; l; l = l->next.get()) {
        out.emplace_back();
        EXPECT_EQ(puzzle_from_level(*l, out.back()), 0) << l->name;
    }
    return out;
}

class BuiltinLevel : public testing::TestWithParam<int>
{
};

TEST_P(BuiltinLevel, IsProvenUnderAStateCap)
{
    static const std::vector<Puzzle> puzzles = builtin_puzzles();
    ASSERT_EQ(puzzles.size(), 50u);
    Solve_options options;
    options.max_states = 2000000;
    EXPECT_EQ(solve_puzzle(puzzles[static_cast<size_t>(GetParam() - 1)], options).status, SOLVE_FOUND);
}

INSTANTIATE_TEST_SUITE_P(Beginner, BuiltinLevel, testing::Range(1, 11), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(Intermediate, BuiltinLevel, testing::Range(11, 31), testing::PrintToStringParamName());

// A corral judged dead with no push into it is dead wherever its fence and
// its empty cells stand again: the search learns it once and, on level 19,
// cuts later pushes that would close it.
TEST(AuthoringSolver, ADeadCorralLearnedOnceCutsThePushesThatCloseItAgain)
{
    static const std::vector<Puzzle> puzzles = builtin_puzzles();
    ASSERT_EQ(puzzles.size(), 50u);
    const Solve_result r = solve_puzzle(puzzles[18], Solve_options{});
    EXPECT_THAT(std::make_tuple(r.status, r.pattern_cuts), FieldsAre(SOLVE_FOUND, testing::Gt(0u)));
}

struct Generate_case {
    const char* what;
    int rows, cols, treasures;
    uint64_t seed;
};
const Generate_case GENERATE_CASES[] = {
    {"9 by 10, three treasures", 9, 10, 3, 7},
    {"6 by 7, one treasure", 6, 7, 1, 3},
    {"7 by 9, two treasures", 7, 9, 2, 11},
};
const int MIN_PUSHES = 4, MAX_PUSHES = 14;

Generate_options options_of(const Generate_case& c)
{
    Generate_options o;
    o.rows = c.rows;
    o.cols = c.cols;
    o.treasures = c.treasures;
    o.seed = c.seed;
    o.candidates = 3;
    o.min_pushes = MIN_PUSHES;
    o.max_pushes = MAX_PUSHES;
    return o;
}

// Three levels of each case, made once for all the tests below.
class Generated : public Authoring
{
  protected:
    const std::vector<Generated_level>& levels(const Generate_case& c)
    {
        static std::map<const Generate_case*, std::vector<Generated_level>> made;
        if (!made.count(&c)) made[&c] = generate_levels(game.state, options_of(c), 3);
        return made[&c];
    }
    template <typename Check> void each_level(Check check)
    {
        for (const Generate_case& c : GENERATE_CASES) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(levels(c).size(), 3u);
            for (const Generated_level& g : levels(c)) {
                SCOPED_TRACE(testing::PrintToString(g.rows));
                check(c, g);
            }
        }
    }
};

TEST_F(Generated, TheSameSeedGivesTheSameLevel)
{
    const Generate_case& c = GENERATE_CASES[0];
    EXPECT_EQ(generate_levels(game.state, options_of(c), 1).at(0).rows, levels(c).at(0).rows);
}

// Whatever the room's place on the board, the walls round it fit the size asked.
TEST_F(Generated, EachRoomFitsTheSizeAsked)
{
    each_level([](const Generate_case& c, const Generated_level& g) {
        int top = LEVEL_ROWS, bottom = 0, left = LEVEL_COLS, right = 0;
        for (int r = 0; r < static_cast<int>(g.rows.size()); ++r) {
            const size_t first = g.rows[r].find_first_not_of(' ');
            if (first == std::string::npos) continue;
            top = std::min(top, r);
            bottom = r;
            left = std::min(left, static_cast<int>(first));
            right = std::max(right, static_cast<int>(g.rows[r].find_last_not_of(' ')));
        }
        EXPECT_THAT(std::make_tuple(bottom - top + 1, right - left + 1),
                    FieldsAre(testing::Le(c.rows), testing::Le(c.cols)));
    });
}

// Every floor cell is walled from the outside and the player can reach it,
// walking through the treasures.
TEST_F(Generated, EachRoomIsOneWalledSpace)
{
    each_level([](const Generate_case&, const Generated_level& g) {
        std::set<std::pair<int, int>> floor, reached, open;
        std::vector<std::pair<int, int>> stack;
        for (int r = 0; r < LEVEL_ROWS; ++r)
            for (int c = 0; c < LEVEL_COLS; ++c) {
                if (g.rows[r][c] != '#' && g.rows[r][c] != ' ') floor.insert({r, c});
                if (g.rows[r][c] == '@' || g.rows[r][c] == '+') stack.push_back({r, c});
            }
        while (!stack.empty()) {
            const auto [r, c] = stack.back();
            stack.pop_back();
            if (r < 0 || c < 0 || r >= LEVEL_ROWS || c >= LEVEL_COLS || g.rows[r][c] == ' ') open.insert({r, c});
            if (open.count({r, c}) || g.rows[r][c] == '#' || !reached.insert({r, c}).second) continue;
            stack.insert(stack.end(), {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}});
        }
        EXPECT_THAT(std::make_tuple(reached, open), FieldsAre(floor, testing::IsEmpty()));
    });
}

TEST_F(Generated, EachStoredSolutionSolvesTheLevelInTheGame)
{
    each_level([this](const Generate_case&, const Generated_level& g) {
        auto pack = pack_of_level(Authored_level{"g", g.rows, g.solution.moves, {}, {}});
        const Replay_outcome replay = replay_solution(game.state, *pack->levels, pack->levels->solution);
        EXPECT_THAT(std::make_tuple(replay.solved, replay.pushes), FieldsAre(true, g.solution.pushes))
            << replay.problem;
    });
}

TEST_F(Generated, EachSolutionTakesThePushesAsked)
{
    each_level([](const Generate_case&, const Generated_level& g) {
        EXPECT_THAT(g.solution.pushes, testing::AllOf(testing::Ge(MIN_PUSHES), testing::Le(MAX_PUSHES)));
    });
}

TEST_F(Generated, TheFewestMovesAreNoMoreThanTheStoredSolutions)
{
    each_level([](const Generate_case&, const Generated_level& g) {
        EXPECT_THAT(g.fewest_moves, testing::AllOf(testing::Gt(0), testing::Le(g.solution.move_count)));
    });
}

TEST_F(Generated, EachSolutionHasTheFewestPushes)
{
    each_level([](const Generate_case&, const Generated_level& g) {
        EXPECT_EQ(g.solution.pushes, bfs_fewest_pushes(g.rows, 400000).pushes);
    });
}

TEST_F(Generated, EachSolutionWalksTheLeastOfTheFewestPushes)
{
    each_level([](const Generate_case&, const Generated_level& g) {
        const Solve_result r = solve_puzzle(puzzle_of(g.rows), with_goal(SOLVE_PUSHES_THEN_MOVES));
        EXPECT_EQ(g.solution.move_count, r.move_count);
    });
}

// The first room tried is the same either way; of eight different rooms the
// kept one must be harder than the first (a choice of the easiest would not be).
TEST_F(Generated, TheHardestOfTheCandidatesIsKept)
{
    Generate_options one = options_of(GENERATE_CASES[0]);
    one.candidates = 1;
    Generate_options eight = one;
    eight.candidates = 8;
    const int first = generate_levels(game.state, one, 1).at(0).difficulty;
    EXPECT_GT(generate_levels(game.state, eight, 1).at(0).difficulty, first);
}

// A room too small for many shapes runs out of new ones: the run stops short
// rather than make one twice.
TEST_F(Generated, NoTwoLevelsOfARunShareAShape)
{
    Generate_options o = options_of({"5 by 6, one treasure", 5, 6, 1, 1});
    o.candidates = 2;
    o.min_pushes = 1;
    const std::vector<Generated_level> made = generate_levels(game.state, o, 20);
    std::set<std::string> shapes;
    for (const Generated_level& g : made)
        shapes.insert(canonical_shape(g.rows));
    EXPECT_THAT(std::make_tuple(made.size(), shapes.size()), FieldsAre(testing::Lt(20u), made.size()));
}

TEST(GeneratorLayout, EveryTurnOrMirrorSharesOneShape)
{
    const std::vector<std::string> room = {"####  ", "#@$.##", "#-$-.#", "######"};
    const std::vector<std::vector<std::string>> same = {
        {"  ####", "##.$@#", "#.-$-#", "######"},         // mirrored left to right
        {"######", "#-$-.#", "#@$.##", "####  "},         // upside down
        {"####", "#@-#", "#$$#", "#.-#", " #.#", " ###"}, // turned over the diagonal
    };
    for (const auto& rows : same)
        EXPECT_EQ(canonical_shape(rows), canonical_shape(room)) << testing::PrintToString(rows);
    EXPECT_NE(canonical_shape({"####  ", "#@-$.##", "#-$-.#", "######"}), canonical_shape(room));
}

// Pushes, plus one a turn to another treasure, four a push beyond the bound,
// three a doubling of the positions expanded.
TEST(GeneratorScore, TheDifficultyAddsEachTerm)
{
    const struct {
        const char* what;
        int pushes, changes, bound;
        uint64_t expanded;
        int score;
    } rows[] = {
        {"pushes alone", 10, 0, 10, 0, 10},
        {"turns", 10, 3, 10, 0, 13},
        {"detours", 10, 0, 8, 0, 18},
        {"seven positions", 10, 0, 10, 7, 19},
        {"1023 positions", 10, 0, 10, 1023, 40},
        {"all of them", 12, 2, 9, 3, 12 + 2 + 12 + 6},
    };
    for (const auto& r : rows) {
        Solve_result s;
        s.pushes = r.pushes;
        s.treasure_changes = r.changes;
        s.lower_bound = r.bound;
        s.expanded = r.expanded;
        EXPECT_EQ(difficulty_score(s), r.score) << r.what;
    }
}

// Rows, the solution, what stays of the room.
TEST(GeneratorLayout, FloorNoMoveTouchesIsWalledUpKeepingTheSymmetry)
{
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"no symmetry: all unused floor goes", "#######|##----#|#@$-.-#|#-----#|#######", ">>",
         "#######|#######|#@$-.##|#######|#######"},
        {"left to right: a cell mirroring a used one stays", "#######|#@$-.-#|#-----#|#######", ">>",
         "#######|#@$-.-#|#######|#######"},
        {"top to bottom: a cell mirroring a used one stays", "#######|##@---#|#--$.-#|##----#|#######", "v>",
         "#######|##@####|##-$.##|##-####|#######"},
        {"a wall beside another inside the room stays", "######|#@---#|#-##-#|#----#|######", ">>>vv<<<^^",
         "######|#@---#|#-##-#|#----#|######"},
        {"a wall standing alone inside the room is floor again", "#####|#@--#|#-#-#|#---#|#####", ">>vv<<^^",
         "#####|#@--#|#---#|#---#|#####"},
        {"left to right: a cell mirroring the bank a second push reaches stays", "#######|#.-$@-#|#######", "<<",
         "#######|#.-$@-#|#######"},
        {"a cell a treasure was pushed from is floor again", "#######|##----#|#@$--.#|#-----#|#######", ">^v>>",
         "#######|##-####|#@$--.#|#######|#######"},
        {"mirrored floor cut off from the player's goes", "#########|#@$.----#|#########", ">",
         "#########|#@$.#####|#########"},
        {"mirrored floor cut off from the player's goes, however they lie", "#########|#----.$@#|#########", "<",
         "#########|#####.$@#|#########"},
    };
    for (const auto& [what, before, moves, after] : rows) {
        std::vector<std::string> room = split_rows(before);
        wall_up_unused(room, moves);
        EXPECT_EQ(room, split_rows(after)) << what;
    }
}

TEST(GeneratorLayout, AFinishedRoomIsWalledRoundInTheMiddle)
{
    const std::vector<std::string> board = finish_layout({"@$.", "", "     #"}); // a wall by no floor goes
    std::vector<std::string> expected(LEVEL_ROWS, std::string(LEVEL_COLS, ' '));
    expected[6] = "       #####        ";
    expected[7] = "       #@$.#        ";
    expected[8] = "       #####        ";
    EXPECT_EQ(board, expected);
}

// Too wide for the board, it is walled round but not placed, so the caller sees it cannot fit.
TEST(GeneratorLayout, ARoomWiderThanTheBoardIsLeftUnplaced)
{
    const std::string floor = "@$." + std::string(LEVEL_COLS - 3, '-');
    const std::string wall(LEVEL_COLS + 2, '#');
    EXPECT_THAT(finish_layout({floor}), testing::ElementsAre(wall, "#" + floor + "#", wall));
}

TEST_F(Authoring, OnlyMovesThatSolveTheLevelAreStored)
{
    const struct {
        const char* moves;
        int result;
        const char* why;
        const char* stored;
    } rows[] = {
        {"", -1, "there are no moves to store", "<"},
        {">>", -1, "the moves do not solve the level: solved after move 1 of 2", "<"},
        {"<", -1, "the moves do not solve the level: the moves end without solving the level", "<"},
        {">x", -1, "the moves do not solve the level: move 2: 'x' is not one of <>^v", "<"},
        {">", 0, "", ">"},
    };
    for (const auto& r : rows) {
        Authored_level level;
        level.rows = {"#####", "#@$.#", "#####"};
        level.solution = "<";
        std::string problem;
        EXPECT_EQ(store_tested_solution(game.state, level, r.moves, problem), r.result) << r.moves;
        EXPECT_THAT(std::make_tuple(problem, level.solution), FieldsAre(r.why, r.stored)) << r.moves;
    }
}

TEST_F(Authoring, ThePlayCommandReplaysTheSamplePackToTheLastPush)
{
    Pack_info* pack = load_tool_pack(game, "assets/packs/lantern_docks.zrp");
    ASSERT_NE(pack, nullptr) << game.error;
    for (Level_info* level = pack->levels.get(); level; level = level->next.get()) {
        SCOPED_TRACE(level->name);
        enter_tool_level(game, *pack, level->number);
        const Playback_result r = play_moves(game.state, level->solution + "<<<<", false);
        EXPECT_THAT(
            std::make_tuple(r.solved, r.played, game.state.mode),
            FieldsAre(true, static_cast<int>(level->solution.size()), level->next ? MODE_SOLVED : MODE_ALL_DONE));
    }
}

} // namespace

// A known solution's cost bounds the search: only a cheaper one is sought,
// in the goal's own measure. With pushes then steps an equal push count may
// still win; the fast mode takes no bound. TWO's optimum: 4 pushes, 6 steps.
TEST(AuthoringSolverAnswers, OnlyASolutionCheaperThanTheKnownOneIsSought)
{
    const std::tuple<Solve_goal, int, Solve_status> rows[] = {
        {SOLVE_PUSHES, 4, SOLVE_NONE},
        {SOLVE_PUSHES, 5, SOLVE_FOUND},
        {SOLVE_MOVES, 6, SOLVE_NONE},
        {SOLVE_MOVES, 7, SOLVE_FOUND},
        {SOLVE_PUSHES_THEN_MOVES, 3, SOLVE_NONE},
        {SOLVE_PUSHES_THEN_MOVES, 4, SOLVE_FOUND},
        {SOLVE_ANY, 1, SOLVE_FOUND},
    };
    for (const auto& [goal, known, status] : rows) {
        Solve_options options = with_goal(goal);
        options.any_first_share = 0;
        options.upper_bound = known;
        EXPECT_EQ(solve_puzzle(puzzle_of(split_rows(TWO)), options).status, status)
            << "goal " << goal << ", known " << known;
    }
}

// Two searches, one report: the first-found search's solution bounds the
// proof. In TWO that solution is already the optimum, so the proof finds
// nothing under it; in LARGE it is 87 pushes and the proof finds 67.
TEST(AuthoringSolverAnswers, ASolveFoundFirstThenProvenCountsBothSearches)
{
    for (const char* room : {TWO, LARGE}) {
        SCOPED_TRACE(room);
        const Puzzle puzzle = puzzle_of(split_rows(room));
        Solve_options any_options = with_goal(SOLVE_ANY), proof_options, both_options;
        any_options.max_states = 1000000;
        const Solve_result any = solve_puzzle(puzzle, any_options);
        proof_options.any_first_share = 0;
        proof_options.upper_bound = any.pushes;
        const Solve_result proof = solve_puzzle(puzzle, proof_options);
        both_options.max_states = 4000000;
        both_options.any_first_share = 0.25;
        const Solve_result both = solve_puzzle(puzzle, both_options);
        EXPECT_THAT(std::make_tuple(both.expanded, both.generated, both.stored, both.corral_cuts, both.pattern_cuts,
                                    both.bytes),
                    FieldsAre(any.expanded + proof.expanded, any.generated + proof.generated, any.stored + proof.stored,
                              any.corral_cuts + proof.corral_cuts, any.pattern_cuts + proof.pattern_cuts,
                              std::max(any.bytes, proof.bytes)));
    }
}

// The fast mode's three turns hold 40 %, 30 % and then the whole of the
// stored positions allowed, so together they store 1.7 times the limit, less
// than one expansion's children over each turn's share.
TEST(AuthoringSolverAnswers, TheFastModesLastTurnHasTheWholeStateLimit)
{
    const uint64_t limit = 1000;
    Solve_options options = with_goal(SOLVE_ANY);
    options.any_first_share = 0;
    options.max_states = limit;
    const Solve_result r = solve_puzzle(puzzle_of(split_rows(LARGE)), options);
    EXPECT_THAT(std::make_tuple(r.status, r.stored),
                FieldsAre(SOLVE_GAVE_UP, testing::AllOf(testing::Ge(limit * 17 / 10), testing::Lt(limit * 2))));
}

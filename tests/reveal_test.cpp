#include <algorithm>
#include <set>

#include "engine/services.h"
#include "present_fixture.h"
#include "presentation/draw.h"

namespace
{

using Cells = std::vector<std::pair<int, int>>;

class Reveal_test : public Present_test
{
  protected:
    void SetUp() override
    {
        Present_test::SetUp();
        open_map(present_map_contents(), 1);
        read_board_record(state, board, 1);
    }
    Cells reveal(Reveal_order order)
    {
        offscreen().calls.clear();
        reveal_board(state, board, order);
        return blitted_cells();
    }
    Field_info board{};
};

TEST_F(Reveal_test, TheGeneratorIsTheLinearCongruentialOneFromSeedOne)
{
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int expected : first)
        EXPECT_EQ(game_random(state), expected);
    Reference_random reference;
    for (int i = 0; i < 8; ++i)
        reference.next();
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(game_random(state), reference.next());
}

TEST_F(Reveal_test, EveryOrderDrawsEveryCellExactlyOnce)
{
    for (Reveal_order order : {REVEAL_ROWS_DOWN, REVEAL_ROWS_UP, REVEAL_SPIRAL, REVEAL_SERPENTINE, REVEAL_RANDOM,
                               REVEAL_COLUMNS_RIGHT, REVEAL_COLUMNS_LEFT}) {
        Cells cells = reveal(order);
        ASSERT_EQ(cells.size(), 320u) << "order " << order;
        std::set<std::pair<int, int>> distinct(cells.begin(), cells.end());
        EXPECT_EQ(distinct.size(), 320u) << "order " << order;
        for (auto [col, row] : distinct) {
            EXPECT_GE(col, 0);
            EXPECT_LT(col, 20);
            EXPECT_GE(row, 0);
            EXPECT_LT(row, 16);
        }
    }
}

TEST_F(Reveal_test, TheFixedOrdersWalkAsTheirNamesSay)
{
    Cells c = reveal(REVEAL_ROWS_DOWN);
    EXPECT_EQ(c[0], std::make_pair(0, 0));
    EXPECT_EQ(c[1], std::make_pair(1, 0));
    EXPECT_EQ(c[20], std::make_pair(0, 1));
    c = reveal(REVEAL_ROWS_UP);
    EXPECT_EQ(c[0], std::make_pair(0, 15));
    EXPECT_EQ(c[19], std::make_pair(19, 15));
    EXPECT_EQ(c[319], std::make_pair(19, 0));
    c = reveal(REVEAL_SERPENTINE);
    EXPECT_EQ(c[0], std::make_pair(19, 0));
    EXPECT_EQ(c[19], std::make_pair(0, 0));
    EXPECT_EQ(c[20], std::make_pair(0, 1));
    EXPECT_EQ(c[40], std::make_pair(19, 2));
    c = reveal(REVEAL_COLUMNS_RIGHT);
    EXPECT_EQ(c[1], std::make_pair(0, 1));
    EXPECT_EQ(c[16], std::make_pair(1, 0));
    c = reveal(REVEAL_COLUMNS_LEFT);
    EXPECT_EQ(c[0], std::make_pair(19, 0));
    EXPECT_EQ(c[16], std::make_pair(18, 0));
    EXPECT_EQ(c[319], std::make_pair(0, 15));
}

TEST_F(Reveal_test, TheSpiralRunsClockwiseInwardAndEndsAtRowEightColumnSeven)
{
    Cells c = reveal(REVEAL_SPIRAL);
    EXPECT_EQ(c[0], std::make_pair(0, 0));
    EXPECT_EQ(c[19], std::make_pair(19, 0));
    EXPECT_EQ(c[20], std::make_pair(19, 1));  // down the right column
    EXPECT_EQ(c[34], std::make_pair(19, 15)); // the bottom right corner
    EXPECT_EQ(c[35], std::make_pair(18, 15)); // back along the bottom row
    EXPECT_EQ(c[54], std::make_pair(0, 14));  // up the left column
    EXPECT_EQ(c[67], std::make_pair(0, 1));
    EXPECT_EQ(c[68], std::make_pair(1, 1)); // the second ring
    EXPECT_EQ(c.back(), std::make_pair(7, 8));
}

TEST_F(Reveal_test, TheRandomOrderIsTheGeneratorsShuffle)
{
    Reference_random reference;
    std::vector<int> entries(320);
    for (int i = 0; i < 320; ++i)
        entries[i] = i;
    Cells expected;
    for (int k = 319; k >= 0; --k) {
        int j = reference.next() % (k + 1);
        expected.emplace_back(entries[j] % 20, entries[j] / 20);
        entries[j] = entries[k];
    }
    EXPECT_EQ(reveal(REVEAL_RANDOM), expected);
    // The scratch array stays, and a second board gets a different order.
    EXPECT_GE(state.draw.reveal_scratch.size(), 320u);
    EXPECT_NE(reveal(REVEAL_RANDOM), expected);
}

TEST_F(Reveal_test, DrawBoardChoosesSlotsFromTheGeneratorAndNeverTheSameTwice)
{
    Reference_random reference;
    // The first draw is 41: (41 % 44) / 4 = slot 10, a random order.
    draw_board(state, board, true);
    EXPECT_EQ(state.draw.last_reveal, 10);
    reference.next();
    for (int i = 0; i < 320; ++i)
        reference.next(); // the shuffle's draws

    int previous = 10;
    std::set<int> seen;
    for (int n = 0; n < 200; ++n) {
        int expected;
        do {
            expected = (reference.next() % 44) / 4;
        } while (expected == previous);
        draw_board(state, board, true);
        ASSERT_EQ(state.draw.last_reveal, expected);
        if (REVEAL_TABLE[expected] == REVEAL_RANDOM)
            for (int i = 0; i < 320; ++i)
                reference.next();
        seen.insert(expected);
        previous = expected;
    }
    EXPECT_EQ(seen.size(), 11u);

    draw_board(state, board, false);
    EXPECT_EQ(state.draw.last_reveal, 0);
    for (int n = 0; n < 30; ++n) {
        draw_board(state, board, false);
        draw_board(state, board, true);
        EXPECT_NE(state.draw.last_reveal, 0);
    }
}

TEST_F(Reveal_test, BoardsThatClaimTooManyOrNoCellsStayInsideTheirBuffer)
{
    const int16_t shapes[][2] = {{0, 20}, {16, 0}, {-3, 20}, {1000, 1000}, {32767, 1}, {1, 32767}, {16, 21}};
    for (const auto& shape : shapes) {
        board.rows = shape[0];
        board.columns = shape[1];
        for (Reveal_order order : {REVEAL_ROWS_DOWN, REVEAL_ROWS_UP, REVEAL_SPIRAL, REVEAL_SERPENTINE, REVEAL_RANDOM,
                                   REVEAL_COLUMNS_RIGHT, REVEAL_COLUMNS_LEFT}) {
            size_t drawn = reveal(order).size();
            EXPECT_LE(drawn, 2u * FIELD_MAX_CELLS) << shape[0] << "x" << shape[1] << " order " << order;
            if (shape[0] < 1 || shape[1] < 1) {
                EXPECT_EQ(drawn, 0u);
            }
        }
    }
}

} // namespace

// The generator's backward search: hand-worked rooms, and its depths checked
// against a plain breadth-first search over pushes written apart from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "tests/bfs_reference.h"
#include "tools/authoring/pull_search.h"

namespace
{

using Rows = std::vector<std::string>;
using testing::UnorderedElementsAre;
using testing::UnorderedElementsAreArray;

const uint64_t NO_LIMIT = 1u << 30;

struct Pulled {
    std::vector<Pull_position> last;
    int depth = -1;
};

Pulled pull(const Rows& room, const std::vector<int>& banks, size_t beam = NO_LIMIT, uint64_t seed = 1)
{
    Generator_random random{seed};
    Pulled out;
    out.last = pull_away(room, banks, NO_LIMIT, beam, random, &out.depth);
    return out;
}

// Row 1 of a room 7 cells wide holds cells 7 to 13.
TEST(PullSearch, ATreasureInACorridorIsPulledOneCellEitherWay)
{
    const Pulled p = pull({"#######", "#-----#", "#######"}, {10});
    EXPECT_EQ(p.depth, 1);
    EXPECT_THAT(p.last, UnorderedElementsAre(Pull_position{9, 8}, Pull_position{11, 12}));
}

// The player has no cell to step back into on either side.
TEST(PullSearch, ATreasureNoPullMovesLeavesTheBanksTheLastLayer)
{
    const Pulled p = pull({"#####", "#---#", "#####"}, {7});
    EXPECT_EQ(p.depth, 0);
    EXPECT_THAT(p.last, UnorderedElementsAre(Pull_position{7, 6}, Pull_position{7, 8}));
}

// A room in the layout legend with the banks and a pulled position set on it.
Rows with_position(Rows room, const std::vector<int>& banks, const Pull_position& p)
{
    const size_t C = room[0].size();
    for (int b : banks)
        room[b / C][b % C] = '.';
    for (size_t i = 0; i + 1 < p.size(); ++i) {
        char& cell = room[p[i] / C][p[i] % C];
        cell = cell == '.' ? '*' : '$';
    }
    char& player = room[p.back() / C][p.back() % C];
    player = player == '.' ? '+' : '@';
    return room;
}

struct Random_pull {
    Rows room;
    std::vector<int> banks;
};

// Carved rooms of 6 x 7 with two or three banks on random floor cells.
std::vector<Random_pull> random_pulls()
{
    std::vector<Random_pull> out;
    std::mt19937 pick(2026);
    for (uint64_t seed = 1; seed <= 200; ++seed) {
        Generator_random carving{seed};
        Random_pull r{carve_room(6, 7, carving), {}};
        std::vector<int> floor;
        for (int c = 0; c < 6 * 7; ++c)
            if (r.room[c / 7][c % 7] == '-') floor.push_back(c);
        std::shuffle(floor.begin(), floor.end(), pick);
        const size_t banks = 2 + seed % 2;
        if (floor.size() < banks + 2) continue;
        r.banks.assign(floor.begin(), floor.begin() + static_cast<long>(banks));
        out.push_back(r);
    }
    return out;
}

TEST(PullSearch, ThePositionsPulledFarthestNeedAsManyPushes)
{
    int compared = 0;
    for (const Random_pull& r : random_pulls()) {
        const Pulled p = pull(r.room, r.banks);
        if (p.depth == 0) continue; // a solved start needs a push of its own
        for (size_t i = 0; i < p.last.size() && i < 3; ++i, ++compared) {
            const Rows level = with_position(r.room, r.banks, p.last[i]);
            EXPECT_EQ(bfs_fewest_pushes(level).pushes, p.depth) << testing::PrintToString(level);
        }
    }
    EXPECT_GT(compared, 150); // else the agreement means little
}

// Every position of two treasures off the banks' pair, the player standing for
// each area it could walk in, written as the backward search writes them.
std::vector<Pull_position> every_position(const Rows& room, const std::vector<int>& banks)
{
    const int C = static_cast<int>(room[0].size()), cells = static_cast<int>(room.size()) * C;
    std::vector<int> floor;
    for (int c = 0; c < cells; ++c)
        if (room[c / C][c % C] != '#') floor.push_back(c);
    std::vector<Pull_position> out;
    for (size_t i = 0; i < floor.size(); ++i)
        for (size_t j = i + 1; j < floor.size(); ++j) {
            if (Pull_position{uint16_t(floor[i]), uint16_t(floor[j])} == Pull_position(banks.begin(), banks.end()))
                continue; // solved already
            std::vector<bool> blocked(cells, true);
            for (int c : floor)
                blocked[c] = c == floor[i] || c == floor[j];
            for (int start : floor) {
                if (blocked[start]) continue;
                std::vector<int> area{start};
                blocked[start] = true;
                for (size_t k = 0; k < area.size(); ++k)
                    for (int n : {area[k] - C, area[k] + C, area[k] - 1, area[k] + 1})
                        if (!blocked[n]) {
                            blocked[n] = true;
                            area.push_back(n);
                        }
                out.push_back({uint16_t(floor[i]), uint16_t(floor[j]), uint16_t(start)});
            }
        }
    return out;
}

TEST(PullSearch, TheLastLayerIsEveryPositionThatManyPushesOut)
{
    int rooms = 0;
    for (const Random_pull& r : random_pulls()) {
        const Pulled p = pull(r.room, r.banks);
        if (r.banks.size() != 2 || p.depth == 0 || rooms == 40) continue; // a solved start needs a push of its own
        ++rooms;
        std::vector<int> sorted_banks = r.banks;
        std::sort(sorted_banks.begin(), sorted_banks.end());
        std::vector<Pull_position> farthest;
        int most = 0;
        for (const Pull_position& position : every_position(r.room, sorted_banks)) {
            const int pushes = bfs_fewest_pushes(with_position(r.room, r.banks, position)).pushes;
            if (pushes == p.depth) farthest.push_back(position);
            most = std::max(most, pushes);
        }
        EXPECT_EQ(most, p.depth) << testing::PrintToString(r.room);
        EXPECT_THAT(p.last, UnorderedElementsAreArray(farthest)) << testing::PrintToString(r.room);
    }
    EXPECT_EQ(rooms, 40);
}

// Banks at both ends of a corridor nine cells long, treasures pulled from
// each towards the other: a pair of treasures is as far from the banks as
// six pulls can take it only while neither has passed the middle row. A
// layer always keeps its farthest position, and one of those always has a
// pull that takes it farther.
TEST(PullSearch, UnderABeamALayerKeepsItsFarthestPosition)
{
    Rows corridor{"###"};
    corridor.insert(corridor.end(), 9, "#-#");
    corridor.push_back("###");
    const int top = 1 * 3 + 1, bottom = 9 * 3 + 1;
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Pulled p = pull(corridor, {top, bottom}, 2, seed);
        std::vector<std::pair<int, int>> rows;
        for (const Pull_position& position : p.last)
            rows.emplace_back(position[0] / 3, position[1] / 3);
        EXPECT_EQ(p.depth, 6);
        EXPECT_THAT(rows, testing::Contains(testing::AnyOf(std::pair{3, 5}, std::pair{4, 6}, std::pair{5, 7})));
    }
}

// A narrow beam drops positions, so a later layer may hold one that a
// shorter way reaches; none lies farther than its layer.
TEST(PullSearch, UnderABeamNoPositionIsFartherThanItsLayer)
{
    for (const Random_pull& r : random_pulls()) {
        const Pulled p = pull(r.room, r.banks, 4);
        EXPECT_LE(p.last.size(), 4u);
        if (p.depth == 0) continue;
        for (const Pull_position& position : p.last) {
            const Rows level = with_position(r.room, r.banks, position);
            const int pushes = bfs_fewest_pushes(level).pushes;
            EXPECT_GE(pushes, 1) << testing::PrintToString(level);
            EXPECT_LE(pushes, p.depth) << testing::PrintToString(level);
        }
    }
}

} // namespace

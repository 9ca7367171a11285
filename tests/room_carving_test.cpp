// The generator's rooms: its random numbers, the rooms it carves whatever the
// seed, and the two clean-ups every carved or walled-up room goes through.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/authoring/room_carving.h"

namespace
{

using Rows = std::vector<std::string>;

// splitmix64's published first outputs for the seed 1234567.
TEST(RoomCarving, TheRandomNumbersAreSplitmix64s)
{
    Generator_random random{1234567};
    std::vector<uint64_t> drawn;
    for (int i = 0; i < 5; ++i)
        drawn.push_back(random.next());
    EXPECT_THAT(drawn, testing::ElementsAre(6457827717110365317ull, 3203168211198807973ull, 9817491932198370423ull,
                                            4593380528125082431ull, 16408922859458223821ull));
}

struct Carved {
    int rows, cols;
    uint64_t seed;
    Rows room;
};

// 200 seeds for each of a small, a square, the widest and a tall room.
const std::vector<Carved>& carved_rooms()
{
    static const std::vector<Carved> rooms = [] {
        std::vector<Carved> out;
        for (auto [rows, cols] : {std::pair{7, 7}, {9, 11}, {16, 20}, {12, 8}})
            for (uint64_t seed = 1; seed <= 200; ++seed) {
                Generator_random random{seed};
                out.push_back({rows, cols, seed, carve_room(rows, cols, random)});
            }
        return out;
    }();
    return rooms;
}

std::string where(const Carved& c)
{
    return std::to_string(c.rows) + "x" + std::to_string(c.cols) + " seed " + std::to_string(c.seed);
}

TEST(RoomCarving, ARoomHasTheSizeAsked)
{
    for (const Carved& c : carved_rooms()) {
        std::vector<size_t> widths;
        for (const std::string& row : c.room)
            widths.push_back(row.size());
        EXPECT_EQ(widths, std::vector<size_t>(c.rows, c.cols)) << where(c);
    }
}

TEST(RoomCarving, ARoomsBorderIsWalled)
{
    for (const Carved& c : carved_rooms()) {
        std::string border = c.room.front() + c.room.back();
        for (const std::string& row : c.room)
            border += std::string{row.front(), row.back()};
        EXPECT_EQ(border, std::string(border.size(), '#')) << where(c);
    }
}

// Floor cells reached from the first one, side by side, against all of them.
std::pair<int, int> reached_and_floor(const Rows& room)
{
    Rows seen = room;
    std::vector<std::pair<int, int>> queue;
    int floor = 0;
    for (size_t r = 0; r < room.size(); ++r)
        for (size_t c = 0; c < room[r].size(); ++c)
            if (room[r][c] == '-') {
                if (queue.empty()) {
                    queue.push_back({static_cast<int>(r), static_cast<int>(c)});
                    seen[r][c] = 'x';
                }
                ++floor;
            }
    for (size_t i = 0; i < queue.size(); ++i)
        for (auto [dr, dc] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
            const int r = queue[i].first + dr, c = queue[i].second + dc;
            if (seen[r][c] != '-') continue;
            seen[r][c] = 'x';
            queue.push_back({r, c});
        }
    return {static_cast<int>(queue.size()), floor};
}

TEST(RoomCarving, ARoomsFloorIsOneArea)
{
    for (const Carved& c : carved_rooms()) {
        const auto [reached, floor] = reached_and_floor(c.room);
        EXPECT_GT(floor, 0) << where(c);
        EXPECT_EQ(reached, floor) << where(c) << testing::PrintToString(c.room);
    }
}

TEST(RoomCarving, NoInsideWallOfARoomStandsAlone)
{
    for (const Carved& c : carved_rooms())
        for (int r = 1; r < c.rows - 1; ++r)
            for (int col = 1; col < c.cols - 1; ++col) {
                const Rows& g = c.room;
                if (g[r][col] != '#') continue;
                const int beside =
                    (g[r - 1][col] == '#') + (g[r + 1][col] == '#') + (g[r][col - 1] == '#') + (g[r][col + 1] == '#');
                EXPECT_GT(beside, 0) << where(c) << " row " << r << " column " << col;
            }
}

// A room repeats itself left to right, top to bottom or turned half round,
// but about one in three takes a piece of wall the symmetry does not repeat
// (it may fall on wall already, so somewhat fewer show it).
// Two rooms in three have a notch cut into each inside corner.
TEST(RoomCarving, MostRoomsHaveTheirCornersNotched)
{
    const auto notched = [](const Carved& c) {
        const int last_row = c.rows - 2, last_col = c.cols - 2;
        return c.room[1][1] == '#' && c.room[1][last_col] == '#' && c.room[last_row][1] == '#' &&
               c.room[last_row][last_col] == '#';
    };
    const auto& rooms = carved_rooms();
    const auto count = std::count_if(rooms.begin(), rooms.end(), notched);
    EXPECT_THAT(static_cast<double>(count) / rooms.size(), testing::Ge(0.6));
}

TEST(RoomCarving, NowAndThenARoomBreaksItsSymmetry)
{
    const auto symmetric = [](const Rows& g) {
        Rows mirrored = g, flipped(g.rbegin(), g.rend());
        for (std::string& row : mirrored)
            std::reverse(row.begin(), row.end());
        Rows turned = flipped;
        for (std::string& row : turned)
            std::reverse(row.begin(), row.end());
        return mirrored == g || flipped == g || turned == g;
    };
    const auto& rooms = carved_rooms();
    const auto broken = std::count_if(rooms.begin(), rooms.end(), [&](const Carved& c) { return !symmetric(c.room); });
    EXPECT_THAT(static_cast<double>(broken) / rooms.size(), testing::AllOf(testing::Ge(0.1), testing::Le(1.0 / 3)));
}

TEST(RoomCarving, DroppingSpecksKeepsOnlyWallsWithAWallBeside)
{
    const struct {
        const char* what;
        Rows before, after;
    } cases[] = {
        {"a lone wall goes",
         {"#####", "#---#", "#-#-#", "#---#", "#####"},
         {"#####", "#---#", "#---#", "#---#", "#####"}},
        {"walls touching only by a corner both go",
         {"######", "#----#", "#-#--#", "#--#-#", "#----#", "######"},
         {"######", "#----#", "#----#", "#----#", "#----#", "######"}},
        {"a pair stays",
         {"######", "#----#", "#-##-#", "#----#", "######"},
         {"######", "#----#", "#-##-#", "#----#", "######"}},
        {"a wall by the border stays",
         {"#####", "#---#", "#--##", "#---#", "#####"},
         {"#####", "#---#", "#--##", "#---#", "#####"}},
        // The border is open beside these two, as it never is in a room.
        {"a lone wall in the last inside row goes",
         {"#####", "#---#", "#---#", "#-#-#", "##-##"},
         {"#####", "#---#", "#---#", "#---#", "##-##"}},
        {"a lone wall in the last inside column goes",
         {"#####", "#---#", "#--#-", "#---#", "#####"},
         {"#####", "#---#", "#----", "#---#", "#####"}},
        {"a lone wall by treasures and banks goes",
         {"#####", "#-$-#", "#.#*#", "#-@-#", "#####"},
         {"#####", "#-$-#", "#.-*#", "#-@-#", "#####"}},
    };
    for (const auto& c : cases) {
        Rows room = c.before;
        drop_specks(room);
        EXPECT_EQ(room, c.after) << c.what;
    }
}

TEST(RoomCarving, KeepingTheLargestAreaWallsUpTheOthers)
{
    const struct {
        const char* what;
        Rows before, after;
    } cases[] = {
        {"the smaller area is walled",
         {"#######", "#--#--#", "#--#-##", "#######"},
         {"#######", "#--####", "#--####", "#######"}},
        {"areas touching by a corner are two",
         {"#####", "#-###", "##--#", "#####"},
         {"#####", "#####", "##--#", "#####"}},
        {"of two as large the first stays", {"#####", "#-#-#", "#####"}, {"#####", "#-###", "#####"}},
        // The end of one row and the start of the next are not neighbours.
        {"a row's end is not beside the next row's start", {"#--", "-##"}, {"#--", "###"}},
        {"a row's start is not beside the row above's end", {"-#-", "-##"}, {"-##", "-##"}},
        {"treasures, banks and the player are floor",
         {"#######", "#$.#@-#", "#####-#", "#######"},
         {"#######", "####@-#", "#####-#", "#######"}},
    };
    for (const auto& c : cases) {
        Rows room = c.before;
        keep_largest_area(room);
        EXPECT_EQ(room, c.after) << c.what;
    }
}

} // namespace

// Damaged score files, made by deterministic random mutation of a good one:
// the reader keeps what the file holds, stops at its end, and whenever it
// replaces a file it keeps the old bytes as the .bad copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "fuzz/file_exercises.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class Score_mutation : public Map_test
{
};

TEST_F(Score_mutation, DamagedScoreFilesNeverLoseTheirBytes)
{
    const Bytes header = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n'};
    Bytes good = header;
    good.push_back(3);
    for (int i = 0; i < 3; ++i) {
        Score_entry e{0, {'A', char('a' + i)}, 10 * i + 3, {24, 6}, uint16_t(100 + i), 0, 60 * i};
        good.insert(good.end(), reinterpret_cast<uint8_t*>(&e), reinterpret_cast<uint8_t*>(&e + 1));
    }
    std::mt19937 rng(26);
    std::string dir = path("score_mutation"), file = dir + "/Zandrek.score";
    fs::create_directories(dir);
    int replaced = 0, kept = 0;
    for (int round = 0; round < 120; ++round) {
        Bytes b = good;
        switch (rng() % 4) {
        case 0: b[rng() % b.size()] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 1: b.resize(rng() % b.size()); break;
        case 2: b[10] = static_cast<uint8_t>(rng()); break; // the count byte
        default: b[rng() % 11] = static_cast<uint8_t>(rng()); break;
        }
        offscreen_reset();
        fs::remove(file + ".bad");
        ASSERT_TRUE(write_input(file, b.data(), b.size()));
        Game_state state;
        bool header_ok = b.size() >= header.size() && std::equal(header.begin(), header.end(), b.begin());
        ASSERT_TRUE(exercise_score(state, file)) << "round " << round;
        EXPECT_TRUE(box_texts().empty());
        size_t count = b.size() > 10 ? b[10] : 0, whole_records = b.size() > 11 ? (b.size() - 11) / 40 : 0;
        EXPECT_EQ(state.players.size(), header_ok ? std::min(count, whole_records) : 0) << "round " << round;
        EXPECT_EQ(file_bytes(file + ".bad"), header_ok ? Bytes() : b) << "round " << round;
        (header_ok ? kept : replaced) += 1;
    }
    EXPECT_GT(replaced, 25);
    EXPECT_GT(kept, 25);
}

} // namespace

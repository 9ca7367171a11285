// Damaged score files, made by deterministic random mutation of a good one:
// the reader keeps what the file holds, stops at its end, and whenever it
// replaces a file it keeps the old bytes as the .bad copy.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "fuzz/file_exercises.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes good_score_file()
{
    Bytes b = {'Z', 'A', 'N', 'D', 'S', 'C', 'O', 'R', 'E', '\n', 3};
    const char* names[] = {"Anne", "Bob", "Carol"};
    for (int i = 0; i < 3; ++i) {
        Score_entry e{};
        std::strcpy(e.name, names[i]);
        e.level = 10 * i + 3;
        e.carried[0] = 24;
        e.carried[1] = 6;
        e.moves = static_cast<uint16_t>(100 + i);
        e.seconds = 60 * i;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&e);
        b.insert(b.end(), p, p + sizeof e);
    }
    return b;
}

class Score_mutation : public Map_test
{
};

TEST_F(Score_mutation, DamagedScoreFilesNeverLoseTheirBytes)
{
    const Bytes good = good_score_file();
    std::mt19937 rng(26);
    std::string dir = path("score_mutation");
    fs::create_directories(dir);
    std::string file = (fs::path(dir) / "Zandrek.score").string();
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
        std::error_code ec;
        fs::remove(file + ".bad", ec);
        ASSERT_TRUE(write_input(file, b.data(), b.size()));
        Game_state state;
        std::vector<Score_entry> expected;
        bool header_ok = parse_score_bytes(b.data(), b.size(), expected) == 0;
        ASSERT_TRUE(exercise_score(state, file)) << "round " << round;
        EXPECT_TRUE(box_texts().empty());
        if (header_ok) {
            ++kept;
            size_t count = b.size() > 10 ? b[10] : 0;
            size_t whole_records = b.size() > 11 ? (b.size() - 11) / sizeof(Score_entry) : 0;
            EXPECT_EQ(state.players.size(), std::min(count, whole_records));
            EXPECT_FALSE(fs::exists(file + ".bad"));
        } else {
            ++replaced;
            EXPECT_EQ(state.num_players, 0);
            EXPECT_EQ(file_bytes(file + ".bad"), b) << "round " << round;
        }
    }
    EXPECT_GT(replaced, 25);
    EXPECT_GT(kept, 25);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace

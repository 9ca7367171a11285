// Damaged packs: cut, stuffed with NUL bytes and endless lines, or mutated
// at random. Every reading either fails or gives a sound pack, and the game
// plays what it accepts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "files/pack_reader.h"
#include "map_fixture.h"
#include "pack_check.h"
#include "tools/authoring/tool_game.h"

namespace
{

std::unique_ptr<Pack_info> read_text(const std::string& text)
{
    return read_pack_bytes(text.data(), text.size());
}

TEST(PackMutation, CutAtEveryByteNulBytesAndEndlessLines)
{
    // A small pack with every kind of record, so that cutting it at every byte stays quick.
    const std::string full = "Zandrek Pack\r\nName: Small\r\nAbout:\r\nA pack.\r\nend\r\n"
                             "Tile:\r\nName: t\r\nWidth: 2\r\nHeight: 2\r\nImagery:\r\n1 2\r\n3 4\r\nend\r\nend\r\n"
                             "BigTile:\r\nName: b\r\nWidth: 1\r\nHeight: 1\r\nImagery:\r\n9\r\nend\r\nend\r\n"
                             "Sound:\r\nName: s\r\nSpeed: 8000\r\nSampleSize: 8\r\nNumSamples: 3\r\nData:\r\nijAh\r\n"
                             "end\r\nend\r\nLevel:\r\nName: One\r\nWall: t\r\nLayout:\r\n#####\r\n#@$.#\r\n#####\r\n"
                             "end\r\nSolution:\r\n>\r\nend\r\nAbout:\r\nText.\r\nend\r\nend\r\n"
                             "Level:\r\nName: Two\r\nLayout:\r\n######\r\n#@$-.#\r\n######\r\nend\r\nend\r\n";
    ASSERT_NE(read_text(full), nullptr);
    // Once the last Level: line is whole, any shorter file leaves that level unfinished.
    const size_t last_level = full.find('\n', full.rfind("Level:"));
    for (size_t n = 0; n < full.size(); ++n) {
        std::unique_ptr<Pack_info> pack = read_text(full.substr(0, n));
        EXPECT_TRUE(pack == nullptr ||
                    (n <= last_level && pack_invariant_failure(*pack).empty() && pack->num_levels == 1))
            << "cut at " << n;
    }

    const char bytes[] = "Zandrek Pack\nName: Nul\0led\nLevel:\nName: A\0B\nLayout:\n#@\0$.#\nend\0junk\nend\nend\n";
    auto nul = read_text(std::string(bytes, sizeof bytes - 1));
    ASSERT_NE(nul, nullptr);
    EXPECT_EQ(std::string(nul->name) + nul->levels->name + std::string(nul->levels->layout[0], 3), "NulA#@ ");

    std::string long_line(5000, 'x');
    auto pack = read_text("Zandrek Pack\n" + long_line + "\nLevel:\nName: " + long_line + "\nLayout:\n" + long_line +
                          "\n#@$.#" + long_line + "\nend\nSolution:\n" + std::string(3000, '>') + "\nend\nAbout:\n" +
                          long_line + "\nend\nend\n");
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack_invariant_failure(*pack), "");
    EXPECT_EQ(std::string(pack->levels->name), std::string(79, 'x'));
    EXPECT_EQ(pack->levels->solution, std::string(3000, '>'));
    // The long layout line comes in 255-character pieces, each a row of its own.
    EXPECT_EQ(std::string(pack->levels->layout[15], 5), "     ");
}

// Random damage to the sample pack: byte flips, NULs, line ends, cut and
// doubled spans, long runs. Whatever is read builds into boards that play
// their solutions; a file and the same bytes in memory read alike.
TEST(PackMutation, RandomDamageToTheSamplePack)
{
    const std::vector<uint8_t> bytes = file_bytes("assets/packs/lantern_docks.zrp");
    const std::string original(bytes.begin(), bytes.end());
    ASSERT_FALSE(original.empty()) << "run the tests from the repository root";
    Tool_game game;
    ASSERT_EQ(open_tool_game(game), 0) << game.error;
    offscreen().recording = false; // the boards still build and play; only the pictures are skipped
    offscreen().draw_available = false;
    const std::string path = temp_path("mutated.zrp");
    std::mt19937 random(20261206);
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(random() % n) : 0; };
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = original;
        for (int e = 1 + static_cast<int>(pick(6)); e > 0 && !text.empty(); --e) {
            size_t at = pick(text.size());
            switch (pick(7)) {
            case 0: text[at] = static_cast<char>(random()); break;
            case 1: text[at] = '\0'; break;
            case 2: text.insert(at, 1, pick(2) ? '\n' : '\r'); break;
            case 3: text.erase(at, pick(200)); break;
            case 4: text.insert(at, text.substr(at, pick(400))); break;
            case 5: text.insert(at, std::string(pick(3000), "x- #$\t"[pick(6)])); break;
            case 6: text.resize(at); break;
            }
        }
        std::unique_ptr<Pack_info> pack = read_text(text);
        if (round % 20 == 0) {
            write_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
            Game_state state;
            ASSERT_EQ(read_pack(state, path.c_str()) == 0, pack != nullptr) << "round " << round;
            EXPECT_TRUE(!pack || state.packs->num_levels == pack->num_levels) << "round " << round;
        }
        if (!pack) continue;
        accepted += 1;
        ASSERT_EQ(pack_invariant_failure(*pack), "") << "round " << round;
        Pack_info* added = append_pack(game.state, std::move(pack));
        for (Level_info* level = added->levels.get(); level; level = level->next.get()) {
            enter_tool_level(game, *added, level->number);
            play_moves(game.state, level->solution.substr(0, 400), true);
        }
    }
    std::remove(path.c_str());
    EXPECT_GT(accepted, 0);
}

} // namespace

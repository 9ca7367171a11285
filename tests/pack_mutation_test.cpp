#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "engine/level_progression.h"
#include "files/pack_reader.h"
#include "pack_check.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/tool_game.h"

namespace
{

const char SAMPLE_PACK[] = "assets/packs/lantern_docks.zrp";

std::string file_bytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<Pack_info> read_text(const std::string& text)
{
    return read_pack_bytes(text.data(), text.size());
}

// A small pack with every kind of record, so that cutting it at every byte stays quick.
const char SMALL_PACK[] = "Zandrek Pack\r\n"
                          "Name: Small\r\n"
                          "About:\r\nA pack.\r\nend\r\n"
                          "Tile:\r\nName: t\r\nWidth: 2\r\nHeight: 2\r\nImagery:\r\n1 2\r\n3 4\r\nend\r\nend\r\n"
                          "BigTile:\r\nName: b\r\nWidth: 1\r\nHeight: 1\r\nImagery:\r\n9\r\nend\r\nend\r\n"
                          "Sound:\r\nName: s\r\nSpeed: 8000\r\nSampleSize: 8\r\nNumSamples: 3\r\nData:\r\nijAh\r\n"
                          "end\r\nend\r\n"
                          "Level:\r\nName: One\r\nWall: t\r\nLayout:\r\n#####\r\n#@$.#\r\n#####\r\nend\r\n"
                          "Solution:\r\n>\r\nend\r\nAbout:\r\nText.\r\nend\r\nend\r\n"
                          "Level:\r\nName: Two\r\nLayout:\r\n######\r\n#@$-.#\r\n######\r\nend\r\nend\r\n";

TEST(PackMutation, CutAtEveryByte)
{
    const std::string full = SMALL_PACK;
    ASSERT_NE(read_text(full), nullptr);
    // Once the last Level: line is whole, any shorter file leaves that level unfinished.
    const size_t last_level = full.find('\n', full.rfind("Level:"));
    for (size_t n = 0; n < full.size(); ++n) {
        std::unique_ptr<Pack_info> pack = read_text(full.substr(0, n));
        if (n > last_level) {
            EXPECT_EQ(pack, nullptr) << "cut at " << n;
        } else if (pack) {
            EXPECT_EQ(pack_invariant_failure(*pack), "") << "cut at " << n;
            EXPECT_EQ(pack->num_levels, 1) << "cut at " << n;
        }
    }
}

TEST(PackMutation, NulBytesEndTheirLine)
{
    const char bytes[] = "Zandrek Pack\nName: Nul\0led\nLevel:\nName: A\0B\nLayout:\n#@\0$.#\nend\0junk\nend\nend\n";
    std::string text(bytes, sizeof bytes - 1);
    auto pack = read_text(text);
    ASSERT_NE(pack, nullptr);
    EXPECT_STREQ(pack->name, "Nul");
    EXPECT_STREQ(pack->levels->name, "A");
    EXPECT_EQ(std::string(pack->levels->layout[0], 3), "#@ ");
    EXPECT_EQ(pack->levels->num_treasures, 0);
    // A NUL in the header is not the header.
    const char nul_bytes[] = "Zandrek\0Pack\nLevel:\nLayout:\n#\nend\nend\n";
    std::string nul_header(nul_bytes, sizeof nul_bytes - 1);
    EXPECT_EQ(read_text(nul_header), nullptr);
}

TEST(PackMutation, LinesOfThousandsOfCharacters)
{
    std::string long_line(5000, 'x');
    std::string text = "Zandrek Pack\n" + long_line + "\nLevel:\nName: " + long_line + "\nLayout:\n" + long_line +
                       "\n#@$.#" + long_line + "\nend\nSolution:\n" + std::string(3000, '>') + "\nend\nAbout:\n" +
                       long_line + "\nend\nend\n";
    auto pack = read_text(text);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack_invariant_failure(*pack), "");
    EXPECT_EQ(pack->num_levels, 1);
    EXPECT_EQ(std::string(pack->levels->name), std::string(79, 'x'));
    EXPECT_EQ(pack->levels->solution, std::string(3000, '>'));
    // The long layout line comes in 255-character pieces, each a row of its own.
    EXPECT_EQ(std::string(pack->levels->layout[0], 5), "     ");
    EXPECT_EQ(std::string(pack->levels->layout[16 - 1], 5), "     ");
}

TEST(PackMutation, TenThousandLevels)
{
    std::string text = "Zandrek Pack\n";
    for (int i = 1; i <= 10000; ++i)
        text += "Level:\nName: L" + std::to_string(i) + "\nLayout:\n####\n#@$.#\n####\nend\nend\n";
    auto pack = read_text(text);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack->num_levels, 10000);
    EXPECT_EQ(pack_invariant_failure(*pack), "");
    EXPECT_STREQ(pack_level(*pack, 10000)->name, "L10000");
}

// Random damage to the sample pack: byte flips, NULs, line ends, cut and
// doubled spans, long runs. Every reading either fails or gives a sound pack,
// whose levels then build into boards and play their solutions.
TEST(PackMutation, RandomDamageToTheSamplePack)
{
    const std::string original = file_bytes(SAMPLE_PACK);
    ASSERT_FALSE(original.empty()) << "run the tests from the repository root";
    Tool_game game;
    ASSERT_EQ(open_tool_game(game), 0) << game.error;
    offscreen().recording = false; // the boards still build and play; only the pictures are skipped
    offscreen().draw_available = false;

    std::mt19937 random(20261206);
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(random() % n) : 0; };
    int accepted = 0;
    for (int round = 0; round < 800; ++round) {
        std::string text = original;
        int edits = 1 + static_cast<int>(pick(6));
        for (int e = 0; e < edits && !text.empty(); ++e) {
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
        if (!pack) continue;
        accepted += 1;
        ASSERT_EQ(pack_invariant_failure(*pack), "") << "round " << round;
        Pack_info* added = append_pack(game.state, std::move(pack));
        for (Level_info* level = added->levels.get(); level; level = level->next.get()) {
            enter_tool_level(game, *added, level->number);
            play_moves(game.state, level->solution.substr(0, 400), true);
        }
    }
    EXPECT_GT(accepted, 0);
}

TEST(PackMutation, FileAndMemoryReadAlike)
{
    const std::string original = file_bytes(SAMPLE_PACK);
    std::mt19937 random(7);
    auto path = std::filesystem::temp_directory_path() / ("zandrek-mutation-" + std::to_string(random()) + ".zrp");
    for (int round = 0; round < 20; ++round) {
        std::string text = original.substr(0, original.size() - static_cast<size_t>(random() % 4000));
        text[random() % text.size()] = '\n';
        {
            std::ofstream out(path, std::ios::binary);
            out << text;
        }
        Game_state state;
        int from_file = read_pack(state, path.string().c_str());
        std::unique_ptr<Pack_info> from_memory = read_text(text);
        ASSERT_EQ(from_file == 0, from_memory != nullptr) << "round " << round;
        if (from_memory) {
            EXPECT_EQ(state.packs->num_levels, from_memory->num_levels);
        }
    }
    std::filesystem::remove(path);
}

} // namespace

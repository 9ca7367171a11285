#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "engine/game_state.h"
#include "files/pack_reader.h"
#include "files/pack_records.h"
#include "shell/platform_offscreen.h"

namespace
{

const char LEVEL[] = "Level:\nLayout:\n#@$.#\nend\nend\n";

std::unique_ptr<Pack_info> read_text(const std::string& text, Pack_diagnostic* d = nullptr)
{
    return read_pack_bytes(text.data(), text.size(), d);
}

std::string temp_path(const char* tag)
{
    // Test cases run as separate processes, side by side: the name must differ between them.
    static int counter = 0;
    static const unsigned run = std::random_device{}();
    return (std::filesystem::temp_directory_path() /
            ("zandrek-pack-test-" + std::to_string(run) + "-" + std::to_string(++counter) + tag + ".zrp"))
        .string();
}

struct Temp_file {
    std::string path;
    Temp_file(const std::string& text, const char* tag = "") : path(temp_path(tag))
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    ~Temp_file() { std::remove(path.c_str()); }
};

TEST(PackReader, SmallestPack)
{
    for (const char* header : {"Zandrek Pack\n", "Zandrek Pack\r\n"}) {
        auto pack = read_text(std::string(header) + LEVEL);
        ASSERT_NE(pack, nullptr) << header;
        EXPECT_STREQ(pack->name, "Untitled");
        EXPECT_EQ(pack->num_levels, 1);
        EXPECT_EQ(pack->highest_level, 1);
        ASSERT_NE(pack->levels, nullptr);
        EXPECT_STREQ(pack->levels->name, "Untitiled");
        EXPECT_EQ(pack->levels->number, 1);
    }
}

TEST(PackReader, HeaderMustBeExact)
{
    for (const char* header : {"Zandrek Pack \n", " Zandrek Pack\n", "Zandrek pack\n", "Zandrek Pack\r\r\n",
                               "Zandrek Pack", "", "Zandrek Pack\n\n"}) {
        std::string text = header;
        if (text != "Zandrek Pack\n\n") text += LEVEL;
        Pack_diagnostic d;
        bool blank_line_after = text == "Zandrek Pack\n\n";
        auto pack = read_text(text, &d);
        EXPECT_EQ(pack, nullptr) << header;
        if (!blank_line_after) {
            EXPECT_EQ(d.record, "header") << header;
        }
    }
}

TEST(PackReader, UnreadablePacksNameTheRecordAndLine)
{
    Pack_diagnostic d;
    EXPECT_EQ(read_text("Zandrek Pack\nName: Empty\n", &d), nullptr);
    EXPECT_EQ(d.reason, "the pack holds no level");

    // The last end without its line end leaves the level unfinished.
    std::string text = std::string("Zandrek Pack\n") + LEVEL + "Level:\nLayout:\n#@$.#\nend\nend";
    EXPECT_EQ(read_text(text, &d), nullptr);
    EXPECT_EQ(d.record, "Level 2");
    EXPECT_EQ(d.record_line, 7);
    EXPECT_EQ(d.line, 11);

    for (const char* record : {"Tile:\nWidth: 1\n", "BigTile:\nName: x\n", "Sound:\nSpeed: 1\n", "About:\ntext\n",
                               "Tile:\nWidth: none\nend\n", "Sound:\nNumSamples:\nend\n"}) {
        EXPECT_EQ(read_text(std::string("Zandrek Pack\n") + LEVEL + record, &d), nullptr) << record;
        EXPECT_EQ(d.record_line, 7) << record;
    }
    EXPECT_EQ(describe_pack_failure("p.zrp", d),
              "p.zrp: line 8: a size line holds no number (Sound starting at line 7)");
}

TEST(PackReader, StrayLinesBetweenRecordsAreIgnored)
{
    auto pack = read_text("Zandrek Pack\n"
                          "\n"
                          " Level:\n"
                          "Levels of fun\n"
                          "level: lower case\n"
                          "end\n"
                          "remark\n" +
                          std::string(LEVEL) + "end\n");
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack->num_levels, 1);
}

TEST(PackReader, LevelsAreNumberedInFileOrder)
{
    auto pack = read_text(std::string("Zandrek Pack\nName: First\n") + LEVEL + "About:\nPack text\nendnote\n" + LEVEL +
                          "Name: Second\nAbout:\nMore\nend\n" + LEVEL);
    ASSERT_NE(pack, nullptr);
    EXPECT_STREQ(pack->name, "Second");
    EXPECT_EQ(pack->num_levels, 3);
    int expected = 1;
    for (Level_info* l = pack->levels.get(); l; l = l->next.get())
        EXPECT_EQ(l->number, expected++);
    ASSERT_NE(pack->about, nullptr);
    EXPECT_EQ(pack->about->text, "Pack text\n");
    ASSERT_NE(pack->about->next, nullptr);
    EXPECT_EQ(pack->about->next->text, "More\n");
    EXPECT_EQ(pack_level(*pack, 0)->number, 1);
    EXPECT_EQ(pack_level(*pack, 99)->number, 3);
}

TEST(PackReader, OverlongNameIsCut)
{
    auto pack = read_text("Zandrek Pack\nName: " + std::string(100, 'p') + "\n" + LEVEL);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(std::string(pack->name), std::string(79, 'p'));
}

TEST(PackReader, LinesBetweenRecordsAreTakenIn127CharacterPieces)
{
    // The piece after the first 127 characters starts with "Level:" and so opens a level.
    std::string text = "Zandrek Pack\n" + std::string(127, '-') + "Level:\nLayout:\n#@#\nend\nend\n";
    auto pack = read_text(text);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack->num_levels, 1);
    // At 126 the same line is one piece and is ignored: no level at all.
    EXPECT_EQ(read_text("Zandrek Pack\n" + std::string(126, '-') + "Level:\nLayout:\n#@#\nend\nend\n"), nullptr);
}

TEST(PackReader, TileOrderBigTilesFirstLatestFirst)
{
    const char tile_a[] = "Tile:\nName: a\nWidth: 1\nend\n";
    const char tile_b[] = "Tile:\nName: a\nWidth: 2\nend\n";
    const char big_a[] = "BigTile:\nName: a\nWidth: 3\nend\n";
    const char big_a2[] = "BigTile:\nName: a\nWidth: 4\nend\n";
    auto pack = read_text(std::string("Zandrek Pack\n") + tile_a + big_a + LEVEL + tile_b + big_a2);
    ASSERT_NE(pack, nullptr);
    std::vector<int> widths;
    for (Pack_tile* t = pack->tiles.get(); t; t = t->next.get())
        widths.push_back(t->width);
    EXPECT_EQ(widths, (std::vector<int>{4, 3, 1, 2}));
    EXPECT_EQ(find_pack_tile(*pack, "a")->width, 4);

    auto reversed = read_text(std::string("Zandrek Pack\n") + big_a + tile_a + LEVEL);
    ASSERT_NE(reversed, nullptr);
    EXPECT_EQ(find_pack_tile(*reversed, "a")->width, 3);
    auto tiles_only = read_text(std::string("Zandrek Pack\n") + tile_a + tile_b + LEVEL);
    EXPECT_EQ(find_pack_tile(*tiles_only, "a")->width, 1);
}

TEST(PackReader, UnnamedTileServesEveryUnnamedReference)
{
    auto pack = read_text(std::string("Zandrek Pack\nTile:\nWidth: 1\nHeight: 1\nImagery:\n7\nend\nend\n"
                                      "Sound:\nName: ding\nend\n") +
                          LEVEL);
    ASSERT_NE(pack, nullptr);
    Level_info& level = *pack->levels;
    for (Tile_ref* ref :
         {&level.treasure_tile, &level.bank_treasure_tile, &level.wall_tile, &level.floor_tile, &level.bank_tile})
        EXPECT_EQ(resolve_tile(*pack, *ref), pack->tiles.get());
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), nullptr); // no sound is named "Untitled"
    std::snprintf(level.start_sound.name, sizeof level.start_sound.name, "ding");
    EXPECT_EQ(resolve_sound(*pack, level.start_sound), pack->sounds.get());
}

TEST(PackReader, FilesAreReadAsBytesAndAppendedInOrder)
{
    std::string text = std::string("Zandrek Pack\r\nName: Alpha\r\n") + "Level:\r\nLayout:\r\n#@$.#\r\nend\r\nend\r\n";
    Temp_file a(text, "a"), b("Zandrek Pack\nName: Beta\n" + std::string(LEVEL), "b"), bad("not a pack\n", "c");
    Game_state state;
    offscreen_reset();
    EXPECT_EQ(read_pack(state, a.path.c_str()), 0);
    EXPECT_EQ(read_pack(state, bad.path.c_str()), 1);
    EXPECT_TRUE(offscreen().calls.empty()); // an unreadable pack is left out without a word
    Pack_diagnostic d;
    EXPECT_EQ(read_pack(state, (a.path + ".missing").c_str(), &d), 1);
    EXPECT_EQ(d.reason, "the file cannot be opened");
    EXPECT_EQ(read_pack(state, b.path.c_str()), 0);
    ASSERT_NE(state.packs, nullptr);
    EXPECT_STREQ(state.packs->name, "Alpha");
    EXPECT_EQ(state.packs->number, 1);
    ASSERT_NE(state.packs->next, nullptr);
    EXPECT_STREQ(state.packs->next->name, "Beta");
    EXPECT_EQ(state.packs->next->number, 2);
    EXPECT_EQ(state.packs->next->next, nullptr);
    EXPECT_EQ(std::string(state.packs->levels->layout[0], 5), "#@$.#");
}

TEST(PackReader, LargeFilesReadAcrossBufferBoundaries)
{
    std::string text = "Zandrek Pack\n";
    for (int i = 0; i < 3000; ++i)
        text += "Level:\nName: Level " + std::to_string(i + 1) + "\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";
    Temp_file file(text);
    Game_state state;
    ASSERT_EQ(read_pack(state, file.path.c_str()), 0);
    EXPECT_EQ(state.packs->num_levels, 3000);
    EXPECT_STREQ(pack_level(*state.packs, 3000)->name, "Level 3000");
    EXPECT_EQ(std::string(pack_level(*state.packs, 2345)->layout[1], 5), "#@$.#");
}

} // namespace

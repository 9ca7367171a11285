#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "files/asset_discovery.h"
#include "files/directory_search.h"
#include "map_fixture.h"
#include "shell/platform_offscreen.h"

namespace
{

namespace fs = std::filesystem;

const char GOOD_PACK[] = "Zandrek Pack\nName: %s\nLevel:\nLayout:\n#####\n#@$.#\n#####\nend\nend\n";

// Runs each test inside a fresh working directory, as the game runs in its own.
class Asset_discovery : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        home = fs::current_path();
        dir = path("assets_dir");
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override
    {
        if (state.map_file) std::fclose(state.map_file);
        state.map_file = nullptr;
        fs::current_path(home);
        std::error_code ec;
        fs::remove_all(dir, ec);
        Map_test::TearDown();
    }
    void put_pack(const std::string& name, const std::string& title)
    {
        char text[256];
        std::snprintf(text, sizeof text, GOOD_PACK, title.c_str());
        std::ofstream(name, std::ios::binary) << text;
    }
    std::vector<std::string> pack_names()
    {
        std::vector<std::string> out;
        for (Pack_info* p = state.packs.get(); p; p = p->next.get())
            out.push_back(std::to_string(p->number) + " " + p->name);
        return out;
    }
    fs::path home;
    std::string dir;
};

TEST_F(Asset_discovery, FileNamesAreRelativeToTheWorkingDirectory)
{
    EXPECT_EQ(set_file_names(state), 0);
    EXPECT_EQ(state.map_file_name, "Zandrek.map");
    EXPECT_EQ(state.score_file_name, "Zandrek.score");
}

TEST_F(Asset_discovery, MapAndNoPacksStartsWithBuiltInLevelsOnly)
{
    ASSERT_EQ(write_map_file(small_map_contents(), "Zandrek.map"), 0);
    set_file_names(state);
    ASSERT_EQ(load_assets(state), 0);
    EXPECT_NE(state.map_file, nullptr);
    EXPECT_EQ(state.packs, nullptr);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Asset_discovery, DamagedPacksAreLeftOutAndTheRestNumberedInOrder)
{
    ASSERT_EQ(write_map_file(small_map_contents(), "Zandrek.map"), 0);
    put_pack("a.zrp", "First");
    std::ofstream("b.zrp", std::ios::binary) << "Zandrek Pack\nLevel:\nLayout:\n#@#\n"; // never ends
    put_pack("c.zrp", "Third");
    put_pack("d.txt", "Not a pack name");
    fs::create_directories("e.zrp");
    set_file_names(state);
    ASSERT_EQ(load_assets(state), 0);
    // The order is the platform's; the numbers follow it.
    std::vector<std::string> names = pack_names();
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE((names == std::vector<std::string>{"1 First", "2 Third"}) ||
                (names == std::vector<std::string>{"1 Third", "2 First"}));
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Asset_discovery, MissingMapEndsLoadingBeforeAnyPack)
{
    put_pack("a.zrp", "First");
    set_file_names(state);
    EXPECT_EQ(load_assets(state), -1);
    EXPECT_EQ(box_texts(), std::vector<std::string>{"Can't open Zandrek.map for reading"});
    EXPECT_EQ(state.packs, nullptr);
}

TEST_F(Asset_discovery, OverlongPackNamesAreCutAndSoLeftOut)
{
    ASSERT_EQ(write_map_file(small_map_contents(), "Zandrek.map"), 0);
    put_pack(std::string(130, 'p') + ".zrp", "Long");
    put_pack(std::string(100, 'q') + ".zrp", "Fits");
    set_file_names(state);
    ASSERT_EQ(load_assets(state), 0);
    EXPECT_EQ(pack_names(), std::vector<std::string>{"1 Fits"});
}

TEST_F(Asset_discovery, SearchDeliversEveryNameOnceThenStops)
{
    put_pack("b.zrp", "B");
    put_pack("a.zrp", "A");
    char name[128];
    EXPECT_EQ(find_next(name, sizeof name), -1); // no search yet
    find_first("*.zrp");
    ASSERT_EQ(find_next(name, sizeof name), 0);
    std::string first = name;
    ASSERT_EQ(find_next(name, sizeof name), 0);
    std::string second = name;
    EXPECT_EQ(find_next(name, sizeof name), -1);
    EXPECT_EQ(first == "a.zrp" ? second : first, "b.zrp");

    find_first("*.zrp");
    char small[3];
    ASSERT_EQ(find_next(small, sizeof small), 0);
    EXPECT_EQ(std::string(small).size(), 2u);
    find_first("*.none"); // a new search closes the old one
    EXPECT_EQ(find_next(name, sizeof name), -1);
}

} // namespace

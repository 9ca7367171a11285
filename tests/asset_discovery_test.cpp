// Start-up's search for the game's data in the working directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "files/asset_discovery.h"
#include "files/directory_search.h"
#include "map_fixture.h"

namespace
{

namespace fs = std::filesystem;

// Each test runs inside a fresh working directory, as the game runs in its own.
class Asset_discovery : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        home = fs::current_path();
        fs::create_directories(path("assets_dir"));
        fs::current_path(paths.back());
        set_file_names(state);
    }
    void TearDown() override
    {
        fs::current_path(home);
        Map_test::TearDown();
    }
    void put_pack(const std::string& name, const std::string& title, const char* levels = "#@$.#\nend\nend\n")
    {
        std::ofstream(name, std::ios::binary) << "Zandrek Pack\nName: " << title << "\nLevel:\nLayout:\n" << levels;
    }
    fs::path home;
};

TEST_F(Asset_discovery, TheMapThenEveryReadablePackNumberedInOrder)
{
    EXPECT_EQ(state.map_file_name, "Zandrek.map");
    EXPECT_EQ(state.score_file_name, "Zandrek.score");
    put_pack("a.zrp", "First");
    EXPECT_EQ(load_assets(state), -1); // no map: no pack is read
    EXPECT_EQ(box_texts(), std::vector<std::string>{"Can't open Zandrek.map for reading"});
    EXPECT_EQ(state.packs, nullptr);

    offscreen_reset();
    ASSERT_EQ(write_map_file(test_map_contents(), "Zandrek.map"), 0);
    put_pack("b.zrp", "Broken", "#@#\n"); // never ends
    put_pack("c.zrp", "Third");
    put_pack("d.txt", "Not a pack name");
    fs::create_directories("e.zrp");
    put_pack(std::string(130, 'p') + ".zrp", "Long"); // cut to the buffer, the name then names no file
    put_pack(std::string(100, 'q') + ".zrp", "Fits");
    ASSERT_EQ(load_assets(state), 0);
    EXPECT_NE(state.map_file, nullptr);
    EXPECT_TRUE(box_texts().empty());
    std::vector<std::string> names;
    int number = 0;
    for (Pack_info* p = state.packs.get(); p; p = p->next.get()) {
        EXPECT_EQ(p->number, ++number);
        names.push_back(p->name);
    }
    std::sort(names.begin(), names.end()); // the order is the platform's; the numbers follow it
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Fits", "Third"}));
}

TEST_F(Asset_discovery, SearchDeliversEveryNameOnceThenStops)
{
    put_pack("b.zrp", "B");
    put_pack("a.zrp", "A");
    put_pack("a.zrpx", "not matched");
    char name[128];
    find_first("*.none");
    EXPECT_EQ(find_next(name, sizeof name), -1);
    find_first("?.zrp");
    std::vector<std::string> found;
    while (find_next(name, sizeof name) == 0)
        found.push_back(name);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"a.zrp", "b.zrp"}));
    EXPECT_EQ(find_next(name, sizeof name), -1);

    find_first((fs::current_path() / "*.zrp").string().c_str());
    char small[3];
    ASSERT_EQ(find_next(small, sizeof small), 0);
    EXPECT_EQ(std::string(small).size(), 2u);
    find_first("*.none"); // a new search closes the old one
    EXPECT_EQ(find_next(name, sizeof name), -1);
}

} // namespace

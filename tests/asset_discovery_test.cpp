// Start-up's search for the game's data in the working directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "files/asset_discovery.h"
#include "map_fixture.h"
#include "shell/platform.h"

namespace
{

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Each test runs inside a fresh working directory, as the game runs in its own.
class Asset_discovery : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        fs::create_directories(path("assets_dir"));
        fs::current_path(paths.back());
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
    // Every name the search delivers, in its order, and then whether it stays ended.
    Names search_in_order(const std::string& pattern, size_t room = 128)
    {
        platform_find_first(pattern.c_str());
        Names found;
        for (char name[128] = "stale"; platform_find_next(name, room) == 0;)
            found.push_back(name);
        EXPECT_EQ(platform_find_next(nullptr, 0), -1);
        return found;
    }
    // Which names match is the promise; the order is the platform's own.
    Names search(const std::string& pattern, size_t room = 128)
    {
        Names found = search_in_order(pattern, room);
        std::sort(found.begin(), found.end());
        return found;
    }
    fs::path home = fs::current_path();
};

TEST_F(Asset_discovery, ReadablePacksNumberedInTheSearchOrder)
{
    EXPECT_EQ(set_file_names(state), 0);
    EXPECT_EQ(std::tie(state.map_file_name, state.score_file_name), std::make_tuple("Zandrek.map", "Zandrek.score"));
    put_pack("a.zrp", "First");
    File_diagnostics said;
    EXPECT_EQ(load_assets(state, said), -1); // no map: no pack is read, and the reader shows nothing itself
    std::vector<std::pair<Diagnostic_box, std::string>> seen;
    for (const File_diagnostic& d : said)
        seen.emplace_back(d.box, d.text);
    EXPECT_THAT(seen, testing::ElementsAre(testing::Pair(DIAGNOSTIC_ERROR, "Can't open Zandrek.map for reading")));
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(state.packs, nullptr);
    offscreen_reset();
    ASSERT_EQ(write_map_file(test_map_contents(), "Zandrek.map"), 0);
    put_pack("c.zrp", "Broken", "#@#\n"); // never ends
    put_pack("b.zrp", "Second");
    put_pack("d.txt", "Not a pack name");
    fs::create_directories("e.zrp");
    put_pack(std::string(130, 'p') + ".zrp", "Long"); // cut to the buffer, the name then names no file
    put_pack(std::string(100, 'q') + ".zrp", "Fits");
    said.clear();
    ASSERT_EQ(load_assets(state, said), 0);
    EXPECT_TRUE(said.empty() && box_texts().empty());
    Names names;
    for (Pack_info* p = state.packs.get(); p; p = p->next.get())
        names.push_back(p->name);
    // Packs are numbered in the order the directory search delivers them, unsorted.
    const std::map<std::string, std::string> readable = {
        {"a.zrp", "First"}, {"b.zrp", "Second"}, {std::string(100, 'q') + ".zrp", "Fits"}};
    Names expected;
    for (const std::string& file : search_in_order("*.zrp"))
        if (readable.count(file)) expected.push_back(readable.at(file));
    EXPECT_EQ(names, expected);
    // Patterns: '?' stands for one character, '*' for any run; a small buffer cuts the name.
    fs::remove("e.zrp"); // the Windows search lists folders too
    put_pack("a.zrpx", "not matched");
    EXPECT_EQ(search("?.zrp"), (Names{"a.zrp", "b.zrp", "c.zrp"}));
    EXPECT_EQ(search("?.zrp", 1), Names(3, "")); // room for the end alone
    platform_find_first("?.zrp");
    EXPECT_EQ(platform_find_next(nullptr, 0), 0); // no room: the name is passed over
    fs::remove("a.zrpx");                         // Windows matches its short name "A~1.ZRP" against "*.zrp"
    EXPECT_EQ(search((fs::current_path() / "*.zrp").string(), 3), (Names{"a.", "b.", "c.", "pp", "qq"}));
    platform_find_first("*.zrp"); // a new search closes the old one
    EXPECT_EQ(search("*.none"), Names{});
    EXPECT_EQ(search("*.t*t"), Names{"d.txt"});
}

} // namespace

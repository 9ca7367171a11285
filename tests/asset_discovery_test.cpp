// Start-up's search for the game's data in the working directory.
#include <gmock/gmock.h>

#include <fstream>

#include "files/asset_discovery.h"
#include "map_fixture.h"

namespace
{

using testing::ElementsAre;
using testing::Pair;

// Each test runs inside a fresh working directory, as the game runs in its own.
class Asset_discovery : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        enter_temp_folder();
    }
    void put_pack(const std::string& file, const std::string& title, const char* rows = "#@$.#\nend\nend\n")
    {
        std::ofstream(file, std::ios::binary) << "Zandrek Pack\nName: " << title << "\nLevel:\nLayout:\n" << rows;
    }
    // The packs read, as (number, name) in list order.
    std::vector<std::pair<int, std::string>> packs()
    {
        std::vector<std::pair<int, std::string>> out;
        for (Pack_info* p = state.packs.get(); p; p = p->next.get())
            out.emplace_back(p->number, p->name);
        return out;
    }
    File_diagnostics said;
};

// The search delivers file names in name order here; the packs follow it, whatever they are called inside.
TEST_F(Asset_discovery, ReadablePacksAreNumberedInTheOrderTheSearchGives)
{
    set_file_names(state);
    ASSERT_EQ(write_map_file(test_map_contents(), "Zandrek.map"), 0);
    put_pack("m.zrp", "Alpha");
    put_pack("c.zrp", "Broken", "#@#\n"); // never ends
    put_pack("b.zrp", "Zulu");
    put_pack("d.txt", "Not a pack name");
    put_pack(std::string(130, 'p') + ".zrp", "Long"); // cut to 127 characters, the name then names no file
    ASSERT_EQ(load_assets(state, said), 0);
    EXPECT_THAT(packs(), ElementsAre(Pair(1, "Zulu"), Pair(2, "Alpha")));
    EXPECT_TRUE(said.empty());
    EXPECT_THAT(box_texts(), ElementsAre());
}

} // namespace

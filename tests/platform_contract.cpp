// The promises of shell/platform.h, one case each, kept by whichever
// implementation is linked: the off-screen one in zandrek_tests. The Win32
// one runs the same cases in zandrek_win32_tests, with hooks of its own.
//
// The browser's implementation (shell/web/) runs them in the game's page,
// with hooks of its own (platform_contract_web.cpp, run by tests/web).
#include "tests/platform_contract.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/game_state.h"
#include "engine/timers.h"
#include "shell/platform.h"

namespace
{

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::UnorderedElementsAre;

class Platform_contract : public testing::Test
{
  protected:
    void SetUp() override { contract_start(); }
    void TearDown() override { contract_finish(); }
    // One second of 8-bit sound at 8000 samples a second, written to the device.
    bool play_one_second()
    {
        if (platform_wave_open(8000, 8) != 0) return false;
        header.data = samples.data();
        header.length = static_cast<uint32_t>(samples.size());
        return platform_wave_prepare(header) == 0 && platform_wave_write(header) == 0;
    }
    Names search(const char* pattern, size_t room = 64)
    {
        platform_find_first(pattern);
        Names found;
        for (char name[64] = "stale"; platform_find_next(name, room) == 0;)
            found.push_back(name);
        return found;
    }
    std::vector<uint8_t> samples = std::vector<uint8_t>(8000, 0x80);
    Wave_header header;
};

#define SKIP_WITHOUT_SOUND()                                                                                           \
    if (*contract_no_sound_because()) GTEST_SKIP() << contract_no_sound_because()

TEST_F(Platform_contract, AWrittenBufferIsNotDoneUntilItHasPlayed)
{
    SKIP_WITHOUT_SOUND();
    ASSERT_TRUE(play_one_second());
    EXPECT_EQ(header.flags & WAVE_DONE, 0u);
    contract_let_time_pass(1500);
    EXPECT_EQ(header.flags & WAVE_DONE, uint32_t{WAVE_DONE});
    platform_wave_unprepare(header);
    platform_wave_close();
}

// The game may take the buffer back once it is done: the device has let it go.
TEST_F(Platform_contract, ABufferDoneOnceIsNotMarkedAgain)
{
    SKIP_WITHOUT_SOUND();
    ASSERT_TRUE(play_one_second());
    contract_let_time_pass(1500);
    header.flags &= ~WAVE_DONE;
    contract_let_time_pass(100);
    EXPECT_EQ(header.flags & WAVE_DONE, 0u);
    platform_wave_unprepare(header);
    platform_wave_close();
}

TEST_F(Platform_contract, AResetMarksThePlayingBufferDone)
{
    SKIP_WITHOUT_SOUND();
    ASSERT_TRUE(play_one_second());
    EXPECT_EQ(platform_wave_reset(), 0);
    EXPECT_EQ(header.flags & WAVE_DONE, uint32_t{WAVE_DONE});
    platform_wave_unprepare(header);
    platform_wave_close();
}

TEST_F(Platform_contract, PrepareSetsThePreparedFlagUnprepareClearsIt)
{
    SKIP_WITHOUT_SOUND();
    ASSERT_EQ(platform_wave_open(8000, 8), 0);
    header.data = samples.data();
    header.length = 8;
    EXPECT_EQ(platform_wave_prepare(header), 0);
    EXPECT_EQ(header.flags & WAVE_PREPARED, uint32_t{WAVE_PREPARED});
    EXPECT_EQ(platform_wave_unprepare(header), 0);
    EXPECT_EQ(header.flags & WAVE_PREPARED, 0u);
    platform_wave_close();
}

TEST_F(Platform_contract, ANumberReadsBackAsStored)
{
    platform_reg_set_dword("contract number", 0xDEADBEEF);
    uint32_t value = 0;
    EXPECT_EQ(platform_reg_get_dword("contract number", &value), 1);
    EXPECT_EQ(value, 0xDEADBEEFu);
}

TEST_F(Platform_contract, TextReadsBackWithItsZerosAsStored)
{
    platform_reg_set_string("contract text", "ab\0c", 4);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(platform_reg_get_string("contract text", buffer, 4), 1);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0c", 4));
}

TEST_F(Platform_contract, TextLongerThanTheBufferCountsAsMissing)
{
    platform_reg_set_string("contract text", "abcde", 5);
    char buffer[8] = {};
    EXPECT_EQ(platform_reg_get_string("contract text", buffer, 4), 0);
}

// Text stored over a number replaces it, type and all.
TEST_F(Platform_contract, TextReadAsANumberCountsAsMissing)
{
    platform_reg_set_dword("contract text", 5);
    platform_reg_set_string("contract text", "abcd", 4);
    uint32_t value = 77;
    EXPECT_EQ(platform_reg_get_dword("contract text", &value), 0);
    EXPECT_EQ(value, 77u);
}

TEST_F(Platform_contract, ANumberReadAsTextCountsAsMissing)
{
    platform_reg_set_dword("contract number", 5);
    char buffer[8] = {};
    EXPECT_EQ(platform_reg_get_string("contract number", buffer, sizeof buffer), 0);
}

class Platform_search : public Platform_contract
{
  protected:
    void SetUp() override
    {
        Platform_contract::SetUp();
        for (const char* name : {"a.zrp", "b.zrp", "ab.zrp", "a.zrpx", "azrp", "c.txt", "sub/d.zrp"}) {
            fs::create_directories(fs::path(name).parent_path().empty() ? "." : fs::path(name).parent_path());
            std::ofstream(name) << "x";
        }
        fs::create_directories("e.zrp"); // a folder, never a match
    }
};

TEST_F(Platform_search, AStarMatchesAnyRunOfPlainFileNames)
{
    EXPECT_THAT(search("*.zrp"), UnorderedElementsAre("a.zrp", "b.zrp", "ab.zrp"));
}

TEST_F(Platform_search, AQuestionMarkMatchesExactlyOneCharacter)
{
    EXPECT_THAT(search("?.zrp"), UnorderedElementsAre("a.zrp", "b.zrp"));
}

TEST_F(Platform_search, MatchesInAFolderComeWithoutTheFolderPart)
{
    EXPECT_THAT(search("sub/*.zrp"), UnorderedElementsAre("d.zrp"));
}

TEST_F(Platform_search, NothingMatchingLeavesNoSearchOpen)
{
    platform_find_first("*.none");
    char name[8] = {};
    EXPECT_EQ(platform_find_next(name, sizeof name), -1);
}

TEST_F(Platform_search, ALongNameIsCutToATerminatedBuffer)
{
    EXPECT_THAT(search("ab.zrp", 3), UnorderedElementsAre("ab"));
}

TEST_F(Platform_search, TheCallAfterTheLastEntryAnswersMinusOne)
{
    platform_find_first("c.txt");
    char name[8] = {};
    const int first = platform_find_next(name, sizeof name);
    EXPECT_EQ(std::make_tuple(first, std::string(name), platform_find_next(name, sizeof name)),
              std::make_tuple(0, std::string("c.txt"), -1));
}

TEST_F(Platform_search, ANewSearchClosesTheOneLeftOpen)
{
    platform_find_first("*.zrp");
    char name[8] = {};
    platform_find_next(name, sizeof name);
    EXPECT_THAT(search("c.txt"), testing::ElementsAre("c.txt"));
}

// The menu bar as it first shows, before the game changes any item.
TEST_F(Platform_contract, MenuItemsStartAsTheMenuTableGives)
{
    struct Row {
        const char* item;
        int id;
        uint32_t state;
    };
    const Row rows[] = {{"Latest Version", 104, MENU_ITEM_ENABLED},
                        {"Exit", 103, MENU_ITEM_ENABLED},
                        {"Restart", 102, MENU_ITEM_GREYED},
                        {"Undo", 101, MENU_ITEM_GREYED},
                        {"Next Level", 111, MENU_ITEM_GREYED},
                        {"Previous Level", 112, MENU_ITEM_GREYED},
                        {"Player Name ...", 121, MENU_ITEM_ENABLED},
                        {"1 X", 1221, MENU_ITEM_ENABLED},
                        {"4 X", 1224, MENU_ITEM_ENABLED},
                        {"Speech / Sound", 123, MENU_ITEM_CHECKED},
                        {"Motion Sounds", 124, MENU_ITEM_CHECKED},
                        {"Zandrek Website", 134, MENU_ITEM_ENABLED},
                        {"Recent News", 500, MENU_ITEM_ENABLED},
                        {"Quick Help", 131, MENU_ITEM_ENABLED},
                        {"Help Contents", 132, MENU_ITEM_ENABLED},
                        {"Level Solutions", 139, MENU_ITEM_ENABLED},
                        {"About Zandrek", 133, MENU_ITEM_ENABLED}};
    for (const Row& row : rows)
        EXPECT_EQ(contract_menu_state(row.id), row.state) << row.item;
}

TEST_F(Platform_contract, ACheckMarkShowsOnlyWhileSet)
{
    platform_menu_check(123, false);
    const uint32_t unchecked = contract_menu_state(123);
    platform_menu_check(123, true);
    EXPECT_EQ(std::make_tuple(unchecked, contract_menu_state(123)),
              std::make_tuple(uint32_t{MENU_ITEM_ENABLED}, uint32_t{MENU_ITEM_CHECKED}));
}

int fired = 0;
void count_firing(void*)
{
    ++fired;
}

TEST_F(Platform_contract, TimersFireInsideABoxsLoop)
{
    fired = 0;
    timer_arm(the_game(), 0, 50000, count_firing, nullptr);
    contract_keep_boxes_open(500);
    platform_message_box("Waiting", "Zandrek", BOX_INFO);
    EXPECT_EQ(fired, 1);
}

} // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "board_fixture.h"
#include "engine/move_log.h"

namespace fs = std::filesystem;

namespace
{

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read_stream(FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string text;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        text += static_cast<char>(c);
    return text;
}

// The log lives in the current directory, so every test runs in a fresh
// directory of its own and puts the old one back afterwards.
class Move_log : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        static std::atomic<int> serial{0};
        offscreen_reset();
        home = fs::current_path();
        dir = fs::temp_directory_path() /
              ("zandrek_move_log_" + std::to_string(std::random_device{}()) + "_" + std::to_string(++serial));
        fs::create_directories(dir);
        fs::current_path(dir);
        echo = scratch_file("echo.txt");
        state.move_log.echo = echo;
        make_player(state, "Quillbarrow");
    }
    void TearDown() override
    {
        close_move_log(state);
        if (echo) std::fclose(echo);
        fs::current_path(home);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // The C library's own temporary files may not be creatable on every
    // system; files in the test's directory always are.
    FILE* scratch_file(const char* name) { return std::fopen((dir / name).string().c_str(), "w+b"); }

    void load(const std::vector<std::string>& rows)
    {
        load_board(state, rows);
        offscreen().calls.clear();
    }
    std::vector<std::string> titles()
    {
        std::vector<std::string> out;
        for (const Platform_call* c : offscreen_calls_of(CALL_TITLE))
            out.push_back(c->text);
        return out;
    }
    std::vector<std::string> picture(int rows, int cols) { return board_picture(state.play_board, rows, cols); }
    void play(const std::string& text) { play_back_text(state, text, 0, 0, 0); }

    fs::path home, dir;
    FILE* echo = nullptr;
    Game_state state;
};

const std::vector<std::string> ROOM = {"#########", "#-------#", "#-------#", "#---@---#", "#-------#", "#########"};

TEST_F(Move_log, F9OpensAndClosesTheLogForTheDeveloperOnly)
{
    load(ROOM);
    press(state, CODE_F9);
    EXPECT_TRUE(fs::exists("Zandmove.txt"));
    press(state, CODE_LEFT);
    press(state, CODE_F9);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Zandmove.txt opened.", "Zandmove.txt closed."}));
    EXPECT_EQ(read_file("Zandmove.txt"), "<");

    press(state, CODE_F9); // opening again replaces the earlier log
    press(state, CODE_F9);
    EXPECT_EQ(read_file("Zandmove.txt"), "");

    make_player(state, "quillbarrow");
    offscreen().calls.clear();
    press(state, CODE_F9);
    EXPECT_EQ(state.move_log.log, nullptr);
    EXPECT_TRUE(titles().empty());
}

TEST_F(Move_log, ALogThatCannotBeCreatedStaysClosedAndLeavesTheTitle)
{
    load(ROOM);
    fs::create_directory("Zandmove.txt");
    press(state, CODE_F9);
    EXPECT_EQ(state.move_log.log, nullptr);
    EXPECT_TRUE(titles().empty());
    press(state, CODE_LEFT); // nothing to log to, and no harm done
    EXPECT_EQ(state.play_board.moves, 1);
}

TEST_F(Move_log, LinesBreakAfterSeventyCharactersInTheFileOnly)
{
    load(ROOM);
    press(state, CODE_F9);
    for (int i = 0; i < 70; ++i)
        press(state, i % 2 ? CODE_RIGHT : CODE_LEFT);
    for (int i = 0; i < 70; ++i)
        press(state, CODE_UP); // blocked after two, logged all the same
    press(state, CODE_F9);
    std::string pairs;
    for (int i = 0; i < 35; ++i)
        pairs += "<>";
    const std::string ups(70, '^');
    EXPECT_EQ(read_file("Zandmove.txt"), pairs + "\n" + ups + "\n");
    EXPECT_EQ(read_stream(echo), pairs + ups);
    EXPECT_EQ(state.play_board.moves, 72);
}

TEST_F(Move_log, EveryLoggedCommandWritesItsCharacterWhetherOrNotItDidAnything)
{
    load({"######", "#@$-.#", "######"});
    press(state, CODE_F9);
    press(state, CODE_UP);
    press(state, CODE_H);
    press(state, CODE_J);
    press(state, CODE_K);
    press(state, CODE_L);
    press(state, CODE_BACKSPACE);
    press(state, CODE_DELETE);
    press(state, CODE_U);
    press(state, CODE_R);
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_A); // the about screen: the right button's undo still logs
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_N); // menu-like commands are not logged
    press(state, CODE_F9);
    EXPECT_EQ(read_file("Zandmove.txt"), "^<v^>uuuruu");
}

TEST_F(Move_log, RecordedGamePlaysBackToTheSameBoard)
{
    const std::vector<std::string> level = {"#########", "#-------#", "#-$-$-..#", "#--@----#", "#########"};
    load(level);
    press(state, CODE_F9);
    const int32_t keys[] = {CODE_UP,    CODE_RIGHT, CODE_RIGHT, CODE_DOWN,  CODE_LEFT,  CODE_UP,   CODE_U,
                            CODE_RIGHT, CODE_UP,    CODE_RIGHT, CODE_RIGHT, CODE_DOWN,  CODE_R,    CODE_UP,
                            CODE_LEFT,  CODE_LEFT,  CODE_UP,    CODE_RIGHT, CODE_RIGHT, CODE_RIGHT};
    for (int32_t k : keys)
        press(state, k);
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_F9);
    const auto recorded = picture(5, 9);
    const uint16_t moves = state.play_board.moves, pushes = state.play_board.pushes;

    load(level);
    press(state, CODE_T);
    EXPECT_EQ(picture(5, 9), recorded);
    EXPECT_EQ(state.play_board.moves, moves);
    EXPECT_EQ(state.play_board.pushes, pushes);
    EXPECT_EQ(titles().back(), "UNDO");
}

TEST_F(Move_log, PlaybackCountsCommentsAndCompassLetters)
{
    load(ROOM);
    play("^x3");
    EXPECT_EQ(state.play_board.player_y, 1); // two steps, then the wall
    EXPECT_EQ(state.play_board.moves, 2);

    load(ROOM);
    play("^x0 <x-2 `^^^ v` >x");
    EXPECT_EQ(state.play_board.moves, 1);
    EXPECT_EQ(state.play_board.player_x, 5);

    load(ROOM);
    play("N\nW\r\nWx2 S E");
    EXPECT_EQ(picture(6, 9)[3], "#-@-----#");
    EXPECT_EQ(state.play_board.player_y, 3);
    EXPECT_EQ(state.play_board.moves, 6);
    EXPECT_EQ(titles(), (std::vector<std::string>{"UP", "LEFT", "LEFT", "LEFT", "DOWN", "RIGHT"}));

    load(ROOM);
    play("<x\n 2 `unclosed comment <<<<"); // "%d" skips the line break before the count
    EXPECT_EQ(state.play_board.player_x, 2);
    EXPECT_EQ(state.play_board.moves, 2);
}

TEST_F(Move_log, OnlyPlaybackCharactersReachTheGame)
{
    load(ROOM);
    for (char c : std::string("hjklnpaxgs?/bcdtf 1\t\xff"))
        replay_char(state, c, 0, 0, 0);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(state.mode, MODE_PLAY);
    EXPECT_EQ(state.play_board.moves, 0);

    replay_char(state, 'r', 0, 0, 0);
    ASSERT_FALSE(titles().empty());
    EXPECT_EQ(titles().front(), "RESTART");
}

TEST_F(Move_log, HugeCountsAreClampedAndStillPlayed)
{
    load(ROOM);
    int played = 0;
    scan_playback_text("vx99999999999999999999", [&](char c) {
        EXPECT_EQ(c, 'v');
        return ++played < 5; // a caller may stop the scan
    });
    EXPECT_EQ(played, 5);
}

TEST_F(Move_log, PlaybackWhileRecordingPlaysWhatWasThereAndEnds)
{
    load(ROOM);
    press(state, CODE_F9);
    press(state, CODE_LEFT, 2);
    press(state, CODE_T); // plays "<<" and logs it after what it read
    press(state, CODE_F9);
    EXPECT_EQ(read_file("Zandmove.txt"), "<<<<");
    EXPECT_EQ(state.play_board.player_x, 1); // the third step left meets the wall
}

TEST_F(Move_log, HandWrittenLogPlaysFromTheCurrentDirectory)
{
    load(ROOM);
    write_file("Zandmove.txt", "`warm-up: two up, one left`\r\n^x2\r\n<\r\n");
    press(state, CODE_T);
    EXPECT_EQ(state.play_board.player_x, 3);
    EXPECT_EQ(state.play_board.player_y, 1);
    EXPECT_EQ(state.play_board.moves, 3);
}

TEST_F(Move_log, MissingLogFilePlaysNothing)
{
    load(ROOM);
    press(state, CODE_T);
    EXPECT_EQ(state.play_board.moves, 0);
    EXPECT_EQ(play_back_file(state, "no such file.txt", 0, 0, 0), -1);
}

TEST_F(Move_log, RandomTextNeverUpsetsPlayback)
{
    load(ROOM);
    std::mt19937 random(77);
    const char alphabet[] = "<>^vNSEWurx0123456789-+ `\n\r\t#";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % (sizeof alphabet - 1)];
        long steps = 0;
        scan_playback_text(text, [&](char) { return ++steps < 5000; });
        if (steps < 5000) play(text); // a long run of digits is a legitimately huge count
        ASSERT_EQ(state.mode, MODE_PLAY) << text;
    }
}

class Pack_level : public Move_log
{
  protected:
    void enter_pack(const std::vector<std::string>& rows, const std::string& solution)
    {
        load(rows);
        pack = std::make_unique<Pack_info>();
        std::snprintf(pack->name, sizeof pack->name, "%s", "Test pack");
        pack->levels = std::make_unique<Level_info>();
        pack->levels->solution = solution;
        pack->levels->has_solution = true;
        pack->current_level = pack->levels.get();
        state.pack = pack.get();
    }
    void TearDown() override
    {
        state.pack = nullptr;
        Move_log::TearDown();
    }
    std::unique_ptr<Pack_info> pack;
};

TEST_F(Pack_level, StoredSolutionPlaysCharacterByCharacterWithoutCounts)
{
    enter_pack({"#######", "#-----#", "#@$-.##", "#######"}, ">x5 `v` >");
    press(state, CODE_F9);
    press(state, CODE_S);
    close_move_log(state);
    // No counts and no comments in a solution: ">", the blocked "v", and ">" again.
    EXPECT_EQ(read_file("Zandmove.txt"), ">v>");
    EXPECT_EQ(state.mode, MODE_ALL_DONE); // its only level is solved
}

TEST_F(Pack_level, NoStoredSolutionOrNoPackPlaysNothing)
{
    enter_pack({"#######", "#@-$-.#", "#######"}, "");
    press(state, CODE_S);
    state.pack = nullptr;
    play_back_solution(state, 0, 0, 0);
    EXPECT_EQ(state.play_board.moves, 0);
}

TEST_F(Pack_level, TileDumpFollowsTheTileRecordSyntax)
{
    enter_pack({"####", "#@-#", "####"}, "");
    pack->tiles = std::make_unique<Pack_tile>();
    Pack_tile& tile = *pack->tiles;
    std::snprintf(tile.name, sizeof tile.name, "%s", "Gold bar");
    tile.width = 3;
    tile.height = 2;
    tile.pixels = {0, 1, 127, 128, 200, 255};
    FILE* out = scratch_file("dump1.txt");
    dump_tile_text(state, out); // the reference is not resolved yet
    EXPECT_EQ(read_stream(out), "");

    pack->levels->treasure_tile.tile = &tile;
    dump_tile_text(state, out);
    EXPECT_EQ(read_stream(out), "Tile:\nName: Gold bar\nWidth: 3\nHeight: 2\nImagery:\n"
                                "0 1 127 \n-128 -56 -1 \nend\nend\n");

    tile.pixels.clear(); // a picture that never came: no rows to print
    std::fclose(out);
    out = scratch_file("dump2.txt");
    dump_tile_text(state, out);
    EXPECT_EQ(read_stream(out), "Tile:\nName: Gold bar\nWidth: 3\nHeight: 2\nImagery:\nend\nend\n");
    std::fclose(out);
}

} // namespace

// The developer player's move log: recording, the playback syntax, file
// and solution playback, and the tile dump.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "engine/move_log.h"
#include "map_fixture.h"

namespace fs = std::filesystem;

namespace
{

std::string file_text(const std::string& path)
{
    std::vector<uint8_t> b = file_bytes(path);
    return std::string(b.begin(), b.end());
}

std::string stream_text(FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

const std::vector<std::string> ROOM = {"#########", "#-------#", "#-------#", "#---@---#", "#-------#", "#########"};

// The log lives in the current directory, so every test runs in a fresh
// directory of its own.
class Move_log : public Board_test
{
  protected:
    void SetUp() override
    {
        Board_test::SetUp();
        home = fs::current_path();
        dir = temp_path("move_log");
        fs::create_directories(dir);
        fs::current_path(dir);
        echo = std::fopen("echo.txt", "w+b");
        state.move_log.echo = echo;
        make_player(state, "Quillbarrow");
        load(ROOM);
    }
    void TearDown() override
    {
        close_move_log(state);
        std::fclose(echo);
        fs::current_path(home);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    void play(const std::string& text) { play_back_text(state, text, 0, 0, 0); }
    std::pair<int, int> player() const { return {state.play_board.player_x, state.play_board.player_y}; }

    fs::path home;
    std::string dir;
    FILE* echo = nullptr;
};

TEST_F(Move_log, F9RecordsEveryLoggedCommandForTheDeveloperOnly)
{
    press(state, CODE_F9);
    for (int32_t code : {CODE_UP, CODE_H, CODE_J, CODE_K, CODE_L, CODE_BACKSPACE, CODE_DELETE, CODE_U, CODE_R})
        press(state, code);
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_A); // the about screen: the right button's undo still logs
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_N); // menu-like commands are not logged
    press(state, CODE_F9);
    EXPECT_EQ(titles().front(), "Zandmove.txt opened.");
    EXPECT_EQ(titles().back(), "Zandmove.txt closed.");
    EXPECT_EQ(file_text("Zandmove.txt"), "^<v^>uuuruu");

    press(state, CODE_F9); // opening again replaces the earlier log
    press(state, CODE_F9);
    EXPECT_EQ(file_text("Zandmove.txt"), "");
    EXPECT_EQ(stream_text(echo), "^<v^>uuuruu");

    std::strcpy(state.current_player->name, "quillbarrow");
    offscreen().calls.clear();
    press(state, CODE_F9);
    EXPECT_EQ(state.move_log.log, nullptr);
    EXPECT_TRUE(titles().empty());

    // A log that cannot be created stays closed and leaves the title.
    std::strcpy(state.current_player->name, "Quillbarrow");
    fs::remove("Zandmove.txt");
    fs::create_directory("Zandmove.txt");
    press(state, CODE_F9);
    EXPECT_EQ(state.move_log.log, nullptr);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(open_move_log(state, "Zandmove.txt"), -1);
}

TEST_F(Move_log, LinesBreakAfterSeventyCharactersInTheFileOnly)
{
    press(state, CODE_F9);
    for (int i = 0; i < 70; ++i)
        press(state, i % 2 ? CODE_RIGHT : CODE_LEFT);
    log_move_char(state, '\n'); // a line end of its own starts the count afresh
    for (int i = 0; i < 71; ++i)
        press(state, CODE_UP); // blocked after two, logged all the same
    press(state, CODE_F9);
    std::string pairs;
    for (int i = 0; i < 35; ++i)
        pairs += "<>";
    EXPECT_EQ(file_text("Zandmove.txt"), pairs + "\n\n" + std::string(70, '^') + "\n^");
    EXPECT_EQ(stream_text(echo), pairs + "\n" + std::string(71, '^'));
    EXPECT_EQ(state.play_board.moves, 72);
}

TEST_F(Move_log, ARecordedGamePlaysBackToTheSameBoard)
{
    const std::vector<std::string> level = {"#########", "#-------#", "#-$-$-..#", "#--@----#", "#########"};
    load(level);
    press(state, CODE_F9);
    press_keys(state, "^>>v<^u>^>>vr^<<^>>>");
    handle_event(state, Game_event{EVENT_BUTTON, CODE_RIGHT_UP, 0, 0, 0});
    press(state, CODE_F9);
    const auto recorded = picture();
    const uint16_t moves = state.play_board.moves, pushes = state.play_board.pushes;
    load(level);
    press(state, CODE_T);
    EXPECT_EQ(picture(), recorded);
    EXPECT_EQ(state.play_board.moves, moves);
    EXPECT_EQ(state.play_board.pushes, pushes);
    EXPECT_EQ(titles().back(), "UNDO");

    // While the log records, playback plays what was there and ends.
    load(ROOM);
    press(state, CODE_F9);
    press(state, CODE_LEFT, 2);
    press(state, CODE_T); // plays "<<" and logs it after what it read
    press(state, CODE_F9);
    EXPECT_EQ(file_text("Zandmove.txt"), "<<<<");
    EXPECT_EQ(player(), std::make_pair(1, 3)); // the third step left meets the wall

    load(ROOM);
    write_bytes("Zandmove.txt", {'`', 'u', 'p', '`', '\r', '\n', '^', 'x', '2', '\r', '\n', '<'});
    press(state, CODE_T);
    EXPECT_EQ(player(), std::make_pair(3, 1));
    EXPECT_EQ(play_back_file(state, "no such file.txt", 0, 0, 0), -1);
}

TEST_F(Move_log, ThePlaybackSyntax)
{
    struct Case {
        const char* text;
        int moves, x, y;
    };
    // clang-format off
    const Case cases[] = {
        {"^x3", 2, 4, 1},                           // two steps, then the wall
        {"^x0 <x-2 `^^^ v` >x", 1, 5, 3},           // no count: once; zero or less: never
        {"N\nW\r\nWx2 S E", 6, 2, 3},               // compass letters walk like the arrows
        {"<x\n 2 `unclosed comment <<<<", 2, 2, 3}, // the count may follow blanks and a line end
        {"vx+1>x 1", 2, 5, 4},
        {"<x2x3", 2, 2, 3},                         // the count's own x is not a character
        {"hjklnpaxgs?/bcdtf 1\t\xff", 0, 4, 3},     // only playback characters reach the game
    };
    // clang-format on
    for (const Case& c : cases) {
        load(ROOM);
        play(c.text);
        EXPECT_EQ(state.play_board.moves, c.moves) << c.text;
        EXPECT_EQ(player(), std::make_pair(c.x, c.y)) << c.text;
        EXPECT_EQ(state.mode, MODE_PLAY);
    }
    load(ROOM);
    play("N\nWx2 S E r u");
    EXPECT_EQ(titles(), (std::vector<std::string>{"UP", "LEFT", "LEFT", "DOWN", "RIGHT", "RESTART", "Zandrek - Level 7",
                                                  "UNDO"}));
    for (char c : std::string("<>^vNSEWru"))
        EXPECT_TRUE(is_playback_char(c)) << c;
    EXPECT_FALSE(is_playback_char('x'));

    std::string scanned;
    scan_playback_text(std::string_view("ab`c`dx2vx", 10), [&](char c) { return scanned += c, true; });
    EXPECT_EQ(scanned, "abddv");
    int played = 0; // huge counts are clamped and still played; the caller may stop the scan
    scan_playback_text("vx99999999999999999999", [&](char c) { return c == 'v' && ++played < 5; });
    EXPECT_EQ(played, 5);
    std::mt19937 random(77);
    const char alphabet[] = "<>^vNSEWurx0123456789-+ `\n\r\t#";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i)
            text += alphabet[random() % (sizeof alphabet - 1)];
        long steps = 0;
        scan_playback_text(text, [&](char) { return ++steps < 5000; });
        if (steps < 5000) play(text); // a long run of digits is a legitimately huge count
        ASSERT_EQ(state.mode, MODE_PLAY) << text;
    }
}

TEST_F(Move_log, StoredSolutionsPlayWithoutCountsAndTheTileDumpFollowsTheRecordSyntax)
{
    load({"#######", "#-----#", "#@$-.##", "#######"});
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    pack.levels->solution = ">x5 `v` >";
    pack.current_level = pack.levels.get();
    play_back_solution(state, 0, 0, 0); // no pack: nothing
    EXPECT_EQ(state.play_board.moves, 0);
    state.pack = &pack;
    press(state, CODE_F9);
    press(state, CODE_S);
    close_move_log(state);
    EXPECT_EQ(file_text("Zandmove.txt"), ">v>"); // ">", the blocked "v" and ">" again
    EXPECT_EQ(state.mode, MODE_ALL_DONE);        // its only level is solved

    pack.tiles = std::make_unique<Pack_tile>();
    Pack_tile& tile = *pack.tiles;
    std::snprintf(tile.name, sizeof tile.name, "%s", "Gold bar");
    tile.width = 3;
    tile.height = 2;
    tile.pixels = {0, 1, 127, 128, 200, 255};
    FILE* out = std::fopen("dump.txt", "w+b");
    dump_tile_text(state, out); // the reference is not resolved yet
    EXPECT_EQ(stream_text(out), "");
    pack.levels->treasure_tile.tile = &tile;
    dump_tile_text(state, out);
    const std::string head = "Tile:\nName: Gold bar\nWidth: 3\nHeight: 2\nImagery:\n";
    EXPECT_EQ(stream_text(out), head + "0 1 127 \n-128 -56 -1 \nend\nend\n");
    tile.pixels.resize(4); // a picture cut short: only whole rows and what is there
    std::fclose(out);
    out = std::fopen("dump.txt", "w+b");
    dump_tile_text(state, out);
    EXPECT_EQ(stream_text(out), head + "0 1 127 \n-128 \nend\nend\n");
    std::fclose(out);
    state.pack = nullptr;
}

} // namespace

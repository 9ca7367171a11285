// The developer player's move log: recording, the playback syntax, file
// and solution playback, and the tile dump.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

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
    {
        Game_state ending; // a log still open when the game ends is closed whole
        ASSERT_EQ(open_move_log(ending, "ending.txt"), 0);
        ending.move_log.echo = nullptr;
        log_move_char(ending, 'r');
    }
    EXPECT_EQ(file_text("ending.txt"), "r");

    // Lines break after seventy characters, in the file only.
    load(ROOM);
    fs::remove("Zandmove.txt");
    echo = std::freopen("echo.txt", "w+b", echo);
    state.move_log.echo = echo;
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
        {"<x\t\v\f\r 2", 2, 2, 3},                 // every kind of blank before the count
        {"<x2x3", 2, 2, 3},                         // the count's own x is not a character
        {"hjklnpaxgs?/bcdtf 1\t\xff", 0, 4, 3},     // only playback characters reach the game
    };
    // clang-format on
    for (const Case& c : cases) {
        load(ROOM);
        play(c.text);
        EXPECT_EQ(std::vector<int>({state.play_board.moves, state.play_board.player_x, state.play_board.player_y}),
                  std::vector<int>({c.moves, c.x, c.y}))
            << c.text;
    }
    load(ROOM);
    play("N\nWx2 S E r u");
    EXPECT_EQ(titles(), (std::vector<std::string>{"UP", "LEFT", "LEFT", "DOWN", "RIGHT", "RESTART", "Zandrek - Level 7",
                                                  "UNDO"}));
    for (char c : std::string("<>^vNSEWrux"))
        EXPECT_EQ(is_playback_char(c), c != 'x') << c;

    std::string scanned;
    scan_playback_text(std::string_view("ab`c`dx12vx", 11), [&](char c) { return scanned += c, true; });
    EXPECT_EQ(scanned, "ab" + std::string(12, 'd') + "v");
    int played = 0; // huge counts are clamped and still played; the caller may stop the scan
    scan_playback_text("vx99999999999999999999", [&](char c) { return c == 'v' && ++played < 5; });
    EXPECT_EQ(played, 5);
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
    std::memset(tile.name, 'G', sizeof tile.name); // no terminator: the name ends at the capacity
    tile.width = 3;
    tile.height = 2;
    auto dump = [&](size_t pixels) {
        tile.pixels = std::vector<uint8_t>{0, 1, 127, 128, 200, 255, 9, 9, 9};
        tile.pixels.resize(pixels);
        FILE* out = std::fopen("dump.txt", "w+b");
        dump_tile_text(state, out);
        std::string text = stream_text(out);
        std::fclose(out);
        return text;
    };
    EXPECT_EQ(dump(6), ""); // the reference is not resolved yet
    pack.levels->treasure_tile.tile = &tile;
    const std::string name = "Tile:\nName: " + std::string(NAME_CAPACITY - 1, 'G'),
                      head = name + "\nWidth: 3\nHeight: 2\nImagery:\n";
    EXPECT_EQ(dump(6), head + "0 1 127 \n-128 -56 -1 \nend\nend\n");
    EXPECT_EQ(dump(9), head + "0 1 127 \n-128 -56 -1 \nend\nend\n"); // no more rows than the height
    EXPECT_EQ(dump(4), head + "0 1 127 \n-128 \nend\nend\n");        // a picture cut short: what is there
    EXPECT_EQ(dump(3), head + "0 1 127 \nend\nend\n");
    tile.width = -3;
    EXPECT_EQ(dump(6), name + "\nWidth: -3\nHeight: 2\nImagery:\nend\nend\n");
    state.pack = nullptr;
}

} // namespace

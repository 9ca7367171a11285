// Around the board: levels entered, refused and solved, the full-window
// screens and texts, the window title, timers, idling, and the wave device.
#include <cstring>
#include <map>
#include <tuple>

#include "engine/game_state.h"
#include "engine/level_progression.h"
#include "engine/pack_records.h"
#include "engine/timers.h"
#include "files/pack_reader.h"
#include "map_fixture.h"
#include "presentation/elapsed_time.h"
#include "presentation/fidget.h"
#include "presentation/message_line.h"
#include "presentation/screens.h"
#include "presentation/sound.h"

namespace
{

using Texts = std::vector<std::string>;
using Ints = std::vector<int64_t>;
const char PRESS[] = "(Press any key to continue)";
const std::string MUST_SOLVE = "box:Sorry, you must solve this\nlevel before going on.\n";

// Level k has k floor cells before its treasure and is solved by walking
// right; its sounds start, banked and solved play samples 1, 2 and 3.
std::string pack_text(const char* name, int levels)
{
    std::string text = std::string("Zandrek Pack\nName: ") + name + "\n";
    for (const char* sound : {"hello\nData:\ni", "ding\nData:\nk", "fanfare\nData:\nm"})
        text += std::string("Sound:\nSpeed: 8000\nNumSamples: 1\nName: ") + sound + "\nend\nend\n";
    for (int k = 1; k <= levels; ++k)
        text += "Level:\nStart: hello\nBanked: ding\nSolved: fanfare\nLayout:\n #" + std::string(k + 3, '#') + "\n #@" +
                std::string(k, '-') + "$.#\n #" + std::string(k + 3, '#') + "\nend\nend\n";
    return text;
}

// The test map at magnification 1 with the title, help and finale boards sounding.
class Presentation : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        Map_contents m = test_map_contents();
        m.boards[TEST_LEVELS].start_sound = 2;                                                 // title
        m.boards[TEST_LEVELS + 1].start_sound = 3;                                             // help
        m.boards[TEST_LEVELS + 3].start_sound = 0, m.boards[TEST_LEVELS + 3].banked_sound = 1; // finale
        m.boards[TEST_LEVELS + 2].spare_sound = 6; // the blank template's, never a pack level's
        m.boards[1].start_sound = 4;               // built-in level 2
        open_map(m, 1), make_player(state, "Alice", 1), state.max_level = 2;
    }
    // The screen's calls in order, repeats folded, white texts as "x,y,align:text"; the record is cleared.
    Texts drawn()
    {
        const std::map<int, std::string> names = {
            {CALL_FILL, "fill"}, {CALL_BLIT, "blit"}, {CALL_TITLE, "title"}, {CALL_WAVE_WRITE, "sound"}};
        Texts out;
        for (const Platform_call& c : offscreen().calls) {
            std::string s = names.count(c.kind) ? names.at(c.kind) : "";
            if (c.kind == CALL_TEXT && c.d == 0xFFFFFF)
                s = std::to_string(c.a) + "," + std::to_string(c.b) + (c.c == TEXT_CENTRE ? "c:" : "l:") + c.text;
            if (!s.empty() && (out.empty() || out.back() != s)) out.push_back(s);
        }
        offscreen().calls.clear();
        return out;
    }
    // The wave device's calls in order, an opening with its rate and sample size; the record is cleared.
    std::string wave()
    {
        const char* names[] = {"open", "close", "reset", "prepare", "unprepare", "write"};
        std::string out;
        for (const Platform_call& c : offscreen().calls)
            if (c.kind >= CALL_WAVE_OPEN && c.kind <= CALL_WAVE_WRITE)
                out += (out.empty() ? "" : " ") + std::string(names[c.kind - CALL_WAVE_OPEN]) +
                       (c.kind == CALL_WAVE_OPEN ? " " + std::to_string(c.a) + "/" + std::to_string(c.b) : "");
        offscreen().calls.clear();
        return out;
    }
    // Sample k as the device gets it: 8-bit samples turned unsigned.
    std::vector<uint8_t> played(int k)
    {
        Map_sample s = test_map_contents().samples[k];
        for (uint8_t& b : s.data)
            b ^= s.bits == 8 ? 0x80 : 0;
        return s.data;
    }
    // After each of n fidget ticks: the image drawn at the player's cell (3, 2) alone, -1 when none, else -2.
    std::vector<int> ticks(int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i) {
            offscreen().calls.clear(), fidget_tick(state, 0);
            out.push_back(blitted_cells().empty() ? -1 : -2);
            for (int k = 0; k < TEST_TILES && blitted_cells() == std::vector<std::pair<int, int>>{{3, 2}}; ++k)
                if (colour_rgb(image_pixel(k, 0, 0)) == pixel(3 * TILE_W, 2 * TILE_H) &&
                    colour_rgb(image_pixel(k, 1, 0)) == pixel(3 * TILE_W + 1, 2 * TILE_H))
                    out.back() = k;
        }
        return out;
    }
    // One field of each recorded call of the kind, in order.
    Ints args(Call_kind kind, int64_t Platform_call::*field) const
    {
        Ints out;
        for (const Platform_call* c : offscreen_calls_of(kind))
            out.push_back(c->*field);
        return out;
    }
    int level() const { return state.pack ? state.pack->current_level->number : state.play_board.number; }
    void solve() { press(state, CODE_RIGHT, level() + 1); }
    // The boxes, sounds and settings written, then the current level and the mode; the record is cleared.
    Texts effects()
    {
        Texts out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out.push_back("box:" + c.text);
            if (c.kind == CALL_WAVE_WRITE) out.push_back("sound:" + std::to_string(c.bytes.at(0)));
            if (c.kind == CALL_REG_SET) out.push_back(c.text + "=" + (c.extra.empty() ? std::to_string(c.a) : c.extra));
        }
        offscreen().calls.clear();
        out.push_back("level " + std::to_string(level()) + " mode " + std::to_string(state.mode));
        return out;
    }
    Texts after(void (*action)(Game_state&))
    {
        offscreen().calls.clear();
        action(state);
        return effects();
    }
    void play_level_2()
    {
        read_board_record(state, state.play_board, 2);
        fidget_reset(state);
        state.mode = MODE_PLAY;
    }
};

TEST_F(Presentation, APackLevelBecomesABoardOverTheBlankTemplate)
{
    const std::string text = "Zandrek Pack\nLevel:\nLayout:\n ########\n #@-$.*+#\n ########\nend\nend\n";
    build_pack_board(state, *read_pack_bytes(text.data(), text.size())->levels);
    const Field_info& b = state.pristine_board;
    // clang-format off
    EXPECT_EQ(std::vector<int>({b.number, b.rows, b.columns, b.loose, b.banked_at_start, b.treasures, b.moves, b.pushes,
                                b.zero, int(b.start_time), int(b.solve_time), b.start_x, b.start_y, b.player_x, b.player_y,
                                b.undo_player_after, b.undo_player_before, b.undo_treasure_to, b.undo_treasure_from,
                                b.start_sound, b.banked_sound, b.solved_sound, b.spare_sound}),
              std::vector<int>({1, 16, 20, 1, 1, 2, 0, 0, 0, 0, 0, 7, 1, 7, 1, -1, -1, -1, -1, 255, 255, 255, 255}));
    // clang-format on
    EXPECT_EQ(std::vector<int>(b.kind_tiles, b.kind_tiles + 6), std::vector<int>({5, 5, 1, 4, 15, 16}));
    std::string row; // row 1 as tile/content/floor; the leading space keeps the template's cell
    for (const Field_cell* c = b.cells + LEVEL_COLS; c < b.cells + LEVEL_COLS + 8; ++c)
        row += std::to_string(c->tile) + "/" + std::to_string(c->content) + "/" + std::to_string(c->floor) + " ";
    EXPECT_EQ(row, "22/2/2 2/255/255 5/0/2 1/2/2 15/4/2 4/3/3 16/4/3 5/0/3 ");
}

TEST_F(Presentation, PackLevelsOpenOneByOneAsTheyAreSolved)
{
    const std::string text = pack_text("Must Solve", 3);
    Pack_info& pack = *append_pack(state, read_pack_bytes(text.data(), text.size()));
    give_sounds(state), offscreen().calls.clear(), select_level_set(state, pack.number, 0);
    EXPECT_EQ(std::make_pair(state.pack, titles()), std::make_pair(&pack, Texts{"Zandrek - Level 1"}));
    EXPECT_EQ(effects(), (Texts{"sound:1", "level 1 mode 0"}));
    EXPECT_EQ(after(previous_level),
              (Texts{"sound:15", "box:You're at the first level.\nNowhere to go but up.", "level 1 mode 0"}));
    solve(); // the last push banks, the level's solved sound plays, and the next level is marked open
    EXPECT_EQ(effects(), (Texts{"sound:8", "sound:9", "sound:2", "sound:3", "solved:Must Solve=2", "level 2 mode 2"}));
    // The solved board stays on show until a key is pressed.
    EXPECT_EQ(std::vector<int>({pack.highest_level, state.pristine_board.number, state.play_board.number}),
              std::vector<int>({2, 2, 1}));
    press(state, CODE_OTHER_KEY);
    EXPECT_EQ(after(next_level), (Texts{"sound:14", MUST_SOLVE, "level 2 mode 0"})); // level 2 is the highest open
    EXPECT_EQ((Texts{after(previous_level).back(), after(next_level).back()}),
              (Texts{"level 1 mode 0", "level 2 mode 0"}));
    solve(), press(state, CODE_OTHER_KEY), next_level(state); // the last level has no next
    EXPECT_EQ(effects(), (Texts{"sound:8", "sound:8", "sound:9", "sound:2", "sound:3", "solved:Must Solve=3", "sound:1",
                                "level 3 mode 0"}));
    solve(); // no mark for the last level
    EXPECT_EQ(effects(), (Texts{"sound:8", "sound:8", "sound:8", "sound:9", "sound:2", "sound:3", "level 3 mode 4"}));
    select_level_set(state, pack.number + 1, 1); // past the list: nothing
    EXPECT_TRUE(offscreen().calls.empty());
    select_level_set(state, pack.number, 99); // past the end: the last level
    EXPECT_EQ(after(choose_level), (Texts{"level 3 mode 0"}));
    EXPECT_EQ(after([](Game_state& s) { goto_level(s, 2); }), (Texts{"sound:1", "level 2 mode 0"}));
    state.start_level = 2, state.board_shown = 0, select_level_set(state, -1, 1); // the level asked for wins
    EXPECT_EQ(std::make_tuple(effects().back(), state.board_shown), std::make_tuple(std::string("level 1 mode 0"), 1));
    EXPECT_EQ(after([](Game_state& s) { select_level_set(s, -1, 0); }).back(), "level 2 mode 0"); // else the player's
}

TEST_F(Presentation, BuiltInLevelsOpenUpToTheMaximum)
{
    give_sounds(state);
    state.play_board.number = 1;
    offscreen().now_ms = 7000;
    set_fidget_state(state, 4);
    set_last_reveal(state, 0);
    next_level(state); // entered anew: the clock started, drawn in a random order, the idling restarted
    EXPECT_EQ(std::vector<int64_t>({state.play_board.start_time, last_reveal(state) != 0, fidget_state(state)}),
              std::vector<int64_t>({platform_now_seconds(), 1, 0}));
    EXPECT_EQ(effects(), (Texts{"sound:4", "level 2 mode 0"}));
    EXPECT_EQ(after(next_level), (Texts{"sound:14", MUST_SOLVE, "level 2 mode 0"}));
    EXPECT_EQ(after(choose_level), (Texts{"level 2 mode 0"})); // the chooser always declines
    EXPECT_EQ(after(previous_level), (Texts{"level 1 mode 0"}));
    state.max_level = 1; // nothing to choose from
    EXPECT_EQ(after(choose_level),
              (Texts{"sound:14", "box:Sorry, you haven't solved\nthe first level yet.", "level 1 mode 0"}));
    // A solved level is recorded and the next one waits behind the solved screen.
    state.play_board.number = 2, state.mode = MODE_PLAY, state.max_level = 2;
    EXPECT_EQ(after(level_solved), (Texts{"level 2 mode 2"}));
    EXPECT_EQ(std::vector<int64_t>({state.current_player->level, state.max_level, state.pristine_board.number,
                                    state.play_board.solve_time}),
              std::vector<int64_t>({2, 3, 3, platform_now_seconds()}));
    // Leaving the title: its sound, the player stored, the screen board's solved sound, the player's own level.
    make_player(state, "Zandrek", 1), state.mode = MODE_TITLE, state.screen_board.solved_sound = 5;
    EXPECT_EQ(after([](Game_state& s) { press(s, CODE_OTHER_KEY); }),
              (Texts{"sound:13", "player_name=Zandrek", "sound:5", "sound:4", "level 2 mode 0"}));
}

TEST_F(Presentation, EachScreenDrawsItsBoardTitleSoundsAndText)
{
    // clang-format off
    const std::tuple<void (*)(Game_state&), int, int, std::string, Texts, bool> screens[] = {
        {show_greeting, MODE_TITLE, BOARD_TITLE, "Greetings - Click or press any key to begin",
         {"fill", "blit", "title", "sound"}, true},
        {show_help, MODE_HELP, BOARD_HELP, "May I Help You?",
         {"fill", "blit", "title", "sound", "160,20c:Zandrek Help", "160,40c:Push all the treasures onto the",
          "160,50c:marked floor positions.", "88,93l:Move Zandrek up", "88,105l:Move Zandrek down",
          "88,117l:Move Zandrek left", "88,129l:Move Zandrek right", "88,141l:Undo the last push",
          "88,153l:Restart the level", "88,165l:Go to next level", "88,177l:Go to previous level"}, false},
        {show_closing_text, MODE_DONE_TEXT, BOARD_BLANK, "Oh, I say.  Bravo.  Frightfully good.",
         {"fill", "blit", "title", "160,30c:Alice Has Done It!", "160,80c:You have achieved a sublime state",
          "160,100c:of pure Zandnicity", "160,145c:You sure are cool", std::string("160,170c:") + PRESS}, false},
        // The banked sound cuts the start sound off; both stay pinned.
        {show_finale, MODE_FINALE, BOARD_FINALE, "   Jumpin' Jehosephat!!!", {"fill", "sound", "blit", "title", "sound"},
         true},
        {show_about, MODE_HELP, BOARD_ABOUT, "Zandrek maps (c) Ostrovane", {"fill", "blit", "title"}, false},
    };
    // clang-format on
    for (const auto& [show, mode, board, title, calls, rows_down] : screens) {
        SCOPED_TRACE(title);
        state.mode = MODE_PLAY;
        set_last_reveal(state, 0);
        offscreen().calls.clear();
        show(state);
        EXPECT_EQ(std::vector<int>(
                      {state.mode, state.screen_board.number, int(blitted_cells().size()), last_reveal(state) == 0}),
                  std::vector<int>({mode, board, 320, rows_down}));
        EXPECT_EQ(titles(), Texts{title});
        EXPECT_EQ(drawn(), calls);
    }
    EXPECT_NE(state.samples[0].flags & state.samples[1].flags & SAMPLE_PINNED, 0);
    state.magnify = 2; // texts keep their base position; the shadow is one base pixel down and right
    draw_text_left(state, 88, 93, "x");
    EXPECT_EQ(args(CALL_TEXT, &Platform_call::a), Ints({178, 176}));
    EXPECT_EQ(args(CALL_TEXT, &Platform_call::b), Ints({188, 186}));
    offscreen().calls.clear(), offscreen().draw_available = false;
    show_help(state);
    EXPECT_EQ(drawn(), (Texts{"title", "sound"}));
}

TEST_F(Presentation, AboutSolvedAndLevelTextsAndTheTimeFormat)
{
    auto about = [&] {
        offscreen().calls.clear();
        show_about(state);
        return box_texts();
    };
    const Texts notice = about();
    auto block = [](const char* text, std::unique_ptr<Text_block> next = nullptr) {
        return std::unique_ptr<Text_block>(new Text_block{std::move(next), text});
    };
    Pack_info pack;
    pack.about = block("About the pack\n100% handmade\n", block("Second block\n"));
    pack.levels = std::make_unique<Level_info>();
    pack.levels->about = block("About the level %s %d\n");
    pack.current_level = pack.levels.get(), state.pack = &pack;
    EXPECT_EQ(about(),
              (Texts{notice[0], "About the pack\n100% handmade\n", "Second block\n", "About the level %s %d\n"}));
    pack.current_level = nullptr;
    EXPECT_EQ(about().size(), 3u);
    // The solved text: the pack level's name, the longest still whole.
    Field_info board{};
    board.number = 4, board.banked = 3, board.moves = 10, board.pushes = 2, board.start_time = 1000,
    board.solve_time = 1065;
    std::memset(pack.levels->name, 'N', NAME_CAPACITY - 1), pack.current_level = pack.levels.get();
    offscreen().calls.clear(), draw_solved_text(state, board);
    EXPECT_EQ(drawn(), (Texts{"160,50c:Alice Has Solved Level 4: '" + std::string(NAME_CAPACITY - 1, 'N') + "'",
                              "160,100c:Treasures Saved: 3", "160,115c:Moves: 10  Pushes: 2",
                              "160,130c:Elapsed Time: 01:05", std::string("160,182c:") + PRESS}));
    std::string times;
    for (int64_t seconds : {0, 59, 61, 3599, 3600, 86399, 363600, -5})
        times += format_elapsed(seconds) + std::string(" ");
    EXPECT_EQ(times, "00:00 00:59 01:01 59:59 01:00:00 23:59:59 101:00:00 00:00 ");
    // The screens' own boards, -1 to -5, are named with each screen.
    for (int16_t number : {1, 0, -6}) {
        board.number = number;
        set_message_line(state, board);
    }
    EXPECT_EQ(titles(), (Texts{"Zandrek - Level 1", "", ""}));
}

// The fidget sequences are {10, 11}, {12} and {13, 14}; the standing tile is 5.
TEST_F(Presentation, FidgetShowsTheStatusOnTheThirdTickThenSequenceZeroThenRandomChoicesOnItsTimer)
{
    play_level_2();
    state.fidget.frame = 1, state.fidget.sequence = 2;       // a restart plays sequence 0 from its first frame
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, 5}));      // the standing tile, with the status title
    EXPECT_EQ(ticks(4), (std::vector<int>{-1, 10, 11, -1})); // sequence 0 chosen, played, ended
    // The choice draws two random numbers: a sequence other than 0, a wait.
    Reference_random reference{state.draw.random_seed};
    const int sequence = reference.next() % 2 + 1, wait = reference.next() % 60 + 20;
    EXPECT_EQ(ticks(1)[0], 5);
    EXPECT_EQ(ticks(wait - 1), std::vector<int>(static_cast<size_t>(wait - 1), -1));
    EXPECT_EQ(ticks(1)[0], sequence == 1 ? 12 : 13);
    fidget_reset(state), state.mode = MODE_HELP; // nothing moves off the play screen
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, -1}));
    for (int16_t count : {2, 1, 0, -4}) { // two sequences leave only sequence 1; fewer, nothing to choose
        const uint32_t seed = state.draw.random_seed;
        state.fidget.sequence_count = count;
        set_fidget_state(state, 3);
        state.fidget.wait = 0;
        state.mode = MODE_PLAY;
        EXPECT_EQ(ticks(3), (std::vector<int>{count == 2 ? 5 : -1, -1, -1}));
        EXPECT_EQ(std::make_tuple(fidget_state(state), state.fidget.sequence, state.draw.random_seed == seed),
                  std::make_tuple(count == 2 ? 4 : 3, count == 2 ? 1 : state.fidget.sequence, count != 2));
    }
    state.fidget.sequences[14][19] = 7; // the very last entry of the table; missing and out-of-table: nothing shown
    for (auto [sequence, frame] : {std::pair<int16_t, uint16_t>{40, 0}, {15, 0}, {-1, 0}, {0, 20}, {14, 19}}) {
        set_fidget_state(state, 4);
        state.fidget.sequence = sequence;
        state.fidget.frame = frame;
        EXPECT_EQ((std::vector<int>{ticks(1)[0], fidget_state(state)}),
                  (std::vector<int>{sequence == 14 ? 7 : -1, sequence == 14 ? 4 : 3}));
    }
    play_level_2();
    ASSERT_EQ(create_game_timers(state), 0);
    stop_game_timers(state), restart_game_timers(state), on_window_timer(state, 99);  // a stale id finds nothing
    EXPECT_EQ(args(CALL_SET_TIMER, &Platform_call::b), Ints({300, 5000, 5000, 300})); // the message-line timer first
    EXPECT_EQ(args(CALL_KILL_TIMER, &Platform_call::a), Ints({2, 1}));
    // Entered just after a fidget tick the status comes with the third tick, 0.89 s later.
    advance_ms(state, 310);
    state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds());
    set_message_line(state, state.play_board), fidget_reset(state), state.play_board.moves = 7,
                                                                    state.play_board.pushes = 6;
    advance_ms(state, 889);
    EXPECT_EQ(titles().back(), "Zandrek - Level 2");
    advance_ms(state, 1);
    EXPECT_EQ(titles().back(), "Zandrek: Alice - Level=2 Moves=7 Pushes=6 Time=00:01");
    // The message-line timer shows it only while playing, and not before the idling showed it; no player, no name.
    state.current_player = nullptr;
    for (auto [mode, phase] : {std::pair<int, uint16_t>{MODE_PLAY, 1}, {MODE_PLAY, 0}, {MODE_HELP, 1}}) {
        state.mode = mode;
        set_fidget_state(state, phase);
        offscreen().calls.clear();
        msgline_tick(state, 0);
        EXPECT_EQ(titles(),
                  mode == MODE_PLAY && phase ? Texts{"Zandrek:  - Level=2 Moves=7 Pushes=6 Time=00:01"} : Texts{})
            << mode << " " << fidget_state;
    }
}

TEST_F(Presentation, ANewSoundCutsOffTheOneThatPlaysAndReopensOnlyForANewFormatAndNoneThatCannotBeHad)
{
    for (int k : {0, 4, 5}) { // samples play as stored, 8-bit ones turned unsigned
        ASSERT_EQ(play_speech(state, static_cast<uint8_t>(k)), 0);
        EXPECT_EQ(offscreen().sounds.back().bytes, played(k)) << k;
    }
    EXPECT_EQ(wave(), "open 11025/8 prepare write reset unprepare close open 11025/16 prepare write reset unprepare "
                      "close open 22050/8 prepare write");
    // Another rate, the last one finished: no stop; the same format, the first still playing; the same memory
    // again: no new preparation; another sample size.
    offscreen_next_due_timer(offscreen().now_ms + 10000);
    for (uint8_t k : {0, 1, 1, 4})
        play_speech(state, k);
    EXPECT_EQ(wave(), "unprepare close open 11025/8 prepare write reset unprepare prepare write reset write reset "
                      "unprepare close open 11025/16 prepare write");
    // A pack sound is 16-bit at the pack's speed, only as long as its samples.
    Pack_sound sound, shorter; // the shorter one in other memory
    sound.speed = shorter.speed = 8000, sound.num_samples = 1000, shorter.num_samples = 2;
    sound.samples = shorter.samples = {1, -2, 0x1234};
    ASSERT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
    play_pack_sound(state, &shorter);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF}));
    EXPECT_EQ(wave(), "reset unprepare close open 8000/16 prepare write reset unprepare prepare write");
    offscreen().wave_open_fails = true; // the device stays closed after a failed open
    const int first_try = play_speech(state, 0);
    EXPECT_EQ(std::make_tuple(first_try, play_speech(state, 0)), std::make_tuple(-1, -1));
    offscreen().wave_open_fails = false;
    EXPECT_EQ(play_speech(state, 0), 0);
    offscreen().wave_reset_fails = true; // a sound the device cannot stop plays on; the new one is dropped
    EXPECT_EQ(play_speech(state, 4), -1);
    offscreen().wave_reset_fails = false;
    close_sound(state);
    close_sound(state); // once closed, nothing more
    EXPECT_EQ(wave(), "reset unprepare close open 11025/8 open 11025/8 open 11025/8 prepare write reset reset "
                      "unprepare close");
    // Switched off, silent ids and sounds that cannot be had: only the motion sound plays.
    sound.num_samples = 1, sound.samples = {5}, state.sound.speech_on = false;
    offscreen().sounds.clear();
    const int speech = play_speech(state, 2), pack = play_pack_sound(state, &sound);
    EXPECT_EQ(std::make_tuple(speech, pack, play_motion_sound(state, 1)), std::make_tuple(0, 0, 0));
    state.sound.speech_on = true, state.sound.motion_sounds_on = false;
    sound.num_samples = 0, shorter.samples.clear();
    const int motion = play_motion_sound(state, 0), none = play_pack_sound(state, nullptr);
    const int empty = play_pack_sound(state, &sound);
    EXPECT_EQ(std::make_tuple(motion, none, empty, play_pack_sound(state, &shorter)), std::make_tuple(0, 0, 0, 0));
    // 6 is not a sampled item and 8 is past the item table; the sample of 7 is not in the map, and
    // those of 2 and 3 claim more than the SAMP chunk holds: silent, no allocation, no box.
    state.samples[3].length = 1 << 30, state.samples[2].offset = 0xFFFFFFF0u;
    EXPECT_EQ(Ints({play_speech(state, NO_SOUND), play_speech(state, 6), play_speech(state, 8), play_speech(state, 7),
                    play_sample(state, -1), play_sample(state, 6), play_speech(state, 3), play_speech(state, 2)}),
              Ints({0, 0, 0, -1, -1, -1, -1, -1}));
    state.samples[3].length = -7;
    EXPECT_EQ(play_speech(state, 3), -1);
    EXPECT_EQ(std::make_pair(offscreen().sounds.size(), box_texts().empty()), std::make_pair(size_t{1}, true));
}

TEST_F(Presentation, PreloadingPinsTheBoardsSoundsAndFreesTheRest)
{
    for (uint8_t id : {0, 2, 3, 4, 5, 1}) // sample 1 playing
        play_speech(state, id);
    // The samples loaded, pinned or not, then what the device was told.
    auto preload = [&](int16_t number, uint8_t start, uint8_t banked, uint8_t solved, uint8_t spare) {
        Field_info b{};
        b.number = number, b.start_sound = start, b.banked_sound = banked, b.solved_sound = solved,
        b.spare_sound = spare, offscreen().calls.clear(), preload_screen_samples(state, b);
        std::string out;
        for (const Sample_info& s : state.samples)
            out += s.data ? ((s.flags & SAMPLE_PINNED) ? 'P' : 'L') : '-';
        return out + " " + wave();
    };
    // Id 6 is not sampled: nothing to pin. The others go, the device left alone while its sample stays.
    EXPECT_EQ(preload(BOARD_FINALE, 1, 2, NO_SOUND, 6), "-PP--- ");
    // A screen board keeps the pins it finds; a level clears them, the playing sample going with the device reset.
    EXPECT_EQ(preload(BOARD_HELP, NO_SOUND, NO_SOUND, 4, NO_SOUND), "-PP-P- ");
    EXPECT_EQ(preload(3, NO_SOUND, NO_SOUND, NO_SOUND, 0), "P----- reset unprepare");
    EXPECT_EQ(state.sound.header.data, nullptr);
    EXPECT_EQ(preload(1, 5, NO_SOUND, NO_SOUND, NO_SOUND), "-----P ");
}

} // namespace

// What the player sees and hears around the board: the full-window screens,
// the texts over boards, the window title, the timers and the idle animation,
// and sound playback through the one wave device.
#include <cstring>
#include <functional>
#include <set>
#include <tuple>

#include "engine/services.h"
#include "files/pack_records.h"
#include "map_fixture.h"
#include "presentation/fidget.h"
#include "presentation/message_line.h"
#include "presentation/screens.h"
#include "presentation/sound.h"
#include "presentation/timers.h"

namespace
{

using Texts = std::vector<std::string>;
using Kinds = std::vector<Call_kind>;
const char PRESS[] = "(Press any key to continue)";

// The test map at magnification 1 with the title, help and finale boards sounding.
class Presentation : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        Map_contents m = test_map_contents();
        m.boards[TEST_LEVELS].start_sound = 2;     // title
        m.boards[TEST_LEVELS + 1].start_sound = 3; // help
        m.boards[TEST_LEVELS + 3].start_sound = 0; // finale
        m.boards[TEST_LEVELS + 3].banked_sound = 1;
        open_map(m, 1);
        make_player(state, "Alice");
    }
    // The white faces of the texts drawn: "x,y,align:text".
    Texts faces() const
    {
        Texts out;
        for (const Platform_call* c : offscreen_calls_of(CALL_TEXT))
            if (c->d == 0xFFFFFF)
                out.push_back(std::to_string(c->a) + "," + std::to_string(c->b) + (c->c == TEXT_CENTRE ? "c:" : "l:") +
                              c->text);
        return out;
    }
    // The kinds of the screen's calls (folded) or of the wave calls, in order; the record is cleared.
    Kinds kinds(bool screen)
    {
        const std::set<Call_kind> wanted =
            screen ? std::set<Call_kind>{CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE, CALL_TEXT}
                   : std::set<Call_kind>{CALL_WAVE_OPEN,    CALL_WAVE_CLOSE,     CALL_WAVE_RESET,
                                         CALL_WAVE_PREPARE, CALL_WAVE_UNPREPARE, CALL_WAVE_WRITE};
        Kinds out;
        for (const Platform_call& c : offscreen().calls)
            if (wanted.count(c.kind) && !(screen && !out.empty() && out.back() == c.kind)) out.push_back(c.kind);
        offscreen().calls.clear();
        return out;
    }
    std::string title() const { return titles().empty() ? std::string() : titles().back(); }
    // Sample k as the device gets it: 8-bit samples turned unsigned.
    std::vector<uint8_t> played(int k)
    {
        Map_sample s = test_map_contents().samples[k];
        for (uint8_t& b : s.data)
            b ^= s.bits == 8 ? 0x80 : 0;
        return s.data;
    }
    // One fidget tick: the image drawn at the player's cell (3, 2), or -1 when none.
    int tick()
    {
        offscreen().calls.clear();
        fidget_tick(state, 0);
        auto blits = blitted_cells();
        if (blits.empty()) return -1;
        EXPECT_EQ(blits, (std::vector<std::pair<int, int>>{{3, 2}}));
        for (int k = 0; k < TEST_TILES; ++k)
            if (colour_rgb(image_pixel(k, 0, 0)) == pixel(3 * TILE_W, 2 * TILE_H) &&
                colour_rgb(image_pixel(k, 1, 0)) == pixel(3 * TILE_W + 1, 2 * TILE_H))
                return k;
        return -2;
    }
    std::vector<int> ticks(int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(tick());
        return out;
    }
    void play_level_2()
    {
        read_board_record(state, state.play_board, 2);
        state.mode = MODE_PLAY;
        fidget_reset(state);
    }
};

TEST(Format_elapsed, MinutesAndSecondsBelowAnHourThenHoursUnwrapped)
{
    const std::pair<int64_t, const char*> cases[] = {{0, "00:00"},          {59, "00:59"},      {61, "01:01"},
                                                     {3599, "59:59"},       {3600, "01:00:00"}, {86399, "23:59:59"},
                                                     {363600, "101:00:00"}, {-5, "00:00"}};
    for (auto [seconds, text] : cases)
        EXPECT_STREQ(format_elapsed(seconds), text) << seconds;
}

TEST_F(Presentation, EachScreenDrawsItsBoardTitleSoundsAndText)
{
    state.magnify = 2; // texts keep their base position; the shadow is one base pixel down and right
    draw_text_centred(state, 20, "Zandrek Help");
    draw_text_left(state, 88, 93, "x");
    auto texts = offscreen_calls_of(CALL_TEXT);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(std::vector<int64_t>({texts[0]->a, texts[0]->b, texts[0]->c, texts[0]->d, texts[1]->a, texts[1]->b,
                                    texts[1]->c, texts[1]->d, texts[3]->a, texts[3]->b, texts[3]->c}),
              std::vector<int64_t>({322, 42, TEXT_CENTRE, 0, 320, 40, TEXT_CENTRE, 0xFFFFFF, 176, 186, TEXT_LEFT}));
    state.magnify = 1;

    struct Screen {
        const char* name;
        std::function<void(Game_state&)> show;
        int32_t mode;
        int board;
        std::string title;
        Kinds order;
        Texts faces;
        bool rows_down;
    };
    // clang-format off
    const Screen screens[] = {
        {"greeting", show_greeting, MODE_TITLE, BOARD_TITLE, "Greetings - Click or press any key to begin",
         {CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE}, {}, true},
        {"help", show_help, MODE_HELP, BOARD_HELP, "May I Help You?",
         {CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE, CALL_TEXT},
         {"160,20c:Zandrek Help", "160,40c:Push all the treasures onto the", "160,50c:marked floor positions.",
          "88,93l:Move Zandrek up", "88,105l:Move Zandrek down", "88,117l:Move Zandrek left",
          "88,129l:Move Zandrek right", "88,141l:Undo the last push", "88,153l:Restart the level",
          "88,165l:Go to next level", "88,177l:Go to previous level"}, false},
        {"closing", show_closing_text, MODE_DONE_TEXT, BOARD_BLANK, "Oh, I say.  Bravo.  Frightfully good.",
         {CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_TEXT},
         {"160,30c:Alice Has Done It!", "160,80c:You have achieved a sublime state", "160,100c:of pure Zandnicity",
          "160,145c:You sure are cool", std::string("160,170c:") + PRESS}, false},
        // The banked sound cuts the start sound off; both stay pinned.
        {"finale", show_finale, MODE_FINALE, BOARD_FINALE, "   Jumpin' Jehosephat!!!",
         {CALL_FILL, CALL_WAVE_WRITE, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE}, {}, true},
    };
    // clang-format on
    for (const Screen& c : screens) {
        SCOPED_TRACE(c.name);
        offscreen().calls.clear();
        state.mode = MODE_PLAY;
        state.draw.last_reveal = 0;
        c.show(state);
        EXPECT_EQ(state.mode, c.mode);
        EXPECT_EQ(state.screen_board.number, c.board);
        EXPECT_EQ(titles(), Texts{c.title});
        EXPECT_EQ(faces(), c.faces);
        EXPECT_EQ(blitted_cells().size(), 320u);
        EXPECT_EQ(state.draw.last_reveal == 0, c.rows_down);
        EXPECT_EQ(kinds(true), c.order);
    }
    EXPECT_NE(state.samples[0].flags & state.samples[1].flags & SAMPLE_PINNED, 0);
    offscreen().draw_available = false;
    show_help(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(kinds(true), (Kinds{CALL_TITLE, CALL_WAVE_WRITE}));
}

TEST_F(Presentation, AboutShowsTheNoticeThenThePackAndLevelTexts)
{
    show_about(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(state.screen_board.number, BOARD_ABOUT);
    EXPECT_EQ(titles(), Texts{"Zandrek maps (c) Ostrovane"});
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::make_pair(boxes[0]->a, boxes[0]->extra), (std::pair<int64_t, std::string>(BOX_INFO, "Zandrek")));
    EXPECT_EQ(boxes[0]->text.rfind("Zandrek Version 4.0\n\nWindows Version\n\n", 0), 0u);
    EXPECT_NE(boxes[0]->text.find("\n\nhttp://www.ostrovane.example/zandrek/\n"), std::string::npos);

    Pack_info pack;
    pack.about = std::make_unique<Text_block>();
    pack.about->text = "About the pack\n100% handmade\n";
    pack.about->next = std::make_unique<Text_block>();
    pack.about->next->text = "Second block\n";
    pack.levels = std::make_unique<Level_info>();
    pack.levels->about = std::make_unique<Text_block>();
    pack.levels->about->text = "About the level %s %d\n";
    pack.current_level = pack.levels.get();
    state.pack = &pack;
    offscreen().calls.clear();
    show_about(state);
    Texts texts = box_texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(Texts(texts.begin() + 1, texts.end()),
              (Texts{"About the pack\n100% handmade\n", "Second block\n", "About the level %s %d\n"}));
    pack.current_level = nullptr;
    offscreen().calls.clear();
    show_about(state);
    EXPECT_EQ(box_texts().size(), 3u);

    // The solved text: the pack level's name, the longest still whole.
    Field_info board{};
    board.number = 4;
    board.banked = 3;
    board.moves = 10;
    board.pushes = 2;
    board.start_time = 1000;
    board.solve_time = 1065;
    std::memset(pack.levels->name, 'N', NAME_CAPACITY - 1);
    pack.current_level = pack.levels.get();
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(faces()[0], "160,50c:Alice Has Solved Level 4: '" + std::string(NAME_CAPACITY - 1, 'N') + "'");
    state.pack = nullptr;
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(faces(),
              (Texts{"160,50c:Alice Has Solved Level 4", "160,100c:Treasures Saved: 3", "160,115c:Moves: 10  Pushes: 2",
                     "160,130c:Elapsed Time: 01:05", std::string("160,182c:") + PRESS}));
}

TEST_F(Presentation, RemarksForEveryBoardNumberAndTheStatusLine)
{
    state.cpyr_text = "Notice of the map";
    // clang-format off
    const std::pair<int, const char*> expected[] = {{7, "Zandrek - Level 7"}, {1, "Zandrek - Level 1"}, {0, ""},
        {-1, "Greetings - Click or press any key to begin"}, {-2, "May I Help You?"},
        {-3, "Oh, I say.  Bravo.  Frightfully good."}, {-4, "   Jumpin' Jehosephat!!!"}, {-5, "Notice of the map"}, {-6, ""}};
    // clang-format on
    Field_info board{};
    for (auto [number, text] : expected) {
        board.number = static_cast<int16_t>(number);
        set_message_line(state, board);
        EXPECT_EQ(title(), text) << number;
    }
    play_level_2();
    state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds() - 65);
    state.play_board.moves = 70000 % 65536;
    state.play_board.pushes = 6;
    state.mode = MODE_HELP;
    offscreen().calls.clear();
    show_status_title(state); // only in play
    EXPECT_TRUE(titles().empty());
    state.mode = MODE_PLAY;
    show_status_title(state);
    std::memset(state.current_player->name, 'W', sizeof state.current_player->name); // no terminator
    show_status_title(state);
    state.current_player = nullptr;
    show_status_title(state);
    const std::string counts = " - Level=2 Moves=4464 Pushes=6 Time=01:05";
    EXPECT_EQ(titles(),
              (Texts{"Zandrek: Alice" + counts, "Zandrek: " + std::string(20, 'W') + counts, "Zandrek: " + counts}));
}

void count_fire(void* context)
{
    ++*static_cast<int*>(context);
}
std::vector<int64_t> calls_at;
Periodic_timer* self_stopping = nullptr;
void note_call(Game_state&, uint32_t user_value)
{
    calls_at.push_back(user_value == 77 ? offscreen().now_ms : -1);
}
void stop_self(Game_state& state, uint32_t value)
{
    note_call(state, value);
    self_stopping->stop();
}

TEST_F(Presentation, TimersFireOnceNewestFirstAndPeriodicOnesRearmUntilStopped)
{
    int count = 0;
    Timer_node* a = timer_arm(state, 0, 250000, count_fire, &count);
    Timer_node* b = timer_arm(state, 1, 500000, count_fire, &count);
    EXPECT_EQ(std::make_pair(a->id, b->id), std::make_pair(1u, 2u));
    EXPECT_EQ(state.timers.head, b);
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(std::make_pair(sets[0]->b, sets[1]->b), (std::pair<int64_t, int64_t>(250, 1500)));
    advance_ms(state, 2000);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(state.timers.head, nullptr);
    for (uint32_t stale : {1u, 2u, 99u}) // a stale message finds nothing
        on_window_timer(state, stale);
    Timer_node* c = timer_arm(state, 0, 1000, count_fire, &count);
    EXPECT_EQ(c->id, 3u);
    timer_arm(state, 0, 1000, count_fire, &count);
    timer_cancel(state, c); // not at the head
    timer_cancel(state, nullptr);
    on_window_timer(state, 3);
    EXPECT_EQ(offscreen_calls_of(CALL_KILL_TIMER).back()->a, 3);
    timer_list_clear(state);
    advance_ms(state, 2000);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(offscreen().timers.empty());

    calls_at.clear();
    {
        Periodic_timer timer(state, 0, 300000, note_call, 77);
        advance_ms(state, 1000);
        EXPECT_EQ(calls_at, (std::vector<int64_t>{4300, 4600, 4900}));
        uint32_t live = state.timers.head->id;
        timer.restart(); // a restart re-phases it under a new id; the old id is ignored if it comes
        EXPECT_NE(state.timers.head->id, live);
        on_window_timer(state, live);
        advance_ms(state, 400);
        EXPECT_EQ(calls_at.back(), 5300);
        timer.stop();
        timer.stop();
        EXPECT_FALSE(timer.running());
        timer.start();
    }
    EXPECT_EQ(state.timers.head, nullptr); // destroying a timer cancels it
    Periodic_timer once(state, 0, 50000, stop_self, 77);
    self_stopping = &once;
    advance_ms(state, 1000);
    EXPECT_EQ(calls_at.back(), 5450);
    EXPECT_EQ(calls_at.size(), 5u);
    EXPECT_FALSE(once.running());
    EXPECT_EQ(state.timers.head, nullptr);
}

// The fidget sequences are {10, 11}, {12} and {13, 14}; the standing tile is 5.
TEST_F(Presentation, FidgetShowsTheStatusOnTheThirdTickThenSequenceZeroThenRandomChoices)
{
    play_level_2();
    EXPECT_EQ(ticks(2), (std::vector<int>{-1, -1}));
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(tick(), 5); // the standing tile, with the status title
    EXPECT_EQ(titles().size(), 1u);
    EXPECT_EQ(ticks(4), (std::vector<int>{-1, 10, 11, -1})); // sequence 0 chosen, played, ended
    ASSERT_EQ(state.fidget.state, 3);

    // The choice draws two random numbers: a sequence other than 0, a wait.
    Reference_random reference;
    reference.seed = state.draw.random_seed;
    int sequence = reference.next() % 2 + 1;
    int wait = reference.next() % 60 + 20;
    EXPECT_EQ(tick(), 5);
    EXPECT_EQ((std::pair<int, int>(state.fidget.sequence, state.fidget.wait)), std::make_pair(sequence, wait));
    EXPECT_EQ(ticks(wait - 1), std::vector<int>(static_cast<size_t>(wait - 1), -1));
    EXPECT_EQ(tick(), sequence == 1 ? 12 : 13);
    std::set<int> chosen;
    for (int n = 0; n < 2000 && chosen.size() < 3; ++n) {
        int before = state.fidget.state;
        tick();
        if (before == 3) chosen.insert(state.fidget.sequence);
    }
    EXPECT_EQ(chosen, (std::set<int>{1, 2}));

    fidget_reset(state); // a restart plays sequence 0 from its first frame
    state.fidget.frame = 1;
    EXPECT_EQ(ticks(5), (std::vector<int>{-1, -1, 5, -1, 10}));
    state.mode = MODE_HELP; // nothing moves off the play screen
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, -1}));

    state.mode = MODE_PLAY; // empty, missing or out-of-table sequences show nothing
    state.fidget.sequences[0][0] = FIDGET_END;
    fidget_reset(state);
    EXPECT_EQ(ticks(5), (std::vector<int>{-1, -1, 5, -1, -1}));
    EXPECT_EQ(state.fidget.state, 3);
    for (int16_t count : {1, 0, -4}) { // fewer than two sequences leave nothing to choose
        state.fidget.sequence_count = count;
        state.fidget.state = 3;
        uint32_t seed = state.draw.random_seed;
        EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, -1}));
        EXPECT_EQ(state.fidget.state, 3);
        EXPECT_EQ(state.draw.random_seed, seed);
    }
    for (auto [sequence, frame] : {std::pair<int16_t, uint16_t>{40, 0}, {15, 0}, {-1, 0}, {0, 20}, {14, 19}}) {
        state.fidget.sequences[14][19] = 7; // the very last entry of the table
        state.fidget.state = 4;
        state.fidget.sequence = sequence;
        state.fidget.frame = frame;
        EXPECT_EQ(tick(), sequence == 14 ? 7 : -1);
        EXPECT_EQ(state.fidget.state, sequence == 14 ? 4 : 3);
    }
}

TEST_F(Presentation, GameTimersAndTheStatusLineWhilePlayingAndPausing)
{
    play_level_2();
    ASSERT_EQ(create_game_timers(state), 0);
    stop_game_timers(state);
    restart_game_timers(state);
    auto kills = offscreen_calls_of(CALL_KILL_TIMER);
    auto sets = offscreen_calls_of(CALL_SET_TIMER);
    ASSERT_EQ(kills.size(), 2u);
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(std::vector<int64_t>({sets[0]->b, sets[1]->b, kills[0]->a, kills[1]->a, sets[2]->b, sets[3]->b}),
              std::vector<int64_t>({300, 5000, 2, 1, 5000, 300})); // the message-line timer first
    // Entered just after a fidget tick the status comes with the third tick, 0.89 s later.
    advance_ms(state, 310);
    state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds());
    set_message_line(state, state.play_board);
    fidget_reset(state);
    advance_ms(state, 889);
    EXPECT_EQ(title(), "Zandrek - Level 2");
    advance_ms(state, 1);
    EXPECT_EQ(title(), "Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=00:01");
    // The message-line timer shows it only while playing, and not before the idling showed it.
    for (auto [mode, fidget_state, shown] :
         {std::tuple<int, int, size_t>{MODE_PLAY, 1, 1}, {MODE_PLAY, 0, 0}, {MODE_HELP, 1, 0}}) {
        state.mode = mode;
        state.fidget.state = static_cast<uint16_t>(fidget_state);
        offscreen().calls.clear();
        msgline_tick(state, 0);
        EXPECT_EQ(titles().size(), shown) << mode << " " << fidget_state;
    }
}

TEST_F(Presentation, ANewSoundCutsOffTheOneThatPlaysAndReopensOnlyForANewFormat)
{
    for (int k : {0, 4, 5}) { // samples play as stored, 8-bit ones turned unsigned
        ASSERT_EQ(play_speech(state, static_cast<uint8_t>(k)), 0);
        const Offscreen_sound& s = offscreen().sounds.back();
        EXPECT_EQ(s.bytes, played(k)) << k;
        EXPECT_EQ(std::make_pair(s.bits, s.rate), std::make_pair(k == 4 ? 16 : 8, k == 5 ? 22050 : 11025));
    }
    EXPECT_EQ(played(0)[4], 0x00); // stored 0x80
    EXPECT_EQ(state.samples[5].rate, 22050u);
    offscreen_next_due_timer(offscreen().now_ms + 10000);
    offscreen().calls.clear();
    const Kinds reopen = {CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE,
                          CALL_WAVE_OPEN,  CALL_WAVE_PREPARE,   CALL_WAVE_WRITE};
    play_speech(state, 0); // another rate, the last one finished: no stop
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->a, 11025);
    EXPECT_EQ(kinds(false), Kinds(reopen.begin() + 1, reopen.end()));
    play_speech(state, 1); // same format, the first still playing
    EXPECT_EQ(kinds(false), (Kinds{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));
    play_speech(state, 1); // the same memory again: no new preparation
    EXPECT_EQ(kinds(false), (Kinds{CALL_WAVE_RESET, CALL_WAVE_WRITE}));
    play_speech(state, 4); // another sample size
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->b, 16);
    EXPECT_EQ(kinds(false), reopen);

    // A pack sound is 16-bit at the pack's speed, only as long as its samples.
    Pack_sound sound;
    sound.speed = 8000;
    sound.num_samples = 1000;
    sound.samples = {1, -2, 0x1234};
    ASSERT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->a, 8000);
    EXPECT_EQ(kinds(false), reopen);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
    Pack_sound shorter; // in other memory
    shorter.speed = 8000;
    shorter.num_samples = 2;
    shorter.samples = sound.samples;
    play_pack_sound(state, &shorter);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF}));
    offscreen().calls.clear();

    offscreen().wave_open_fails = true;
    EXPECT_EQ(play_speech(state, 0), -1);
    EXPECT_EQ(play_speech(state, 0), -1); // the device stays closed after a failed open
    EXPECT_EQ(kinds(false),
              (Kinds{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE, CALL_WAVE_OPEN, CALL_WAVE_OPEN}));
    offscreen().wave_open_fails = false;
    EXPECT_EQ(play_speech(state, 0), 0);
    EXPECT_EQ(offscreen().sounds.back().bytes, played(0));
    close_sound(state);
    EXPECT_EQ(kinds(false), (Kinds{CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE, CALL_WAVE_RESET,
                                   CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE}));
    EXPECT_FALSE(state.sound.device_open);
    close_sound(state);
    EXPECT_TRUE(kinds(false).empty());
}

TEST_F(Presentation, SwitchesSilentIdsAndSoundsThatCannotBeHad)
{
    Pack_sound sound;
    sound.speed = 8000;
    sound.num_samples = 1;
    sound.samples = {5};
    state.sound.speech_on = false;
    EXPECT_EQ(play_speech(state, 2) + play_pack_sound(state, &sound), 0);
    EXPECT_TRUE(offscreen().sounds.empty());
    EXPECT_EQ(play_motion_sound(state, 1), 0);
    EXPECT_EQ(offscreen().sounds.size(), 1u);
    state.sound.speech_on = true;
    state.sound.motion_sounds_on = false;
    EXPECT_EQ(play_motion_sound(state, 0), 0);
    sound.num_samples = 0;
    EXPECT_EQ(play_pack_sound(state, nullptr) + play_pack_sound(state, &sound), 0);
    sound.num_samples = 1;
    sound.samples.clear();
    EXPECT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(play_speech(state, NO_SOUND), 0);
    EXPECT_EQ(play_speech(state, 6), 0);  // not a sampled item
    EXPECT_EQ(play_speech(state, 8), 0);  // past the item table
    EXPECT_EQ(play_speech(state, 7), -1); // its sample is not in the map
    EXPECT_EQ(play_sample(state, -1), -1);
    EXPECT_EQ(play_sample(state, 6), -1);
    // Lengths the SAMP chunk does not hold: silent, no allocation, no box.
    state.samples[3].length = 1 << 30;
    EXPECT_EQ(play_speech(state, 3), -1);
    state.samples[3].length = -7;
    EXPECT_EQ(play_speech(state, 3), -1);
    state.samples[2].offset = 0xFFFFFFF0u;
    EXPECT_EQ(play_speech(state, 2), -1);
    EXPECT_EQ(offscreen().sounds.size(), 1u);
    EXPECT_TRUE(box_texts().empty());
}

TEST_F(Presentation, PreloadingPinsTheBoardsSoundsAndFreesTheRest)
{
    for (int id = 0; id < 6; ++id)
        play_speech(state, static_cast<uint8_t>(id));
    auto loaded = [&] {
        std::string out;
        for (const Sample_info& s : state.samples)
            out += s.data ? ((s.flags & SAMPLE_PINNED) ? 'P' : 'L') : '-';
        return out;
    };
    EXPECT_EQ(loaded(), "LLLLLL");
    auto preload = [&](int number, uint8_t start, uint8_t banked, uint8_t solved, uint8_t spare) {
        Field_info b{};
        b.number = static_cast<int16_t>(number);
        b.start_sound = start;
        b.banked_sound = banked;
        b.solved_sound = solved;
        b.spare_sound = spare;
        preload_screen_samples(state, b);
        return loaded();
    };
    // Id 6 is not sampled: nothing to pin. The sound playing last was freed,
    // so the header no longer points at it.
    EXPECT_EQ(preload(BOARD_FINALE, 1, 2, NO_SOUND, 6), "-PP---");
    EXPECT_EQ(state.sound.header.data, nullptr);
    // A screen board keeps the pins it finds; a level clears them first.
    EXPECT_EQ(preload(BOARD_HELP, NO_SOUND, NO_SOUND, 4, NO_SOUND), "-PP-P-");
    EXPECT_EQ(preload(3, NO_SOUND, NO_SOUND, NO_SOUND, 0), "P-----");
    EXPECT_EQ(preload(1, 5, NO_SOUND, NO_SOUND, NO_SOUND), "-----P");
    EXPECT_EQ(play_speech(state, 2), 0); // a freed sample is loaded again on its next use
    EXPECT_EQ(offscreen().sounds.back().bytes, played(2));
}

} // namespace

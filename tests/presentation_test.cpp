// Around the board: levels entered, refused and solved, the full-window
// screens and texts, the window title, idling, and the wave device.
#include <gmock/gmock.h>

#include <functional>
#include <map>
#include <tuple>

#include "engine/level_progression.h"
#include "engine/pack_records.h"
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
const std::string MUST_SOLVE = "box:Sorry, you must solve this\nlevel before going on.\n";
const std::string FIRST_LEVEL = "box:You're at the first level.\nNowhere to go but up.";
const std::string NONE_SOLVED = "box:Sorry, you haven't solved\nthe first level yet.";

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
        m.boards[1].start_sound = 4; // built-in level 2
        open_map(m, 1);
        make_player(state, "Alice", 1);
        state.max_level = 2;
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
    // After each of n idle ticks: the image drawn at the player's cell (3, 2) alone, -1 when none, else -2.
    std::vector<int> ticks(int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i) {
            offscreen().calls.clear();
            fidget_tick(state, 0);
            out.push_back(blitted_cells().empty() ? -1 : -2);
            for (int k = 0; k < TEST_TILES && blitted_cells() == std::vector<std::pair<int, int>>{{3, 2}}; ++k)
                if (colour_rgb(image_pixel(k, 0, 0)) == pixel(3 * TILE_W, 2 * TILE_H)) out.back() = k;
        }
        return out;
    }
    int level() const { return state.pack ? state.pack->current_level->number : state.play_board.number; }
    // Level 2 in play, begun this second, the idle animation at its start.
    void start_idling()
    {
        read_board_record(state, state.play_board, 2);
        state.play_board.start_time = static_cast<uint32_t>(platform_now_seconds());
        fidget_reset(state);
        state.mode = MODE_PLAY;
    }
    // Level 2 idled through the status and sequence 0, the only later one {12} when `sequences` is 2; the
    // game's generator as it stands for the choice that comes next.
    Reference_random idle_past_sequence_zero(int sequences = 0)
    {
        start_idling();
        if (sequences) set_walking_frames(state, sequences, {12});
        ticks(7);
        return generator_of(state);
    }
    // The boxes, sounds and settings written by `action`, then the current level and the mode.
    Texts after(const std::function<void(Game_state&)>& action)
    {
        offscreen().calls.clear();
        action(state);
        Texts out;
        for (const Platform_call& c : offscreen().calls) {
            if (c.kind == CALL_BOX) out.push_back("box:" + c.text);
            if (c.kind == CALL_WAVE_WRITE) out.push_back("sound:" + std::to_string(c.bytes.at(0)));
            if (c.kind == CALL_REG_SET) out.push_back(c.text + "=" + (c.extra.empty() ? std::to_string(c.a) : c.extra));
        }
        out.push_back("level " + std::to_string(level()) + " mode " + std::to_string(state.mode));
        return out;
    }
    // The pack "Must Solve": level k has k floor cells before its treasure and is solved by walking right;
    // its start, banked and solved sounds play samples 1, 2 and 3.
    void enter_pack()
    {
        std::string text = "Zandrek Pack\nName: Must Solve\n";
        for (const char* sound : {"hello\nData:\ni", "ding\nData:\nk", "fanfare\nData:\nm"})
            text += std::string("Sound:\nSpeed: 8000\nNumSamples: 1\nName: ") + sound + "\nend\nend\n";
        for (int k = 1; k <= 3; ++k)
            text += "Level:\nStart: hello\nBanked: ding\nSolved: fanfare\nLayout:\n #" + std::string(k + 3, '#') +
                    "\n #@" + std::string(k, '-') + "$.#\n #" + std::string(k + 3, '#') + "\nend\nend\n";
        pack = append_pack(state, read_pack_bytes(text.data(), text.size()));
        give_sounds(state);
        offscreen().calls.clear();
        select_level_set(state, pack->number, 0);
    }

    Pack_info* pack = nullptr;
};

TEST_F(Presentation, LevelCommandsKeepToTheOpenLevels)
{
    enter_pack();
    using Action = void (*)(Game_state&);
    // The level set (0: the built-in levels), the level played and the highest open, then the command and its effects.
    // clang-format off
    const std::tuple<const char*, int, int, int, Action, Texts> cases[] = {
        {"previous before the first", 1, 1, 1, previous_level, {"sound:15", FIRST_LEVEL, "level 1 mode 0"}},
        {"next, past the highest open", 1, 2, 2, next_level, {"sound:14", MUST_SOLVE, "level 2 mode 0"}},
        {"next, up to the highest open", 1, 1, 2, next_level, {"sound:1", "level 2 mode 0"}},
        {"previous", 1, 2, 2, previous_level, {"sound:1", "level 1 mode 0"}},
        {"next after the last", 1, 3, 3, next_level, {"level 3 mode 0"}},
        {"go to, unchecked", 1, 1, 1, [](Game_state& s) { goto_level(s, 3); }, {"sound:1", "level 3 mode 0"}},
        {"select past the list", 1, 1, 1, [](Game_state& s) { select_level_set(s, 2, 1); }, {"level 1 mode 0"}},
        {"select past the end", 1, 1, 1, [](Game_state& s) { select_level_set(s, 1, 99); }, {"sound:1", "level 3 mode 0"}},
        {"built in: next, up to the maximum", 0, 1, 2, next_level, {"sound:4", "level 2 mode 0"}},
        {"built in: next, past the maximum", 0, 2, 2, next_level, {"sound:14", MUST_SOLVE, "level 2 mode 0"}},
        {"built in: choose always declines", 0, 2, 2, choose_level, {"level 2 mode 0"}},
        {"built in: previous", 0, 2, 2, previous_level, {"level 1 mode 0"}},
        {"built in: choose from one level", 0, 1, 1, choose_level, {"sound:14", NONE_SOLVED, "level 1 mode 0"}}};
    // clang-format on
    for (const auto& [what, set, from, highest, action, expected] : cases) {
        select_level_set(state, set, from);
        (set ? pack->highest_level : state.max_level) = highest;
        EXPECT_EQ(after(action), expected) << what;
    }
}

TEST_F(Presentation, SolvingAPackLevelMarksTheNextOneOpenIfAny)
{
    enter_pack();
    // The level solved, then the effects of walking right onto its bank, the highest open and the board shown.
    const std::tuple<int, Texts, std::tuple<int, int>> cases[] = {
        {3, {"sound:8", "sound:8", "sound:8", "sound:9", "sound:2", "sound:3", "level 3 mode 4"}, {1, 3}}, // no next
        {1, {"sound:8", "sound:9", "sound:2", "sound:3", "solved:Must Solve=2", "level 2 mode 2"}, {2, 1}}};
    for (const auto& [level, expected, highest_and_board] : cases) {
        goto_level(state, level);
        EXPECT_EQ(after([steps = level + 1](Game_state& s) { press(s, CODE_RIGHT, steps); }), expected) << level;
        EXPECT_EQ(std::make_tuple(pack->highest_level, int{state.play_board.number}), highest_and_board) << level;
    }
}

TEST_F(Presentation, EachScreenDrawsItsOwnContents)
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
          "160,100c:of pure Zandnicity", "160,145c:You sure are cool", "160,170c:(Press any key to continue)"}, false},
        // The banked sound cuts the start sound off.
        {show_finale, MODE_FINALE, BOARD_FINALE, "   Jumpin' Jehosephat!!!", {"fill", "sound", "blit", "title", "sound"},
         true},
        {show_about, MODE_HELP, BOARD_ABOUT, "Zandrek maps (c) Ostrovane", {"fill", "blit", "title"}, false}};
    // clang-format on
    for (const auto& [show, mode, board, title, calls, rows_down] : screens) {
        SCOPED_TRACE(title);
        state.mode = MODE_PLAY;
        last_reveal(state) = 0;
        offscreen().calls.clear();
        show(state);
        EXPECT_EQ(std::make_tuple(state.mode, int{state.screen_board.number}, blitted_cells().size(),
                                  last_reveal(state) == 0),
                  std::make_tuple(mode, board, size_t{320}, rows_down));
        EXPECT_EQ(texts_of(CALL_TITLE), Texts{title});
        EXPECT_EQ(drawn(), calls);
    }
}

// The idle sequences are {10, 11}, {12} and {13, 14}; the standing tile is 5.
// White over a black shadow one magnified pixel below and to the right.
TEST_F(Presentation, ATextIsDrawnOverItsShadow)
{
    state.magnify = 2;
    offscreen().calls.clear();
    draw_text(state, 10, 20, "Hi", TEXT_CENTRE);
    std::vector<std::tuple<int, int, int, uint32_t, std::string>> texts;
    for (const Platform_call* c : offscreen_calls_of(CALL_TEXT))
        texts.emplace_back(c->a, c->b, c->c, c->d, c->text);
    EXPECT_THAT(texts, testing::ElementsAre(std::make_tuple(22, 42, TEXT_CENTRE, 0x000000u, "Hi"),
                                            std::make_tuple(20, 40, TEXT_CENTRE, 0xFFFFFFu, "Hi")));
}

TEST_F(Presentation, IdlingShowsTheStatusOnTheThirdTickThenSequenceZero)
{
    start_idling();
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, 5})); // the standing tile, with the status title
    EXPECT_EQ(texts_of(CALL_TITLE), Texts{"Zandrek: Alice - Level=2 Moves=0 Pushes=0 Time=00:00"});
    EXPECT_EQ(ticks(4), (std::vector<int>{-1, 10, 11, -1})); // sequence 0 played, then ended
}

// A move two ticks into the wait before the status starts the three ticks over.
TEST_F(Presentation, AResetDuringTheFirstWaitStartsItOver)
{
    start_idling();
    ticks(2);
    fidget_reset(state);
    EXPECT_EQ(ticks(3), (std::vector<int>{-1, -1, 5}));
}

// A sequence that fills its row of the table, with no end mark, ends after
// its last frame.
TEST_F(Presentation, ASequenceWithoutAnEndMarkEndsWithItsRow)
{
    start_idling();
    std::fill_n(state.fidget.sequences[0], FIDGET_FRAMES, uint16_t{10});
    ticks(4); // the standing tile with the status title, then a tick before the sequence
    std::vector<int> expected(FIDGET_FRAMES, 10);
    expected.push_back(-1);
    EXPECT_EQ(ticks(FIDGET_FRAMES + 1), expected);
}

// After sequence 0 an idle player waits, then plays sequence 1 or 2 (frames
// {12} or {13, 14}), each choice and wait drawn from the game's generator.
TEST_F(Presentation, AnIdlePlayerPlaysARandomLaterSequence)
{
    Reference_random random = idle_past_sequence_zero();
    const int sequence = random.next() % 2 + 1, wait = random.next() % 60 + 20;
    std::vector<int> expected{5}; // the choice redraws the standing player
    expected.resize(wait, -1);    // then nothing while the wait lasts
    if (sequence == 1) expected.insert(expected.end(), {12, -1});
    if (sequence == 2) expected.insert(expected.end(), {13, 14, -1});
    EXPECT_EQ(ticks(static_cast<int>(expected.size())), expected) << "sequence " << sequence;
}

// With two sequences the choice after sequence 0 is always sequence 1.
TEST_F(Presentation, AnIdlePlayerWithOneLaterSequencePlaysIt)
{
    Reference_random random = idle_past_sequence_zero(2);
    random.next(); // the choice, of one
    std::vector<int> expected{5};
    expected.resize(random.next() % 60 + 20, -1);
    expected.insert(expected.end(), {12, -1});
    EXPECT_EQ(ticks(static_cast<int>(expected.size())), expected);
}

// A move in the middle of a later sequence starts the idling over, from sequence 0.
TEST_F(Presentation, AnIdlePlayerStartsAgainFromSequenceZero)
{
    Reference_random random = idle_past_sequence_zero(2);
    random.next();
    ASSERT_EQ(ticks(random.next() % 60 + 20 + 1).back(), 12); // the choice and its wait, then sequence 1 begun
    fidget_reset(state);
    EXPECT_EQ(ticks(7), (std::vector<int>{-1, -1, 5, -1, 10, 11, -1}));
}

TEST_F(Presentation, TheMessageLineTimerShowsTheStatusOnlyInSettledPlay)
{
    read_board_record(state, state.play_board, 2);
    const std::tuple<const char*, int32_t, bool, size_t> rows[] = {
        {"in play", MODE_PLAY, false, 1}, {"just restarted", MODE_PLAY, true, 0}, {"on a screen", MODE_HELP, false, 0}};
    for (const auto& [what, mode, restarted, titles] : rows) {
        state.mode = MODE_PLAY;
        fidget_reset(state);
        for (int tick = 0; !restarted && tick < 3; ++tick) // the third shows the status
            fidget_tick(state, 0);
        state.mode = mode;
        offscreen().calls.clear();
        msgline_tick(state, 0);
        EXPECT_EQ(texts_of(CALL_TITLE).size(), titles) << what;
    }
}

TEST_F(Presentation, APacksAboutScreenAddsThePacksThenTheLevelsTexts)
{
    const std::string text = "Zandrek Pack\nAbout:\nDocks\nend\nLevel:\nAbout:\nQuay one\nend\n"
                             "Layout:\n#@$.#\nend\nend\n";
    std::unique_ptr<Pack_info> pack = read_pack_bytes(text.data(), text.size());
    state.pack = pack.get();
    pack->current_level = pack->levels.get();
    offscreen().calls.clear();
    show_about(state);
    EXPECT_THAT(box_texts(), testing::ElementsAre(testing::StartsWith("Zandrek"), "Docks\n", "Quay one\n"));
    state.pack = nullptr;
}

TEST_F(Presentation, TheSolvedTextGivesTheBoardsCounts)
{
    Field_info board = solved_board(2, 12, 4, 75);
    board.banked = 3;
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(drawn(),
              (Texts{"160,50c:Alice Has Solved Level 2", "160,100c:Treasures Saved: 3", "160,115c:Moves: 12  Pushes: 4",
                     "160,130c:Elapsed Time: 01:15", "160,182c:(Press any key to continue)"}));
}

TEST_F(Presentation, ElapsedTimesShowMinutesThenHours)
{
    const std::pair<int64_t, const char*> cases[] = {{61, "01:01"}, {3600, "01:00:00"}, {-5, "00:00"}};
    for (auto [seconds, text] : cases)
        EXPECT_EQ(std::string(format_elapsed(seconds)), text) << seconds << " s";
}

// A pack's samples are 16-bit whatever its SampleSize line said.
TEST_F(Presentation, APackSoundPlaysSixteenBitSamplesAtItsSpeed)
{
    Pack_sound sound;
    sound.speed = 8000;
    sound.sample_size = 8;
    sound.num_samples = 2;
    sound.samples = {100, -100};
    wave();
    play_pack_sound(state, &sound);
    EXPECT_EQ(wave(), "open 8000/16 prepare write");
}

// Speech id 2 plays sample 2 of the test map: bytes 0x02, 0x22 ... 0xE2 and
// on, 12 in all, 8-bit and so stored signed, played unsigned.
TEST_F(Presentation, ASampleReachesTheDeviceAsTheMapHoldsIt)
{
    play_speech(state, 2);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 12; ++i)
        expected.push_back(static_cast<uint8_t>((i * 0x20 + 2) ^ 0x80));
    ASSERT_EQ(offscreen().sounds.size(), 1u);
    EXPECT_EQ(offscreen().sounds[0].bytes, expected);
}

// Speech id 7 of the test map names sample 7 of its six.
TEST_F(Presentation, SpeechNamingASampleTheMapLacksPlaysNothing)
{
    play_speech(state, 7);
    EXPECT_TRUE(offscreen().sounds.empty());
}

TEST_F(Presentation, APlayedLevelsTitleNamesIt)
{
    offscreen().calls.clear();
    set_message_line(state, solved_board(1, 0, 0, 0));
    EXPECT_EQ(texts_of(CALL_TITLE), Texts{"Zandrek - Level 1"});
}

TEST_F(Presentation, TheWaveDeviceIsToldOnlyWhatEachSoundNeeds)
{
    // Sample 1 has sample 0's format; 4 is 16-bit, 5 another rate; ids played before, then the ids looked at.
    const std::tuple<const char*, std::vector<uint8_t>, std::vector<uint8_t>, std::string> cases[] = {
        {"the first sound", {}, {0}, "open 11025/8 prepare write"},
        {"the same format cuts the last off", {0}, {1}, "reset unprepare prepare write"},
        {"the same memory again", {1}, {1}, "reset write"},
        {"a new sample size reopens", {0}, {4}, "reset unprepare close open 11025/16 prepare write"},
        {"a new rate reopens", {0}, {5}, "reset unprepare close open 22050/8 prepare write"},
        {"closing twice closes once", {0}, {}, "reset unprepare close"}};
    for (const auto& [what, before, ids, expected] : cases) {
        for (uint8_t id : before)
            play_speech(state, id);
        wave();
        for (uint8_t id : ids)
            play_speech(state, id);
        if (ids.empty()) {
            close_sound(state);
            close_sound(state);
        }
        EXPECT_EQ(wave(), expected) << what;
        close_sound(state);
    }
}

TEST_F(Presentation, SwitchedOffMotionSoundsStaySilent)
{
    state.sound.motion_sounds_on = false;
    play_motion_sound(state, 0);
    EXPECT_TRUE(offscreen().sounds.empty());
}

// A speech item naming a sample past the map's last is passed over; the
// board's other sounds are still kept loaded.
TEST_F(Presentation, AScreenSoundWithNoSampleIsPassedOver)
{
    give_sounds(state);
    state.speech_items[5].sample = static_cast<uint8_t>(state.samples.size());
    Field_info screen{};
    screen.number = BOARD_TITLE;
    screen.start_sound = 5;
    screen.banked_sound = 6;
    screen.solved_sound = screen.spare_sound = NO_SOUND;
    preload_screen_samples(state, screen);
    EXPECT_EQ(state.samples[6].flags & SAMPLE_PINNED, SAMPLE_PINNED);
}

TEST_F(Presentation, ALevelBoardUnpinsTheScreensSounds)
{
    show_finale(state);
    Field_info level{};
    read_board_record(state, level, 1); // no sounds
    preload_screen_samples(state, level);
    EXPECT_EQ(std::make_tuple(state.samples[0].flags & SAMPLE_PINNED, state.samples[1].flags & SAMPLE_PINNED),
              std::make_tuple(0, 0));
}

} // namespace

// Full-window screens, the texts drawn over boards, the remarks in the
// window title and the elapsed-time format.
#include <cstring>
#include <functional>

#include "board_fixture.h"
#include "engine/services.h"
#include "map_fixture.h"
#include "presentation/message_line.h"
#include "presentation/screens.h"

namespace
{

const char PRESS[] = "(Press any key to continue)";

class Screens : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        Map_contents m = test_map_contents();
        m.boards[TEST_LEVELS + 1].start_sound = 3; // help
        m.boards[TEST_LEVELS + 3].start_sound = 0; // finale
        m.boards[TEST_LEVELS + 3].banked_sound = 1;
        open_map(m, 2);
        make_player(state, "Alice");
    }
    // The white faces of the texts drawn: "x,y,align:text" in base pixels.
    std::vector<std::string> faces() const
    {
        std::vector<std::string> out;
        for (const Platform_call* c : offscreen_calls_of(CALL_TEXT))
            if (c->d == 0xFFFFFF)
                out.push_back(std::to_string(c->a / state.magnify) + "," + std::to_string(c->b / state.magnify) +
                              (c->c == TEXT_CENTRE ? "c:" : "l:") + c->text);
        return out;
    }
    // The kinds of drawing, title and sound calls in order, repeats folded.
    std::vector<Call_kind> order() const
    {
        std::vector<Call_kind> kinds;
        for (const Platform_call& c : offscreen().calls)
            if ((c.kind == CALL_FILL || c.kind == CALL_BLIT || c.kind == CALL_TITLE || c.kind == CALL_WAVE_WRITE ||
                 c.kind == CALL_TEXT) &&
                (kinds.empty() || kinds.back() != c.kind))
                kinds.push_back(c.kind);
        return kinds;
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

TEST_F(Screens, TextHasAShadowOneBasePixelDownRightAndTheFontKeepsItsSize)
{
    for (uint32_t& p : offscreen().pixels)
        p = 0x123456;
    draw_text_centred(state, 20, "Zandrek Help");
    auto texts = offscreen_calls_of(CALL_TEXT);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(std::vector<int64_t>({texts[0]->a, texts[0]->b, texts[0]->c, texts[0]->d}),
              std::vector<int64_t>({322, 42, TEXT_CENTRE, 0x000000}));
    EXPECT_EQ(std::vector<int64_t>({texts[1]->a, texts[1]->b, texts[1]->c, texts[1]->d}),
              std::vector<int64_t>({320, 40, TEXT_CENTRE, 0xFFFFFF}));
    // The Z's top bar seven rows above the baseline; its shadow two device
    // pixels lower right; nothing above the glyphs or far below the baseline.
    int left = 320 - offscreen_text_width("Zandrek Help") / 2;
    for (int x = left; x < left + 5; ++x)
        EXPECT_EQ(pixel(x, 40 - OFFSCREEN_FONT_ASCENT), 0xFFFFFFu) << x;
    EXPECT_EQ(pixel(left + 2, 42 - OFFSCREEN_FONT_ASCENT), 0u);
    EXPECT_EQ(pixel(left - 1, 40 - OFFSCREEN_FONT_ASCENT), 0x123456u);
    for (int x = 0; x < offscreen().width; ++x) {
        ASSERT_EQ(pixel(x, 40 - OFFSCREEN_FONT_ASCENT - 1), 0x123456u);
        ASSERT_EQ(pixel(x, 42 + 3), 0x123456u);
    }
    offscreen().calls.clear();
    draw_text_left(state, 88, 93, "x");
    EXPECT_EQ(faces(), std::vector<std::string>{"88,93l:x"});
}

struct Screen_case {
    const char* name;
    std::function<void(Game_state&)> show;
    int32_t mode;
    int board;
    std::string title;
    std::vector<Call_kind> order;
    std::vector<std::string> faces;
};

TEST_F(Screens, EachScreenDrawsItsBoardTitleSoundsAndText)
{
    const std::vector<Call_kind> board_then_title = {CALL_FILL, CALL_BLIT, CALL_TITLE};
    const Screen_case cases[] = {
        {"greeting",
         show_greeting,
         MODE_TITLE,
         BOARD_TITLE,
         "Greetings - Click or press any key to begin",
         board_then_title,
         {}},
        {"help",
         show_help,
         MODE_HELP,
         BOARD_HELP,
         "May I Help You?",
         {CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE, CALL_TEXT},
         {"160,20c:Zandrek Help", "160,40c:Push all the treasures onto the", "160,50c:marked floor positions.",
          "88,93l:Move Zandrek up", "88,105l:Move Zandrek down", "88,117l:Move Zandrek left",
          "88,129l:Move Zandrek right", "88,141l:Undo the last push", "88,153l:Restart the level",
          "88,165l:Go to next level", "88,177l:Go to previous level"}},
        {"closing",
         show_closing_text,
         MODE_DONE_TEXT,
         BOARD_BLANK,
         "Oh, I say.  Bravo.  Frightfully good.",
         {CALL_FILL, CALL_BLIT, CALL_TITLE, CALL_TEXT},
         {"160,30c:Alice Has Done It!", "160,80c:You have achieved a sublime state", "160,100c:of pure Zandnicity",
          "160,145c:You sure are cool", std::string("160,170c:") + PRESS}},
        // The banked sound cuts the start sound off; both stay pinned.
        {"finale",
         show_finale,
         MODE_FINALE,
         BOARD_FINALE,
         "   Jumpin' Jehosephat!!!",
         {CALL_FILL, CALL_WAVE_WRITE, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE},
         {}},
    };
    for (const Screen_case& c : cases) {
        SCOPED_TRACE(c.name);
        offscreen().calls.clear();
        state.mode = MODE_PLAY;
        state.draw.last_reveal = 1;
        c.show(state);
        EXPECT_EQ(state.mode, c.mode);
        EXPECT_EQ(state.screen_board.number, c.board);
        EXPECT_EQ(titles(), std::vector<std::string>{c.title});
        EXPECT_EQ(order(), c.order);
        EXPECT_EQ(faces(), c.faces);
        EXPECT_EQ(blitted_cells().size(), 320u);
        if (c.mode != MODE_HELP && c.mode != MODE_DONE_TEXT) {
            EXPECT_EQ(state.draw.last_reveal, 0); // rows down
        }
    }
    EXPECT_NE(state.samples[0].flags & SAMPLE_PINNED, 0);
    EXPECT_NE(state.samples[1].flags & SAMPLE_PINNED, 0);

    offscreen().calls.clear();
    offscreen().draw_available = false;
    show_help(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(order(), (std::vector<Call_kind>{CALL_TITLE, CALL_WAVE_WRITE}));
}

TEST_F(Screens, AboutShowsTheNoticeThenThePackAndLevelTexts)
{
    show_about(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(state.screen_board.number, BOARD_ABOUT);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Zandrek maps (c) Ostrovane"}));
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->a, BOX_INFO);
    EXPECT_EQ(boxes[0]->extra, "Zandrek");
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
    std::vector<std::string> texts = box_texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(
        std::vector<std::string>(texts.begin() + 1, texts.end()),
        (std::vector<std::string>{"About the pack\n100% handmade\n", "Second block\n", "About the level %s %d\n"}));
    pack.current_level = nullptr;
    offscreen().calls.clear();
    show_about(state);
    EXPECT_EQ(box_texts().size(), 3u);
    state.pack = nullptr;
}

TEST_F(Screens, SolvedTextForBuiltInAndPackLevels)
{
    Field_info board{};
    board.number = 4;
    board.banked = 3;
    board.moves = 10;
    board.pushes = 2;
    board.start_time = 1000;
    board.solve_time = 1065;
    draw_solved_text(state, board);
    EXPECT_EQ(faces(), (std::vector<std::string>{"160,50c:Alice Has Solved Level 4", "160,100c:Treasures Saved: 3",
                                                 "160,115c:Moves: 10  Pushes: 2", "160,130c:Elapsed Time: 01:05",
                                                 std::string("160,182c:") + PRESS}));
    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    std::memset(pack.levels->name, 'N', NAME_CAPACITY - 1); // the longest name still fits the line whole
    pack.current_level = pack.levels.get();
    state.pack = &pack;
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(faces()[0], "160,50c:Alice Has Solved Level 4: '" + std::string(NAME_CAPACITY - 1, 'N') + "'");
    state.pack = nullptr;
}

TEST_F(Screens, RemarksForEveryBoardNumberAndTheStatusLine)
{
    state.cpyr_text = "Notice of the map";
    const std::pair<int, const char*> expected[] = {
        {7, "Zandrek - Level 7"},
        {1, "Zandrek - Level 1"},
        {0, ""},
        {-1, "Greetings - Click or press any key to begin"},
        {-2, "May I Help You?"},
        {-3, "Oh, I say.  Bravo.  Frightfully good."},
        {-4, "   Jumpin' Jehosephat!!!"},
        {-5, "Notice of the map"},
        {-6, ""},
    };
    Field_info board{};
    for (auto [number, text] : expected) {
        board.number = static_cast<int16_t>(number);
        set_message_line(state, board);
        EXPECT_EQ(titles().back(), text) << number;
    }

    read_board_record(state, state.play_board, 2);
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
    EXPECT_EQ(titles(), (std::vector<std::string>{"Zandrek: Alice - Level=2 Moves=4464 Pushes=6 Time=01:05",
                                                  "Zandrek: " + std::string(20, 'W') +
                                                      " - Level=2 Moves=4464 Pushes=6 Time=01:05",
                                                  "Zandrek:  - Level=2 Moves=4464 Pushes=6 Time=01:05"}));
}

} // namespace

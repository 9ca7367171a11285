#include <cstring>

#include "board_fixture.h"
#include "engine/services.h"
#include "present_fixture.h"
#include "presentation/screens.h"

namespace
{

struct Line {
    int64_t x, y, align;
    std::string text;
    bool operator==(const Line& o) const { return x == o.x && y == o.y && align == o.align && text == o.text; }
};
std::ostream& operator<<(std::ostream& os, const Line& l)
{
    return os << "(" << l.x << "," << l.y << "," << l.align << ",\"" << l.text << "\")";
}

class Screens_test : public Present_test
{
  protected:
    void SetUp() override
    {
        Present_test::SetUp();
        Map_contents m = present_map_contents();
        Field_info& help = m.boards[TEST_LEVELS + 1]; // -2
        help.start_sound = 3;
        Field_info& finale = m.boards[TEST_LEVELS + 3]; // -4
        finale.start_sound = 0;
        finale.banked_sound = 1;
        open_map(m, 2);
        make_player(state, "Alice");
    }
    // The white faces of the text drawn, in base pixels.
    std::vector<Line> faces() const
    {
        std::vector<Line> out;
        for (const Platform_call* c : offscreen_calls_of(CALL_TEXT))
            if (c->d == 0xFFFFFF) out.push_back(Line{c->a / state.magnify, c->b / state.magnify, c->c, c->text});
        return out;
    }
    std::vector<std::string> face_texts() const
    {
        std::vector<std::string> out;
        for (const Line& l : faces())
            out.push_back(l.text);
        return out;
    }
};

TEST(Format_elapsed, MinutesAndSecondsBelowAnHourThenHoursUnwrapped)
{
    EXPECT_STREQ(format_elapsed(0), "00:00");
    EXPECT_STREQ(format_elapsed(59), "00:59");
    EXPECT_STREQ(format_elapsed(61), "01:01");
    EXPECT_STREQ(format_elapsed(3599), "59:59");
    EXPECT_STREQ(format_elapsed(3600), "01:00:00");
    EXPECT_STREQ(format_elapsed(86399), "23:59:59");
    EXPECT_STREQ(format_elapsed(363600), "101:00:00");
    EXPECT_STREQ(format_elapsed(-5), "00:00");
}

TEST_F(Screens_test, TextHasAShadowOneBasePixelDownRightAndTheFontKeepsItsSize)
{
    for (uint32_t& p : offscreen().pixels)
        p = 0x123456;
    draw_text_centred(state, 20, "Zandrek Help");
    auto texts = offscreen_calls_of(CALL_TEXT);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->a, 322);
    EXPECT_EQ(texts[0]->b, 42);
    EXPECT_EQ(texts[0]->d, 0x000000);
    EXPECT_EQ(texts[1]->a, 320);
    EXPECT_EQ(texts[1]->b, 40);
    EXPECT_EQ(texts[1]->d, 0xFFFFFF);
    EXPECT_EQ(texts[1]->c, TEXT_CENTRE);

    // Twelve glyphs centred on column 320: the Z's top bar starts at 284,
    // seven rows above the baseline; its shadow two device pixels lower right.
    int left = 320 - offscreen_text_width("Zandrek Help") / 2;
    for (int x = left; x < left + 5; ++x)
        EXPECT_EQ(pixel(x, 40 - OFFSCREEN_FONT_ASCENT), 0xFFFFFFu) << x;
    EXPECT_EQ(pixel(left + 2, 42 - OFFSCREEN_FONT_ASCENT), 0u);
    EXPECT_EQ(pixel(left + 4, 42 - OFFSCREEN_FONT_ASCENT), 0u);
    EXPECT_EQ(pixel(left - 1, 40 - OFFSCREEN_FONT_ASCENT), 0x123456u);
    // Nothing drawn above the glyphs or far below the baseline.
    for (int x = 0; x < offscreen().width; ++x) {
        ASSERT_EQ(pixel(x, 40 - OFFSCREEN_FONT_ASCENT - 1), 0x123456u);
        ASSERT_EQ(pixel(x, 42 + 3), 0x123456u);
    }
}

TEST_F(Screens_test, GreetingDrawsTheTitleBoardRowByRow)
{
    show_greeting(state);
    EXPECT_EQ(state.mode, MODE_TITLE);
    EXPECT_EQ(state.screen_board.number, BOARD_TITLE);
    EXPECT_EQ(state.draw.last_reveal, 0);
    auto cells = blitted_cells();
    ASSERT_EQ(cells.size(), 320u);
    EXPECT_EQ(cells[1], std::make_pair(1, 0));
    EXPECT_EQ(offscreen().calls.front().kind, CALL_FILL);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Greetings - Click or press any key to begin"}));
}

TEST_F(Screens_test, HelpScreenLinesInOrder)
{
    state.mode = MODE_PLAY;
    show_help(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(titles(), (std::vector<std::string>{"May I Help You?"}));
    EXPECT_EQ(offscreen().sounds.size(), 1u); // the help board's start sound
    EXPECT_EQ(blitted_cells().size(), 320u);
    const std::vector<Line> expected = {
        {160, 20, TEXT_CENTRE, "Zandrek Help"},
        {160, 40, TEXT_CENTRE, "Push all the treasures onto the"},
        {160, 50, TEXT_CENTRE, "marked floor positions."},
        {88, 93, TEXT_LEFT, "Move Zandrek up"},
        {88, 105, TEXT_LEFT, "Move Zandrek down"},
        {88, 117, TEXT_LEFT, "Move Zandrek left"},
        {88, 129, TEXT_LEFT, "Move Zandrek right"},
        {88, 141, TEXT_LEFT, "Undo the last push"},
        {88, 153, TEXT_LEFT, "Restart the level"},
        {88, 165, TEXT_LEFT, "Go to next level"},
        {88, 177, TEXT_LEFT, "Go to previous level"},
    };
    EXPECT_EQ(faces(), expected);
}

TEST_F(Screens_test, AboutShowsTheNoticeThenThePackAndLevelTexts)
{
    show_about(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Zandrek maps (c) Ostrovane"}));
    auto boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->a, BOX_INFO);
    EXPECT_EQ(boxes[0]->extra, "Zandrek");
    EXPECT_EQ(boxes[0]->text.rfind("Zandrek Version 4.0\n\nWindows Version\n\n", 0), 0u);
    EXPECT_NE(boxes[0]->text.find("\n\nhttp://www.ostrovane.example/zandrek/\n"), std::string::npos);

    Pack_info pack;
    auto first = std::make_unique<Text_block>();
    first->text = "About the pack\n100% handmade\n";
    first->next = std::make_unique<Text_block>();
    first->next->text = "Second block\n";
    pack.about = std::move(first);
    pack.levels = std::make_unique<Level_info>();
    pack.levels->about = std::make_unique<Text_block>();
    pack.levels->about->text = "About the level %s %d\n";
    pack.current_level = pack.levels.get();
    state.pack = &pack;
    offscreen().calls.clear();
    show_about(state);
    boxes = offscreen_calls_of(CALL_BOX);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[1]->text, "About the pack\n100% handmade\n");
    EXPECT_EQ(boxes[2]->text, "Second block\n");
    EXPECT_EQ(boxes[3]->text, "About the level %s %d\n");
    EXPECT_EQ(state.mode, MODE_HELP);
    state.pack = nullptr;
}

TEST_F(Screens_test, ClosingTextNamesThePlayer)
{
    show_closing_text(state);
    EXPECT_EQ(state.mode, MODE_DONE_TEXT);
    EXPECT_EQ(state.screen_board.number, BOARD_BLANK);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Oh, I say.  Bravo.  Frightfully good."}));
    const std::vector<Line> expected = {
        {160, 30, TEXT_CENTRE, "Alice Has Done It!"},
        {160, 80, TEXT_CENTRE, "You have achieved a sublime state"},
        {160, 100, TEXT_CENTRE, "of pure Zandnicity"},
        {160, 145, TEXT_CENTRE, "You sure are cool"},
        {160, 170, TEXT_CENTRE, "(Press any key to continue)"},
    };
    EXPECT_EQ(faces(), expected);
}

TEST_F(Screens_test, FinaleSoundsBeforeAndAfterItsBoard)
{
    state.mode = MODE_DONE_TEXT;
    show_finale(state);
    EXPECT_EQ(state.mode, MODE_FINALE);
    std::vector<Call_kind> order;
    for (const Platform_call& c : offscreen().calls) {
        if (c.kind != CALL_FILL && c.kind != CALL_BLIT && c.kind != CALL_TITLE && c.kind != CALL_WAVE_WRITE) continue;
        if (order.empty() || order.back() != c.kind) order.push_back(c.kind);
    }
    EXPECT_EQ(order, (std::vector<Call_kind>{CALL_FILL, CALL_WAVE_WRITE, CALL_BLIT, CALL_TITLE, CALL_WAVE_WRITE}));
    EXPECT_EQ(state.draw.last_reveal, 0);
    EXPECT_EQ(titles(), (std::vector<std::string>{"   Jumpin' Jehosephat!!!"}));
    ASSERT_EQ(offscreen().sounds.size(), 2u);
    // Its two sounds are pinned; the banked one cut off the start one.
    EXPECT_NE(state.samples[0].flags & SAMPLE_PINNED, 0);
    EXPECT_NE(state.samples[1].flags & SAMPLE_PINNED, 0);
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_RESET).size(), 1u);
}

TEST_F(Screens_test, SolvedTextForBuiltInAndPackLevels)
{
    Field_info board{};
    board.number = 4;
    board.banked = 3;
    board.moves = 10;
    board.pushes = 2;
    board.start_time = 1000;
    board.solve_time = 1065;
    draw_solved_text(state, board);
    const std::vector<Line> expected = {
        {160, 50, TEXT_CENTRE, "Alice Has Solved Level 4"},     {160, 100, TEXT_CENTRE, "Treasures Saved: 3"},
        {160, 115, TEXT_CENTRE, "Moves: 10  Pushes: 2"},        {160, 130, TEXT_CENTRE, "Elapsed Time: 01:05"},
        {160, 182, TEXT_CENTRE, "(Press any key to continue)"},
    };
    EXPECT_EQ(faces(), expected);

    Pack_info pack;
    pack.levels = std::make_unique<Level_info>();
    std::snprintf(pack.levels->name, NAME_CAPACITY, "Twin Rooms");
    pack.current_level = pack.levels.get();
    state.pack = &pack;
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(face_texts()[0], "Alice Has Solved Level 4: 'Twin Rooms'");

    // The longest name a level can have still fits the line whole.
    std::memset(pack.levels->name, 'N', NAME_CAPACITY - 1);
    offscreen().calls.clear();
    draw_solved_text(state, board);
    EXPECT_EQ(face_texts()[0], "Alice Has Solved Level 4: '" + std::string(NAME_CAPACITY - 1, 'N') + "'");
    state.pack = nullptr;
}

TEST_F(Screens_test, WithoutADrawingContextTheModeStillChanges)
{
    offscreen().draw_available = false;
    show_help(state);
    EXPECT_EQ(state.mode, MODE_HELP);
    EXPECT_TRUE(offscreen_calls_of(CALL_TEXT).empty());
    EXPECT_TRUE(offscreen_calls_of(CALL_BLIT).empty());
    EXPECT_EQ(titles().size(), 1u);
}

} // namespace

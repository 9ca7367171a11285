#include "engine/services.h"
#include "files/pack_records.h"
#include "present_fixture.h"
#include "presentation/sound.h"

namespace
{

class Sound_test : public Present_test
{
  protected:
    void SetUp() override
    {
        Present_test::SetUp();
        open_map(present_map_contents(), 1);
    }
    std::vector<Call_kind> wave_calls() const
    {
        std::vector<Call_kind> kinds;
        for (const Platform_call& c : offscreen().calls)
            if (c.kind >= CALL_WAVE_OPEN && c.kind <= CALL_WAVE_WRITE) kinds.push_back(c.kind);
        return kinds;
    }
    std::vector<uint8_t> stored(int k) const { return present_map_contents().samples[k].data; }
};

TEST_F(Sound_test, EightBitSamplesAreFlippedAtLoadAndSixteenBitOnesKept)
{
    ASSERT_EQ(play_speech(state, 0), 0);
    ASSERT_EQ(offscreen().sounds.size(), 1u);
    std::vector<uint8_t> expected = stored(0);
    ASSERT_EQ(expected[0], 0x00);
    ASSERT_EQ(expected[4], 0x80);
    for (uint8_t& b : expected)
        b ^= 0x80;
    EXPECT_EQ(offscreen().sounds[0].bytes, expected);
    EXPECT_EQ(offscreen().sounds[0].bits, 8);
    EXPECT_EQ(offscreen().sounds[0].rate, 11025);
    EXPECT_EQ(offscreen().sounds[0].bytes[0], 0x80);
    EXPECT_EQ(offscreen().sounds[0].bytes[4], 0x00);

    ASSERT_EQ(play_speech(state, 4), 0);
    EXPECT_EQ(offscreen().sounds[1].bytes, stored(4));
    EXPECT_EQ(offscreen().sounds[1].bits, 16);
}

TEST_F(Sound_test, ANewSoundCutsOffTheOneThatPlaysAndReopensOnlyForANewFormat)
{
    play_speech(state, 0);
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));

    offscreen().calls.clear();
    play_speech(state, 1); // same format, the first still playing
    EXPECT_EQ(wave_calls(),
              (std::vector<Call_kind>{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));

    offscreen().calls.clear();
    play_speech(state, 1); // the same memory again: no new preparation
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_RESET, CALL_WAVE_WRITE}));

    offscreen().calls.clear();
    play_speech(state, 5); // another rate
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE,
                                                    CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->a, 22050);

    // Once a sound has finished, the next one needs no stop.
    offscreen_next_due_timer(offscreen().now_ms + 10000);
    offscreen().calls.clear();
    play_speech(state, 5);
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_WRITE}));
}

TEST_F(Sound_test, APackSoundAfterASampleReopensTheDeviceForSixteenBits)
{
    Pack_sound sound;
    sound.speed = 11025;
    sound.num_samples = 3;
    sound.samples = {1, -2, 0x1234};
    play_speech(state, 0);
    offscreen().calls.clear();
    ASSERT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE,
                                                    CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->b, 16);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));

    // A count beyond the samples held plays only what is there; none plays nothing.
    sound.num_samples = 1000;
    play_pack_sound(state, &sound);
    EXPECT_EQ(offscreen().sounds.back().bytes.size(), 6u);
    size_t before = offscreen().sounds.size();
    sound.samples.clear();
    EXPECT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(play_pack_sound(state, nullptr), 0);
    EXPECT_EQ(offscreen().sounds.size(), before);
}

TEST_F(Sound_test, TheTwoSwitches)
{
    Pack_sound sound;
    sound.speed = 8000;
    sound.num_samples = 1;
    sound.samples = {5};
    state.sound.speech_on = false;
    EXPECT_EQ(play_speech(state, 2), 0);
    EXPECT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_TRUE(offscreen().sounds.empty());
    EXPECT_EQ(play_motion_sound(state, speech_info_id(state.speech_info, SPEECH_STEP)), 0);
    EXPECT_EQ(play_motion_sound(state, speech_info_id(state.speech_info, SPEECH_PUSH)), 0);
    EXPECT_EQ(offscreen().sounds.size(), 2u);

    state.sound.speech_on = true;
    state.sound.motion_sounds_on = false;
    play_motion_sound(state, 0);
    EXPECT_EQ(offscreen().sounds.size(), 2u);
    play_speech(state, 0);
    EXPECT_EQ(offscreen().sounds.size(), 3u);
}

TEST_F(Sound_test, SilentIdsAndSoundsThatCannotBeHad)
{
    EXPECT_EQ(play_speech(state, NO_SOUND), 0);
    EXPECT_EQ(play_speech(state, 6), 0);   // not a sampled item
    EXPECT_EQ(play_speech(state, 200), 0); // past the item table
    EXPECT_EQ(play_speech(state, 7), -1);  // its sample is not in the map
    EXPECT_EQ(play_sample(state, -1), -1);

    // Lengths the SAMP chunk does not hold: silent, no allocation, no box.
    state.samples[3].length = 1 << 30;
    EXPECT_EQ(play_speech(state, 3), -1);
    state.samples[3].length = -7;
    EXPECT_EQ(play_speech(state, 3), -1);
    state.samples[2].offset = 0xFFFFFFF0u;
    EXPECT_EQ(play_speech(state, 2), -1);
    EXPECT_TRUE(offscreen().calls.empty());

    offscreen().wave_open_fails = true;
    EXPECT_EQ(play_speech(state, 0), -1);
    offscreen().wave_open_fails = false;
    EXPECT_EQ(play_speech(state, 0), 0);
    EXPECT_EQ(offscreen().sounds.size(), 1u);
}

TEST_F(Sound_test, PreloadingPinsTheBoardsSoundsAndFreesTheRest)
{
    for (int id = 0; id < 6; ++id)
        play_speech(state, static_cast<uint8_t>(id));
    for (const Sample_info& s : state.samples)
        ASSERT_NE(s.data, nullptr);

    Field_info finale{};
    finale.number = BOARD_FINALE;
    finale.start_sound = 1;
    finale.banked_sound = 2;
    finale.solved_sound = NO_SOUND;
    finale.spare_sound = 6; // not sampled: nothing to pin
    preload_screen_samples(state, finale);
    for (int k = 0; k < 6; ++k) {
        bool kept = k == 1 || k == 2;
        EXPECT_EQ(state.samples[k].data != nullptr, kept) << k;
        EXPECT_EQ((state.samples[k].flags & SAMPLE_PINNED) != 0, kept) << k;
    }
    // The last sound (sample 5) was freed: the header no longer points at it.
    EXPECT_EQ(state.sound.header.data, nullptr);

    // A screen board keeps the pins it finds; a level clears them first.
    Field_info help{};
    help.number = BOARD_HELP;
    help.start_sound = 4;
    help.banked_sound = help.solved_sound = help.spare_sound = NO_SOUND;
    preload_screen_samples(state, help);
    EXPECT_NE(state.samples[1].data, nullptr);
    EXPECT_NE(state.samples[4].data, nullptr);

    Field_info level{};
    level.number = 3;
    level.start_sound = 0;
    level.banked_sound = level.solved_sound = level.spare_sound = NO_SOUND;
    preload_screen_samples(state, level);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(state.samples[k].data != nullptr, k == 0) << k;

    // A freed sample is loaded again on its next use.
    offscreen().sounds.clear();
    EXPECT_EQ(play_speech(state, 2), 0);
    ASSERT_EQ(offscreen().sounds.size(), 1u);
    std::vector<uint8_t> expected = stored(2);
    for (uint8_t& b : expected)
        b ^= 0x80;
    EXPECT_EQ(offscreen().sounds[0].bytes, expected);
}

TEST_F(Sound_test, ClosingStopsWhatPlaysThenClosesTheDevice)
{
    close_sound(state);
    EXPECT_TRUE(offscreen().calls.empty());
    play_speech(state, 0);
    offscreen().calls.clear();
    close_sound(state);
    EXPECT_EQ(wave_calls(), (std::vector<Call_kind>{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE}));
    EXPECT_FALSE(state.sound.device_open);
}

} // namespace

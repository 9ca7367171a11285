// Sound playback: samples from the map file, a pack's own sounds, the one
// wave device and buffer, the two switches and the screen-sample preloading.
#include "engine/services.h"
#include "files/pack_records.h"
#include "map_fixture.h"
#include "presentation/sound.h"

namespace
{

class Sound : public Map_test
{
  protected:
    void SetUp() override
    {
        Map_test::SetUp();
        open_map(test_map_contents(), 1);
    }
    std::vector<Call_kind> wave_calls()
    {
        std::vector<Call_kind> kinds;
        for (const Platform_call& c : offscreen().calls)
            if (c.kind >= CALL_WAVE_OPEN && c.kind <= CALL_WAVE_WRITE) kinds.push_back(c.kind);
        offscreen().calls.clear();
        return kinds;
    }
    // Sample k as the device gets it: 8-bit samples turned unsigned.
    std::vector<uint8_t> played(int k)
    {
        Map_sample s = test_map_contents().samples[k];
        if (s.bits == 8)
            for (uint8_t& b : s.data)
                b ^= 0x80;
        return s.data;
    }
};

TEST_F(Sound, SamplesPlayAsStoredWithEightBitOnesFlipped)
{
    for (int k : {0, 4, 5}) {
        ASSERT_EQ(play_speech(state, static_cast<uint8_t>(k)), 0);
        const Offscreen_sound& s = offscreen().sounds.back();
        EXPECT_EQ(s.bytes, played(k)) << k;
        EXPECT_EQ(s.bits, k == 4 ? 16 : 8);
        EXPECT_EQ(s.rate, k == 5 ? 22050 : 11025);
    }
    EXPECT_EQ(played(0)[4], 0x00); // stored 0x80
    EXPECT_EQ(state.samples[0].loaded, 1);
    EXPECT_EQ(state.samples[5].rate, 22050u);
}

TEST_F(Sound, ANewSoundCutsOffTheOneThatPlaysAndReopensOnlyForANewFormat)
{
    using K = std::vector<Call_kind>;
    play_speech(state, 0);
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));
    play_speech(state, 1); // same format, the first still playing
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));
    play_speech(state, 1); // the same memory again: no new preparation
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_RESET, CALL_WAVE_WRITE}));
    play_speech(state, 5); // another rate
    const K reopen = {CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE,
                      CALL_WAVE_OPEN,  CALL_WAVE_PREPARE,   CALL_WAVE_WRITE};
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->a, 22050);
    EXPECT_EQ(wave_calls(), reopen);
    play_speech(state, 4); // another sample size
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->b, 16);
    EXPECT_EQ(wave_calls(), reopen);

    // Once a sound has finished, the next one needs no stop.
    offscreen_next_due_timer(offscreen().now_ms + 10000);
    play_speech(state, 4);
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_WRITE}));

    // A pack sound is 16-bit at the pack's speed, only as long as its samples.
    Pack_sound sound;
    sound.speed = 8000;
    sound.num_samples = 1000;
    sound.samples = {1, -2, 0x1234};
    ASSERT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_EQ(offscreen_calls_of(CALL_WAVE_OPEN)[0]->a, 8000);
    EXPECT_EQ(wave_calls(), reopen);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
    Pack_sound shorter;
    shorter.speed = 8000;
    shorter.num_samples = 2;
    shorter.samples = sound.samples;
    play_pack_sound(state, &shorter);
    EXPECT_EQ(offscreen().sounds.back().bytes, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF}));
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_PREPARE, CALL_WAVE_WRITE}));

    offscreen().wave_open_fails = true;
    EXPECT_EQ(play_speech(state, 0), -1);
    EXPECT_EQ(play_speech(state, 0), -1); // the device stays closed after a failed open
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_RESET, CALL_WAVE_UNPREPARE, CALL_WAVE_CLOSE, CALL_WAVE_OPEN, CALL_WAVE_OPEN}));
    offscreen().wave_open_fails = false;
    EXPECT_EQ(play_speech(state, 0), 0);
    EXPECT_EQ(offscreen().sounds.back().bytes, played(0));
    close_sound(state);
    EXPECT_EQ(wave_calls(), (K{CALL_WAVE_OPEN, CALL_WAVE_PREPARE, CALL_WAVE_WRITE, CALL_WAVE_RESET, CALL_WAVE_UNPREPARE,
                               CALL_WAVE_CLOSE}));
    EXPECT_FALSE(state.sound.device_open);
    close_sound(state);
    EXPECT_TRUE(wave_calls().empty());
}

TEST_F(Sound, SwitchesSilentIdsAndSoundsThatCannotBeHad)
{
    Pack_sound sound;
    sound.speed = 8000;
    sound.num_samples = 1;
    sound.samples = {5};
    state.sound.speech_on = false;
    EXPECT_EQ(play_speech(state, 2), 0);
    EXPECT_EQ(play_pack_sound(state, &sound), 0);
    EXPECT_TRUE(offscreen().sounds.empty());
    EXPECT_EQ(play_motion_sound(state, 1), 0);
    EXPECT_EQ(offscreen().sounds.size(), 1u);
    state.sound.speech_on = true;
    state.sound.motion_sounds_on = false;
    EXPECT_EQ(play_motion_sound(state, 0), 0);
    EXPECT_EQ(offscreen().sounds.size(), 1u);

    for (const Pack_sound* none : {static_cast<const Pack_sound*>(nullptr), static_cast<const Pack_sound*>(&sound)}) {
        sound.num_samples = 0;
        EXPECT_EQ(play_pack_sound(state, none), 0);
    }
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

TEST_F(Sound, PreloadingPinsTheBoardsSoundsAndFreesTheRest)
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
    auto board = [](int number, uint8_t start, uint8_t banked, uint8_t solved, uint8_t spare) {
        Field_info b{};
        b.number = static_cast<int16_t>(number);
        b.start_sound = start;
        b.banked_sound = banked;
        b.solved_sound = solved;
        b.spare_sound = spare;
        return b;
    };
    // Id 6 is not sampled: nothing to pin. The sound playing last was freed,
    // so the header no longer points at it.
    preload_screen_samples(state, board(BOARD_FINALE, 1, 2, NO_SOUND, 6));
    EXPECT_EQ(loaded(), "-PP---");
    EXPECT_EQ(state.sound.header.data, nullptr);
    // A screen board keeps the pins it finds; a level clears them first.
    preload_screen_samples(state, board(BOARD_HELP, NO_SOUND, NO_SOUND, 4, NO_SOUND));
    EXPECT_EQ(loaded(), "-PP-P-");
    preload_screen_samples(state, board(3, NO_SOUND, NO_SOUND, NO_SOUND, 0));
    EXPECT_EQ(loaded(), "P-----");
    preload_screen_samples(state, board(1, 5, NO_SOUND, NO_SOUND, NO_SOUND));
    EXPECT_EQ(loaded(), "-----P");
    // A freed sample is loaded again on its next use.
    EXPECT_EQ(play_speech(state, 2), 0);
    EXPECT_EQ(offscreen().sounds.back().bytes, played(2));
}

} // namespace

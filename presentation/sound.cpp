#include "presentation/sound.h"

#include <new>

#include "engine/game_state.h"
#include "files/map_file.h"

void play_pcm(Game_state& state, int rate, int bits, const void* data, uint32_t length)
{
    Sound_state& sound = state.sound;
    Wave_header& header = sound.header;
    if (!(header.flags & WAVE_DONE)) {
        if (platform_wave_reset() != 0 || !(header.flags & WAVE_DONE)) return;
    }
    if (sound.device_open && (sound.device_rate != rate || sound.device_bits != bits)) {
        if (header.flags & WAVE_PREPARED) platform_wave_unprepare(header);
        platform_wave_close();
        sound.device_open = false;
    }
    if (!sound.device_open) {
        if (platform_wave_open(rate, bits) != 0) return;
        sound.device_open = true;
        sound.device_rate = rate;
        sound.device_bits = bits;
    }
    // The same memory again needs no new preparation.
    if ((header.flags & WAVE_PREPARED) && header.data == data) {
        platform_wave_write(header);
        return;
    }
    if (header.flags & WAVE_PREPARED) platform_wave_unprepare(header);
    header.data = data;
    header.length = length;
    platform_wave_prepare(header);
    platform_wave_write(header);
}

static const Speech_item* sampled_item(const Game_state& state, uint8_t speech_id)
{
    if (speech_id == NO_SOUND || speech_id >= state.speech_items.size()) return nullptr;
    const Speech_item& item = state.speech_items[speech_id];
    return (item.flags & 1) ? &item : nullptr;
}

int load_sample(Game_state& state, Sample_info& sample)
{
    if (sample.data) return 0;
    // A sample the SAMP chunk does not hold whole cannot be had: it stays
    // silent, and no allocation is tried for a length the file never had.
    if (!map_sample_fits(state, sample)) return -1;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[static_cast<size_t>(sample.length)]());
    if (!data) {
        error_box("Can't get chip ram for sound sample");
        return -1;
    }
    read_map_sample(state, sample, data.get()); // a short read plays as silence
    // Stored signed; the wave output wants 8-bit samples unsigned.
    if (sample.bits == 8)
        for (int32_t i = 0; i < sample.length; ++i)
            data[i] ^= 0x80;
    sample.data = std::move(data);
    sample.rate = sample.rate_word;
    return 0;
}

void play_sample(Game_state& state, int sample_index)
{
    if (sample_index < 0 || static_cast<size_t>(sample_index) >= state.samples.size()) return;
    Sample_info& sample = state.samples[static_cast<size_t>(sample_index)];
    if (load_sample(state, sample) != 0) return;
    play_pcm(state, static_cast<int>(sample.rate), static_cast<int>(sample.bits), sample.data.get(),
             static_cast<uint32_t>(sample.length));
}

void play_speech_item(Game_state& state, uint8_t speech_id)
{
    const Speech_item* item = sampled_item(state, speech_id);
    if (item) play_sample(state, item->sample);
}

void play_speech(Game_state& state, uint8_t speech_id)
{
    if (state.sound.speech_on) play_speech_item(state, speech_id);
}

void play_motion_sound(Game_state& state, uint8_t speech_id)
{
    if (state.sound.motion_sounds_on) play_speech_item(state, speech_id);
}

void play_pack_sound(Game_state& state, const Pack_sound* sound)
{
    if (!state.sound.speech_on || !sound || sound->samples.empty() || sound->num_samples <= 0) return;
    size_t count = static_cast<size_t>(sound->num_samples);
    if (count > sound->samples.size()) count = sound->samples.size();
    play_pcm(state, sound->speed, 16, sound->samples.data(), static_cast<uint32_t>(count * 2));
}

// The header must never point at freed memory: the device may still read it.
static void release_sample(Game_state& state, Sample_info& sample)
{
    Wave_header& header = state.sound.header;
    if (header.data == sample.data.get()) {
        if (!(header.flags & WAVE_DONE)) platform_wave_reset();
        if (header.flags & WAVE_PREPARED) platform_wave_unprepare(header);
        header.data = nullptr;
        header.length = 0;
    }
    sample.data.reset();
}

void preload_screen_samples(Game_state& state, const Field_info& board)
{
    if (board.number >= 1)
        for (Sample_info& sample : state.samples)
            sample.flags &= static_cast<uint16_t>(~SAMPLE_PINNED);
    const uint8_t ids[4] = {board.start_sound, board.banked_sound, board.solved_sound, board.spare_sound};
    for (uint8_t id : ids) {
        const Speech_item* item = sampled_item(state, id);
        if (!item || item->sample >= state.samples.size()) continue;
        Sample_info& sample = state.samples[item->sample];
        if (load_sample(state, sample) == 0) sample.flags |= SAMPLE_PINNED;
    }
    for (Sample_info& sample : state.samples)
        if (sample.data && sample.flags == 0) release_sample(state, sample);
}

void close_sound(Game_state& state)
{
    Sound_state& sound = state.sound;
    if (!sound.device_open) return;
    Wave_header& header = sound.header;
    if (header.flags & WAVE_PREPARED) {
        // A device that never reports the buffer done must not hang the exit.
        for (int tries = 0; tries < 100 && !(header.flags & WAVE_DONE); ++tries)
            platform_wave_reset();
        platform_wave_unprepare(header);
    }
    platform_wave_close();
    sound.device_open = false;
}

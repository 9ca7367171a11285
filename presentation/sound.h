// Sound playback: one mono PCM device and one buffer header for the whole
// run, so a new sound always cuts off the one playing. The operations the
// engine calls (play_speech, play_motion_sound, play_pack_sound) are in
// engine/game_state.h.
#pragma once

#include <cstdint>

#include "engine/field.h"

struct Game_state;
struct Sample_info;

// Hands the sound to the device; one the device will not take is dropped.
void play_pcm(Game_state& state, int rate, int bits, const void* data, uint32_t length);
void play_speech_item(Game_state& state, uint8_t speech_id);
void play_sample(Game_state& state, int sample_index);
// 0 when the sample is in memory; 8-bit data is turned unsigned on the way in.
int load_sample(Game_state& state, Sample_info& sample);
// Pins the samples of the board's four sound ids and frees every other one.
void preload_screen_samples(Game_state& state, const Field_info& board);
// At exit: stops what plays and closes the device.
void close_sound(Game_state& state);

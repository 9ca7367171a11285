// Any bytes as "Zandrek.map": the reader, then every board, image and sample
// the game could reach, so that a position or length taken from hostile bytes
// is followed as far as the game would follow it; then all of it drawn and
// sounded: boards in both kinds of order, every screen, every speech id, the
// idle animation and the screen-sample preloading.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "file_exercises.h"
#include "files/map_file.h"
#include "presentation/fidget.h"
#include "presentation/palette.h"
#include "presentation/screens.h"
#include "presentation/sound.h"
#include "shell/platform_offscreen.h"

namespace
{

void read_everything(Game_state& state)
{
    Field_info board;
    for (int n = -8; n <= 60; ++n)
        read_map_board(state, board, n);
    std::vector<uint8_t> image(static_cast<size_t>(
        state.tile_info.image_size > 0 && state.tile_info.image_size < 65536 ? state.tile_info.image_size : 256));
    for (uint16_t index : state.tile_table)
        read_map_image(state, image.data(), image.size(), index);
    for (const Speech_item& item : state.speech_items) {
        if (!(item.flags & 1) || item.sample >= state.samples.size()) continue;
        Sample_info& s = state.samples[item.sample];
        if (!map_sample_fits(state, s)) continue;
        std::vector<uint8_t> samples(static_cast<size_t>(s.length));
        read_map_sample(state, s, samples.data());
    }
}

void show_everything(Game_state& state)
{
    create_game_palette(state);
    Field_info board{};
    for (int n = -6; n <= 4; ++n) {
        read_board_record(state, board, n);
        draw_board(state, board, n % 2 != 0);
    }
    for (void (*show)(Game_state&) : {show_greeting, show_help, show_about, show_closing_text, show_finale})
        show(state);
    for (int id = 0; id < 256; ++id)
        play_speech(state, static_cast<uint8_t>(id));
    read_board_record(state, state.play_board, 1);
    state.mode = MODE_PLAY;
    fidget_reset(state);
    for (int i = 0; i < 200; ++i)
        fidget_tick(state, 0);
    preload_screen_samples(state, state.play_board);
    close_sound(state);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zandrek_fuzz_map_" + std::to_string(std::random_device{}())))
            .string();
    offscreen_reset(1);
    offscreen().recording = false;
    if (!write_input(path, data, size)) return 0;
    Game_state state;
    state.magnify = 1;
    state.map_file_name = path;
    File_diagnostics diagnostics;
    const int result = read_map_file(state, diagnostics);
    show_file_diagnostics(diagnostics); // as start-up shows them
    if (result != 0) return 0;
    read_everything(state);
    show_everything(state);
    return 0;
}

// What the fuzz targets and the mutation tests do with one input: read it
// the way the game does, then use everything the reader noted, so that a
// position or length taken from hostile bytes is followed as far as the game
// would follow it. Each returns the reader's result.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "files/map_file.h"
#include "files/score_file.h"

inline bool write_input(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The map reader, then every board a level number or screen can reach, the
// images the tile table names and every sample the speech table can play.
inline int exercise_map(Game_state& state, const std::string& path)
{
    state.map_file_name = path;
    File_diagnostics diagnostics;
    int result = read_map_file(state, diagnostics);
    show_file_diagnostics(diagnostics); // as start-up shows them
    if (result != 0) return result;
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
        std::vector<uint8_t> data(static_cast<size_t>(s.length));
        read_map_sample(state, s, data.data());
    }
    return 0;
}

// The score reader on a file of these bytes, then a save of what it kept
// and a second read, which must give the same players.
inline bool exercise_score(Game_state& state, const std::string& path)
{
    state.score_file_name = path;
    if (read_score_file(state) != 0) return false;
    std::vector<Score_entry> first;
    for (auto& p : state.players)
        first.push_back(*p);
    save_score_file(state);
    if (read_score_file(state) != 0) return false;
    if (state.players.size() != first.size()) return false;
    for (size_t i = 0; i < first.size(); ++i)
        if (std::memcmp(state.players[i].get(), &first[i], sizeof(Score_entry)) != 0) return false;
    return true;
}

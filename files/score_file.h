// "Zandrek.score": the players and how far each has come through the
// built-in levels. choose_player, record_result and is_developer_player are
// the engine's and are declared in engine/services.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/score_records.h"

struct Game_state;

constexpr const char* SCORE_HEADER = "ZANDSCORE\n";
constexpr int SCORE_MAX_PLAYERS = 255; // the file counts its records in one byte

// The records of a score file's bytes, as the game reads them: -1 when the
// header line is not "ZANDSCORE\n" (the game then starts an empty file).
int parse_score_bytes(const uint8_t* data, size_t size, std::vector<Score_entry>& entries);
int read_score_file(Game_state& state); // 0, or -1 when a record cannot be allocated
void create_score_file(Game_state& state);
void save_score_file(Game_state& state);
void warn_score_unwritable(Game_state& state);
Score_entry* find_player(Game_state& state, const char* name);
int add_player(Game_state& state, const char* name);

// "Zandrek.score": the players and how far each has come through the
// built-in levels. choose_player, record_result and is_developer_player are
// the engine's and are declared in engine/game_state.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/score_records.h"

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
// The current player's name, empty when there is none.
std::string player_name(const Game_state& state);
Score_entry* find_player(Game_state& state, const char* name);
// Makes a new player the current one; -1, with a box and nothing changed,
// when no record can be made (the file is full, or out of memory).
int add_player(Game_state& state, const char* name);

// Which player plays: the stored name on the first choice of a run, the
// name dialog afterwards. Declared here for choose_player and defined by
// the shell, which owns the dialog and the settings. 0 when a player was
// chosen (state.current_player); -1 when the player cancelled a later
// change, or the name was new and could not be taken on: then the current
// player, the shown name and the stored name stay as they were.
int ask_player_name(Game_state& state);

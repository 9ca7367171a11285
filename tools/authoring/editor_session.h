// One sitting at the pack editor: the open pack, the level being drawn in
// it, and a game on which stored solutions are played. The page's binding
// calls these; the level being drawn goes back into the pack whenever
// another is chosen, the list changes or the pack is saved.
#pragma once

#include <string>

#include "tools/authoring/level_editor.h"
#include "tools/authoring/tool_game.h"

struct Editor_session {
    Authored_pack pack;
    size_t current = 0; // the level in `editor`
    Level_editor editor;
    Tool_game game;
};

// A new pack with one blank level, and the game opened on `map_path` (the
// built-in template map when null). 0, or -1 with why in `problem`.
int open_editor_session(Editor_session& session, std::string& problem, const char* map_path = nullptr);

// Each returns 0, or -1 with why in `problem` and the session unchanged.
// The pack's bytes through the game's reader; a damaged pack gives the
// reader's line and leaves the open pack as it was.
int session_open_pack(Editor_session& session, const std::string& bytes, const std::string& file_name,
                      std::string& problem);
// A new pack holding the level of an editor.html#level= link.
int session_open_link(Editor_session& session, const std::string& link, std::string& problem);
int session_select_level(Editor_session& session, size_t position, std::string& problem);
// A blank level at `position`, which becomes the level drawn.
int session_add_level(Editor_session& session, size_t position, std::string& problem);
int session_remove_level(Editor_session& session, size_t position, std::string& problem);
int session_move_level(Editor_session& session, size_t from, size_t to, std::string& problem);
// The pack with the level being drawn, as the writer writes it.
int session_save(Editor_session& session, std::string& text, std::string& problem);
// Play-tested moves, or the solver's, stored once the game has played them.
int session_store_solution(Editor_session& session, const std::string& moves, std::string& problem);

// The level being drawn goes back into the pack.
void session_keep_level(Editor_session& session);

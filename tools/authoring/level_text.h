// Levels and packs as the authoring tools make them, and their text in a
// pack file. The writer refuses what the game's reader would read back
// differently, rather than write a pack that changes on its way in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/pack_records.h"

constexpr size_t NAME_LIMIT = NAME_CAPACITY - 1; // characters of a name field
// Longest text of a line inside a record, its LF not counted: the reader
// takes 255 characters there, the LF included, and a longer line comes back
// as two. Between records only keyword lines and the pack's Name line stand,
// which a name of 79 characters keeps well within the 127 taken there.
constexpr size_t RECORD_TEXT_LIMIT = 254;
constexpr const char* UNNAMED_REFERENCE = "Untitled"; // the reader's name of a reference never given

// The tile and sound references a level may carry, in the order of their
// keyword lines.
enum Level_reference {
    REF_TREASURE,
    REF_BANK_TREASURE,
    REF_WALL,
    REF_FLOOR,
    REF_BANK,
    REF_START_SOUND,
    REF_BANKED_SOUND,
    REF_SOLVED_SOUND,
    REF_COUNT
};

struct Authored_level {
    std::string name;
    std::vector<std::string> rows;    // layout legend, at most 16 rows of 20
    std::string solution;             // <>^v; empty: no Solution block
    std::vector<std::string> about;   // About blocks, each its lines with one LF after each
    std::vector<std::string> remarks; // lines after the name that the reader skips
    std::vector<std::string> references = std::vector<std::string>(REF_COUNT, UNNAMED_REFERENCE);
    bool empty_solution = false; // an empty Solution block all the same, as a read level may have
};

// A tile or sound as the reader left it. Tiles are kept in the order of the
// pack's tile list; the writer gives them as Tile records in that order, so
// a BigTile read in comes out as a Tile in its place and every lookup by
// name finds the same picture.
struct Authored_tile {
    std::string name = UNNAMED_REFERENCE;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // empty: no Imagery block
};

struct Authored_sound {
    std::string name = UNNAMED_REFERENCE;
    int32_t speed = 0;
    int32_t sample_size = 0; // 0: no SampleSize line
    int32_t num_samples = 0;
    std::vector<int16_t> samples; // empty: no Data block
};

struct Authored_pack {
    std::string name = "Untitled";  // what the reader gives a pack without a Name line
    std::vector<std::string> about; // About blocks, as in Authored_level
    std::vector<Authored_tile> tiles;
    std::vector<Authored_sound> sounds;
    std::vector<Authored_level> levels;
};

// The whole pack: the header, Name, About blocks, tiles, sounds, levels.
// Every line ends with LF, the last "end" too, since the reader drops a last
// line without one. 0, or -1 with `problem` saying what cannot be written
// and where; `text` is then left alone.
int pack_text(const Authored_pack& pack, std::string& text, std::string& problem);
// Levels alone under a pack name, for tools whose levels are always
// writable; an empty text if one is not.
std::string pack_text(const std::string& pack_name, const std::vector<Authored_level>& levels);

// The writer's rules one field at a time, so an editor can refuse a value
// as it is typed. Empty when the value can be written, else why not.
std::string name_problem(const std::string& name);
std::string reference_problem(const std::string& name);
// An About line that begins with "end" would end its block early and is
// refused, never changed: the author rewords it.
std::string about_problem(const std::string& block);
// An About block as typed into a page: CR LF line ends become LF and the
// last line gets its LF, as the reader keeps its blocks.
std::string about_text(const std::string& typed);
std::string solution_problem(const std::string& solution);
std::string layout_problem(const std::vector<std::string>& rows);

// Cells of a level's text. A cell of play is floor, bare or under a bank, a
// treasure or Zandrek; what is not one is wall or outside.
bool is_play_cell(char c);
bool is_bank_cell(char c);
bool is_treasure_cell(char c);
bool is_zandrek_cell(char c);

// The level read back through the game's own pack reader; nullptr if the
// reader refuses it or the writer cannot write it.
std::unique_ptr<Pack_info> pack_of_level(const Authored_level& level);

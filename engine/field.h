// The board: one Field_info is both the in-memory board the rules change and
// the record of the map file's FLDS chunk, so its byte layout is binding.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int LEVEL_ROWS = 16;
constexpr int LEVEL_COLS = 20;
constexpr int FIELD_MAX_CELLS = LEVEL_ROWS * LEVEL_COLS;

// Cell kinds, used both as content and as floor.
enum : uint8_t {
    KIND_PLAYER = 0,
    KIND_PLAYER_ON_BANK = 1, // only a slot of kind_tiles
    KIND_FLOOR = 2,
    KIND_BANK = 3,
    KIND_TREASURE = 4,
    KIND_BANKED_TREASURE = 5,
    KIND_WALL = 255,
};

// Special boards stored after the playable levels.
enum : int {
    BOARD_TITLE = -1,
    BOARD_HELP = -2,
    BOARD_BLANK = -3,
    BOARD_FINALE = -4,
    BOARD_ABOUT = -5,
};

constexpr uint8_t NO_SOUND = 255;

struct Field_cell {
    uint16_t tile;
    uint8_t content;
    uint8_t floor;
};
static_assert(sizeof(Field_cell) == 4, "Field_cell is 4 bytes on disk");

struct Field_info {
    int16_t number;
    int16_t rows;
    int16_t columns;
    int16_t loose;
    int16_t banked_at_start;
    int16_t treasures;
    int16_t banked;
    uint16_t moves;
    uint16_t pushes;
    uint16_t zero;
    uint32_t start_time;
    uint32_t solve_time;
    int16_t start_x;
    int16_t start_y;
    int16_t player_x;
    int16_t player_y;
    int16_t undo_player_after;
    int16_t undo_player_before;
    int16_t undo_treasure_to;
    int16_t undo_treasure_from;
    uint8_t start_sound;
    uint8_t banked_sound;
    uint8_t solved_sound;
    uint8_t spare_sound; // 0xFF in every board; only preloading looks at it
    uint16_t kind_tiles[6];
    Field_cell cells[FIELD_MAX_CELLS];
};
static_assert(offsetof(Field_info, moves) == 14, "Field_info layout");
static_assert(offsetof(Field_info, start_time) == 20, "Field_info layout");
static_assert(offsetof(Field_info, start_x) == 28, "Field_info layout");
static_assert(offsetof(Field_info, undo_player_after) == 36, "Field_info layout");
static_assert(offsetof(Field_info, start_sound) == 44, "Field_info layout");
static_assert(offsetof(Field_info, kind_tiles) == 48, "Field_info layout");
static_assert(offsetof(Field_info, cells) == 60, "Field_info layout");
static_assert(sizeof(Field_info) == 1340, "a 16 x 20 board record is 1340 bytes");

// The kind tiles of every pack board, and of every board the map
// description builds: one per content kind, in kind_tiles' order.
constexpr uint16_t STANDARD_KIND_TILES[6] = {5, 5, 1, 4, 15, 16};
// A pack level's walls; no kind tile holds them.
constexpr uint16_t PACK_WALL_TILE = 2;

// A position as one 32-bit value: column in the low 16 bits, row in the high.
using Cell_pos = uint32_t;

inline Cell_pos make_cell_pos(int column, int row)
{
    return (static_cast<uint32_t>(static_cast<uint16_t>(row)) << 16) | static_cast<uint16_t>(column);
}
inline int cell_pos_column(Cell_pos p)
{
    return static_cast<int16_t>(p & 0xFFFF);
}
inline int cell_pos_row(Cell_pos p)
{
    return static_cast<int16_t>(p >> 16);
}

// The number of cells a board may address: a board read from a hostile map
// file can claim more rows or columns than the buffer holds.
inline int board_cell_count(const Field_info& board)
{
    if (board.rows < 1 || board.columns < 1) return 0;
    long n = static_cast<long>(board.rows) * board.columns;
    return n > FIELD_MAX_CELLS ? FIELD_MAX_CELLS : static_cast<int>(n);
}

inline bool board_has_cell(const Field_info& board, int column, int row)
{
    if (column < 0 || row < 0 || column >= board.columns || row >= board.rows) return false;
    return row * board.columns + column < board_cell_count(board);
}

inline bool is_free_kind(uint8_t content)
{
    return content == KIND_FLOOR || content == KIND_BANK;
}
inline bool is_treasure_kind(uint8_t content)
{
    return content == KIND_TREASURE || content == KIND_BANKED_TREASURE;
}

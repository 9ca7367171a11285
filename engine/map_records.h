// The fixed-size records of the map file. MAPH, TINF, FIDG and SINF are
// copied byte for byte into the game state, so their layouts are binding.
// Where a record holds a pointer, the file keeps a 4-byte slot that the
// program never trusts; the real pointer lives in Game_state beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct Map_header {
    uint8_t unused_0[28];
    int32_t num_levels; // the first N board records are the built-in levels
    uint8_t unused_32[8];
    int32_t record_size; // bytes of one Field_info record
    uint32_t flds_pos;   // replaced by the reader
    uint8_t unused_48[4];
    int32_t image_size; // bytes of one IMGS image record
    uint32_t imgs_pos;  // replaced by the reader
    // Pointer slots of the 32-bit original (texts, name, file); the game keeps
    // those beside the header and never reads these.
    uint32_t cpyr_slot;
    uint32_t prog_slot;
    uint32_t arts_slot;
    uint32_t name_slot;
    uint32_t file_slot;
};
static_assert(offsetof(Map_header, num_levels) == 28, "Map_header layout");
static_assert(offsetof(Map_header, record_size) == 40, "Map_header layout");
static_assert(offsetof(Map_header, image_size) == 52, "Map_header layout");
static_assert(offsetof(Map_header, cpyr_slot) == 60, "Map_header layout");
static_assert(sizeof(Map_header) == 80, "MAPH chunk is 80 bytes");

// Player image table: tile codes at these 16-bit slots of Tile_info.
enum : int {
    PLAYER_SLOT_STAND = 14,
    PLAYER_SLOT_15 = 15,
    PLAYER_SLOT_17 = 17,
    PLAYER_SLOT_20 = 20,
    PLAYER_SLOT_21 = 21,
    PLAYER_SLOT_23 = 23,
    PLAYER_SLOT_24 = 24,
};

struct Tile_info {
    int32_t width;
    int32_t height;
    uint8_t unused_8[8];
    int32_t image_size;
    uint32_t table_slot; // the TILE table pointer in the original; never trusted
    uint8_t unused_24[4];
    uint16_t slots_14_to_27[14];
};
static_assert(offsetof(Tile_info, image_size) == 16, "Tile_info layout");
static_assert(offsetof(Tile_info, slots_14_to_27) == 28, "Tile_info layout");
static_assert(sizeof(Tile_info) == 56, "TINF chunk is 56 bytes");

inline uint16_t tile_info_slot(const Tile_info& info, int slot)
{
    return (slot >= 14 && slot < 28) ? info.slots_14_to_27[slot - 14] : 0;
}

constexpr int FIDGET_SEQUENCES = 15;
constexpr int FIDGET_FRAMES = 20;
constexpr uint16_t FIDGET_END = 0xFFFF;

struct Fidget_info {
    int32_t counter;
    int32_t wait;
    uint16_t state;
    int16_t sequence;
    uint16_t frame;
    int16_t sequence_count;
    uint16_t sequences[FIDGET_SEQUENCES][FIDGET_FRAMES];
};
static_assert(offsetof(Fidget_info, sequences) == 16, "Fidget_info layout");
static_assert(sizeof(Fidget_info) == 616, "FIDG chunk is 616 bytes");

// Byte positions of the general sound ids inside Speech_info.
enum : int {
    SPEECH_STEP = 8,
    SPEECH_PUSH = 9,
    SPEECH_CORNER = 10,
    SPEECH_UNDO = 11,
    SPEECH_LEAVE_TITLE = 13,
    SPEECH_REFUSED = 14,
    SPEECH_FIRST_LEVEL = 15,
};

struct Speech_info {
    uint8_t unused_0[6];
    int16_t num_samples;
    uint8_t ids_8_to_15[8];
    uint32_t items_slot; // the SITM pointer in the original; never trusted
};
static_assert(offsetof(Speech_info, num_samples) == 6, "Speech_info layout");
static_assert(offsetof(Speech_info, ids_8_to_15) == 8, "Speech_info layout");
static_assert(sizeof(Speech_info) == 20, "SINF chunk is 20 bytes");

inline uint8_t speech_info_id(const Speech_info& info, int byte)
{
    return (byte >= 8 && byte < 16) ? info.ids_8_to_15[byte - 8] : 255;
}

struct Speech_item {
    uint8_t flags;  // bit 0: a sampled sound
    uint8_t sample; // index into the Sample_info array
};
static_assert(sizeof(Speech_item) == 2, "SITM items are 2 bytes");

// Built in memory from the SAMP index; not a file record.
struct Sample_info {
    uint32_t offset = 0; // of the 6-byte header, from the start of the SAMP data
    int32_t length = 0;  // bytes of sample data after the header
    uint16_t rate_word = 0;
    uint16_t second_word = 0;
    uint16_t flags = 0;              // SAMPLE_PINNED
    std::unique_ptr<uint8_t[]> data; // loaded on first use
    uint32_t bits = 0;
    uint32_t rate = 0;
};
constexpr uint16_t SAMPLE_PINNED = 2;

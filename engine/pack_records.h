// What a level pack holds once read: the pack, its levels, tiles, sounds and
// texts. Every list is singly linked through `next`, which owns the rest of
// the list, so dropping the head drops the whole list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/field.h"

constexpr int NAME_CAPACITY = 80; // 79 characters and the terminator

struct Text_block {
    std::unique_ptr<Text_block> next;
    std::string text; // every line read, each followed by one LF
    ~Text_block();
};

struct Pack_tile {
    std::unique_ptr<Pack_tile> next;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels; // width x height palette indices, rows top down; empty: none
    char name[NAME_CAPACITY] = "Untitled";
    ~Pack_tile();
};

struct Pack_sound {
    std::unique_ptr<Pack_sound> next;
    char name[NAME_CAPACITY] = "Untitled";
    int32_t speed = 0;
    int32_t sample_size = 0;
    int32_t num_samples = 0;
    std::vector<int16_t> samples; // empty: none
    ~Pack_sound();
};

struct Tile_ref {
    char name[NAME_CAPACITY] = "Untitled";
    Pack_tile* tile = nullptr; // resolved by name on first use
};

struct Sound_ref {
    char name[NAME_CAPACITY] = "Untitled";
    Pack_sound* sound = nullptr; // resolved by name on first use
};

struct Level_info {
    std::unique_ptr<Level_info> next;
    char name[NAME_CAPACITY] = "Untitiled"; // the misspelling is the game's own default
    char layout[LEVEL_ROWS][LEVEL_COLS];
    int32_t loose_treasures = 0;
    int32_t banked_treasures = 0;
    int32_t num_treasures = 0;
    int32_t start_x = 0;
    int32_t start_y = 0;
    int32_t number = 1;
    Tile_ref treasure_tile;
    Tile_ref bank_treasure_tile;
    Tile_ref wall_tile;
    Tile_ref floor_tile;
    Tile_ref bank_tile;
    Sound_ref start_sound;
    Sound_ref banked_sound;
    Sound_ref solved_sound;
    bool has_solution = false;
    std::string solution;
    std::unique_ptr<Text_block> about;
    Level_info();
    ~Level_info();
};

struct Pack_info {
    std::unique_ptr<Pack_info> next;
    char name[NAME_CAPACITY] = "Untitled";
    int32_t num_levels = 0;
    std::unique_ptr<Level_info> levels;
    int32_t highest_level = 1;
    int32_t number = 1;
    Level_info* current_level = nullptr;
    std::unique_ptr<Pack_tile> tiles;
    std::unique_ptr<Pack_sound> sounds;
    std::unique_ptr<Text_block> about;
    ~Pack_info();
};

// Name lookups: the first record of the list whose name matches exactly.
Pack_tile* find_pack_tile(const Pack_info& pack, const char* name);
Pack_sound* find_pack_sound(const Pack_info& pack, const char* name);
// A reference resolves once; a failed lookup caches nothing and is tried again.
Pack_tile* resolve_tile(const Pack_info& pack, Tile_ref& ref);
Pack_sound* resolve_sound(const Pack_info& pack, Sound_ref& ref);

Level_info* pack_level(const Pack_info& pack, int number); // n < 1: the first; past the end: the last
Pack_info* nth_pack(Pack_info* head, int k);               // 1-based; nullptr beyond the list

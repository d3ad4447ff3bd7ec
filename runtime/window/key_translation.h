#pragma once
// The table that turns a key and the held modifiers into a PC key code.
#include <array>
#include <cstdint>

// Result columns of a row.
enum key_column : int32_t {
    column_plain = 0,
    column_shift = 1,
    column_ctrl = 2,
    column_alt = 3,
    column_num_lock = 4,
    column_num_lock_shift = 7,
};

struct key_translation_row {
    int32_t key;       // the identifier the row stands for
    int32_t scan;      // PC scan code (set 1); 0: the row is empty
    int32_t result[8]; // < 256 a character, >= 256 an extended key (scan code x 256)
};

constexpr int32_t key_translation_rows = 528;
constexpr int32_t extended_rows_start = 256; // row 256 + scan code
constexpr int32_t keypad_rows_start = 512;   // row 512 + keypad number
constexpr int32_t keypad_row_count = 16;

extern const std::array<key_translation_row, key_translation_rows> key_translation;

// The row of a key identifier (characters, extended keys, keypad keys), or null.
const key_translation_row* key_row_of(int32_t id);
// The scan code of a key, modifiers and locks included; 0 when it has none.
uint8_t key_scan_code(int32_t id);

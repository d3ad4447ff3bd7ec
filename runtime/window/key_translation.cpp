#include "runtime/window/key_translation.h"

#include "runtime/platform/key_identifiers.h"

namespace {

// A key of the US PC keyboard and what it gives with each modifier. The window layer
// delivers the shifted character already, so both characters get the same row values.
struct key_cap {
    uint8_t scan;
    char plain;
    char shifted;
    int32_t ctrl;
    int32_t alt;
};

constexpr key_cap us_key_caps[] = {
    {0x02, '1', '!', 0, 0x7800},   {0x03, '2', '@', 0x0300, 0x7900}, {0x04, '3', '#', 0, 0x7A00},
    {0x05, '4', '$', 0, 0x7B00},   {0x06, '5', '%', 0, 0x7C00},      {0x07, '6', '^', 30, 0x7D00},
    {0x08, '7', '&', 0, 0x7E00},   {0x09, '8', '*', 0, 0x7F00},      {0x0A, '9', '(', 0, 0x8000},
    {0x0B, '0', ')', 0, 0x8100},   {0x0C, '-', '_', 31, 0x8200},     {0x0D, '=', '+', 0, 0x8300},
    {0x10, 'q', 'Q', 17, 0x1000},  {0x11, 'w', 'W', 23, 0x1100},     {0x12, 'e', 'E', 5, 0x1200},
    {0x13, 'r', 'R', 18, 0x1300},  {0x14, 't', 'T', 20, 0x1400},     {0x15, 'y', 'Y', 25, 0x1500},
    {0x16, 'u', 'U', 21, 0x1600},  {0x17, 'i', 'I', 9, 0x1700},      {0x18, 'o', 'O', 15, 0x1800},
    {0x19, 'p', 'P', 16, 0x1900},  {0x1A, '[', '{', 27, 0x1A00},     {0x1B, ']', '}', 29, 0x1B00},
    {0x1E, 'a', 'A', 1, 0x1E00},   {0x1F, 's', 'S', 19, 0x1F00},     {0x20, 'd', 'D', 4, 0x2000},
    {0x21, 'f', 'F', 6, 0x2100},   {0x22, 'g', 'G', 7, 0x2200},      {0x23, 'h', 'H', 8, 0x2300},
    {0x24, 'j', 'J', 10, 0x2400},  {0x25, 'k', 'K', 11, 0x2500},     {0x26, 'l', 'L', 12, 0x2600},
    {0x27, ';', ':', 0, 0x2700},   {0x28, '\'', '"', 0, 0x2800},     {0x29, '`', '~', 0, 0x2900},
    {0x2B, '\\', '|', 28, 0x2B00}, {0x2C, 'z', 'Z', 26, 0x2C00},     {0x2D, 'x', 'X', 24, 0x2D00},
    {0x2E, 'c', 'C', 3, 0x2E00},   {0x2F, 'v', 'V', 22, 0x2F00},     {0x30, 'b', 'B', 2, 0x3000},
    {0x31, 'n', 'N', 14, 0x3100},  {0x32, 'm', 'M', 13, 0x3200},     {0x33, ',', '<', 0, 0x3300},
    {0x34, '.', '>', 0, 0x3400},   {0x35, '/', '?', 0, 0x3500},
};

// Rows given in full: key, scan, none, Shift, Ctrl, Alt, Num Lock, Num Lock + Shift.
struct full_row {
    int32_t key;
    int32_t scan;
    int32_t plain, shift, ctrl, alt, num_lock, num_lock_shift;
};

constexpr full_row character_specials[] = {
    {8, 0x0E, 8, 8, 0x7F, 0x0E00, 0, 0}, {9, 0x0F, 9, 0x0F00, 0x9400, 0, 0, 0},
    {13, 0x1C, 13, 13, 10, 0, 0, 0},     {27, 0x01, 27, 27, 27, 0, 0, 0},
    {32, 0x39, 32, 32, 32, 0, 0, 0},
};

constexpr full_row extended_keys[] = {
    {0x3B00, 0x3B, 0x3B00, 0x5400, 0x5E00, 0x6800, 0, 0}, // F1
    {0x3C00, 0x3C, 0x3C00, 0x5500, 0x5F00, 0x6900, 0, 0},
    {0x3D00, 0x3D, 0x3D00, 0x5600, 0x6000, 0x6A00, 0, 0},
    {0x3E00, 0x3E, 0x3E00, 0x5700, 0x6100, 0x6B00, 0, 0},
    {0x3F00, 0x3F, 0x3F00, 0x5800, 0x6200, 0x6C00, 0, 0},
    {0x4000, 0x40, 0x4000, 0x5900, 0x6300, 0x6D00, 0, 0},
    {0x4100, 0x41, 0x4100, 0x5A00, 0x6400, 0x6E00, 0, 0},
    {0x4200, 0x42, 0x4200, 0x5B00, 0x6500, 0x6F00, 0, 0},
    {0x4300, 0x43, 0x4300, 0x5C00, 0x6600, 0x7000, 0, 0},
    {0x4400, 0x44, 0x4400, 0x5D00, 0x6700, 0x7100, 0, 0}, // F10
    {0x4700, 0x47, 0x4700, 0x4700, 0x7700, 0x9700, 0, 0}, // Home
    {0x4800, 0x48, 0x4800, 0x4800, 0x8D00, 0x9800, 0, 0}, // Up
    {0x4900, 0x49, 0x4900, 0x4900, 0x8400, 0x9900, 0, 0}, // Page Up
    {0x4B00, 0x4B, 0x4B00, 0x4B00, 0x7300, 0x9B00, 0, 0}, // Left
    {0x4D00, 0x4D, 0x4D00, 0x4D00, 0x7400, 0x9D00, 0, 0}, // Right
    {0x4F00, 0x4F, 0x4F00, 0x4F00, 0x7500, 0x9F00, 0, 0}, // End
    {0x5000, 0x50, 0x5000, 0x5000, 0x9100, 0xA000, 0, 0}, // Down
    {0x5100, 0x51, 0x5100, 0x5100, 0x7600, 0xA100, 0, 0}, // Page Down
    {0x5200, 0x52, 0x5200, 0x5200, 0x9200, 0xA200, 0, 0}, // Insert
    {0x5300, 0x53, 0x5300, 0x5300, 0x9300, 0xA300, 0, 0}, // Delete
    {0x5700, 0x57, 0x8500, 0x8500, 0x8900, 0x8B00, 0, 0}, // F11
    {0x5800, 0x58, 0x8600, 0x8600, 0x8A00, 0x8C00, 0, 0}, // F12
};

// Keypad keys in keypad-number order (identifier 100256 + k, or 200000 + k without Num Lock).
constexpr full_row keypad_keys[] = {
    {100256, 0x52, 0x5200, '0', 0x9200, 0, '0', 0x5200},
    {100257, 0x4F, 0x4F00, '1', 0x7500, 0, '1', 0x4F00},
    {100258, 0x50, 0x5000, '2', 0x9100, 0, '2', 0x5000},
    {100259, 0x51, 0x5100, '3', 0x7600, 0, '3', 0x5100},
    {100260, 0x4B, 0x4B00, '4', 0x7300, 0, '4', 0x4B00},
    {100261, 0x4C, 0x4C00, '5', 0x8F00, 0, '5', 0x4C00},
    {100262, 0x4D, 0x4D00, '6', 0x7400, 0, '6', 0x4D00},
    {100263, 0x47, 0x4700, '7', 0x7700, 0, '7', 0x4700},
    {100264, 0x48, 0x4800, '8', 0x8D00, 0, '8', 0x4800},
    {100265, 0x49, 0x4900, '9', 0x8400, 0, '9', 0x4900},
    {100266, 0x53, 0x5300, '.', 0x9300, 0, '.', 0x5300},
    {100267, 0x35, '/', '/', 0x9500, 0xA400, '/', '/'},
    {100268, 0x37, '*', '*', 0x9600, 0x3700, '*', '*'},
    {100269, 0x4A, '-', '-', 0x8E00, 0x4A00, '-', '-'},
    {100270, 0x4E, '+', '+', 0x9000, 0x4E00, '+', '+'},
    {100271, 0x1C, 13, 13, 10, 0xA600, 13, 13},
};

struct modifier_scan {
    int32_t key;
    uint8_t scan;
};

constexpr modifier_scan modifier_scans[] = {
    {key_left_shift, 42}, {key_right_shift, 54}, {key_left_alt, 56},
    {key_right_alt, 56},  {key_left_ctrl, 29},   {key_right_ctrl, 29},
    {key_num_lock, 69},   {key_caps_lock, 58},   {key_scroll_lock, 70},
};

constexpr key_translation_row row_from(const full_row& r) {
    return {r.key, r.scan, {r.plain, r.shift, r.ctrl, r.alt, r.num_lock, 0, 0, r.num_lock_shift}};
}

constexpr key_translation_row row_from(const key_cap& cap, char c) {
    return {c, cap.scan, {c, c, cap.ctrl, cap.alt, 0, 0, 0, 0}};
}

constexpr std::array<key_translation_row, key_translation_rows> build_key_translation() {
    std::array<key_translation_row, key_translation_rows> table{};
    for (int32_t c = 1; c < extended_rows_start; ++c) table[c].key = c;
    for (const key_cap& cap : us_key_caps) {
        table[static_cast<uint8_t>(cap.plain)] = row_from(cap, cap.plain);
        table[static_cast<uint8_t>(cap.shifted)] = row_from(cap, cap.shifted);
    }
    for (const full_row& r : character_specials) table[r.key] = row_from(r);
    for (const full_row& r : extended_keys) table[extended_rows_start + r.scan] = row_from(r);
    for (int32_t k = 0; k < keypad_row_count; ++k)
        table[keypad_rows_start + k] = row_from(keypad_keys[k]);
    return table;
}

} // namespace

constexpr std::array<key_translation_row, key_translation_rows> key_translation =
    build_key_translation();

const key_translation_row* key_row_of(int32_t id) {
    if (is_character_key(id)) return &key_translation[id];
    if (id >= key_keypad_first && id <= key_keypad_last)
        return &key_translation[keypad_rows_start + (id - key_keypad_first)];
    if (id >= key_navigation_first && id <= key_navigation_last)
        return &key_translation[keypad_rows_start + (id - key_navigation_first)];
    if (is_extended_key(id)) return &key_translation[extended_rows_start + id / 256];
    return nullptr;
}

uint8_t key_scan_code(int32_t id) {
    if (const key_translation_row* row = key_row_of(id)) return static_cast<uint8_t>(row->scan);
    for (const modifier_scan& m : modifier_scans)
        if (m.key == id) return m.scan;
    return 0;
}

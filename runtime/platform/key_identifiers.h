#pragma once
// Keys as the host reports them. Key identifiers: characters 1-255, extended keys as scan
// code x 256, and 100000 + n for keys without a character.
#include <cstdint>

constexpr int32_t key_left = 0x4B00;
constexpr int32_t key_delete = 0x5300;
constexpr int32_t key_insert = 0x5200;
constexpr int32_t key_enter = 13;
constexpr int32_t key_pause = 100019;
constexpr int32_t key_keypad_first = 100256; // keypad 0; 100266 point ... 100271 Enter
constexpr int32_t key_keypad_last = 100271;
constexpr int32_t key_keypad_point = 100266;
constexpr int32_t key_ctrl_break = 100296; // acts as Break together with Ctrl
constexpr int32_t key_num_lock = 100300;
constexpr int32_t key_caps_lock = 100301;
constexpr int32_t key_scroll_lock = 100302;
constexpr int32_t key_right_shift = 100303;
constexpr int32_t key_left_shift = 100304;
constexpr int32_t key_right_ctrl = 100305;
constexpr int32_t key_left_ctrl = 100306;
constexpr int32_t key_right_alt = 100307;
constexpr int32_t key_left_alt = 100308;
constexpr int32_t key_system_request = 100317;
constexpr int32_t key_break = 100318;
constexpr int32_t key_navigation_first = 200000; // keypad keys with Num Lock off
constexpr int32_t key_navigation_last = 200010;
constexpr int32_t state_scroll_lock = 200011;
constexpr int32_t state_insert_mode = 200012;
constexpr int32_t key_code_zero = 200013; // a key event with code 0

inline bool is_character_key(int32_t c) {
    return c >= 1 && c <= 255;
}
inline bool is_extended_key(int32_t c) {
    return c >= 256 && c <= 65535;
}
inline bool is_numeric_keypad_key(int32_t c) {
    return c >= key_keypad_first && c <= key_keypad_point;
}
inline bool is_keypad_key(int32_t c) {
    return (c >= key_keypad_first && c <= key_keypad_last) ||
           (c >= key_navigation_first && c <= key_navigation_last);
}

// The desktop's keyboard state (every state reads as off without a display): the toggles.
void platform_lock_states(bool& caps, bool& num, bool& scroll);

// Modifier keys held down at this moment, one bit each.
enum held_modifier : unsigned {
    held_left_shift = 1u << 0,
    held_right_shift = 1u << 1,
    held_left_ctrl = 1u << 2,
    held_right_ctrl = 1u << 3,
    held_left_alt = 1u << 4,
    held_right_alt = 1u << 5,
};
unsigned platform_held_modifiers();

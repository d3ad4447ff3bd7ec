#include "runtime/window/held_keys.h"

#include <atomic>

#include "runtime/window/key_identifiers.h"
#include "runtime/window/key_translation.h"

namespace {

// More places than there are distinct identifiers a keyboard can produce, so the list
// never fills; 0 marks a free place.
constexpr int32_t held_key_capacity = 512;
std::atomic<int32_t> held_keys[held_key_capacity];
std::atomic<int32_t> held_key_end{0}; // places ever used lie below this index

int32_t place_of(int32_t id) {
    const int32_t end = held_key_end.load(std::memory_order_acquire);
    for (int32_t i = 0; i < end; ++i)
        if (held_keys[i].load(std::memory_order_relaxed) == id) return i;
    return -1;
}

void raise_end(int32_t end) {
    int32_t seen = held_key_end.load(std::memory_order_relaxed);
    while (seen < end && !held_key_end.compare_exchange_weak(seen, end)) {
    }
}

void take_free_place(int32_t id) {
    for (int32_t i = 0; i < held_key_capacity; ++i) {
        int32_t free_place = 0;
        if (held_keys[i].compare_exchange_strong(free_place, id)) {
            raise_end(i + 1);
            return;
        }
    }
}

// The keypad key standing for id in the given column of the keypad rows, or 0.
int32_t keypad_key_for(int32_t id, int32_t column, int32_t first_identifier) {
    for (int32_t k = 0; k < keypad_row_count; ++k)
        if (key_translation[keypad_rows_start + k].result[column] == id)
            return first_identifier + k;
    return 0;
}

} // namespace

void hold_key(int32_t id) {
    if (place_of(id) < 0) take_free_place(id);
}

void let_go_key(int32_t id) {
    const int32_t i = place_of(id);
    if (i >= 0) held_keys[i].store(0, std::memory_order_relaxed);
}

bool key_is_held(int32_t id) {
    return place_of(id) >= 0;
}

bool shift_held() {
    return key_is_held(key_left_shift) || key_is_held(key_right_shift);
}
bool ctrl_held() {
    return key_is_held(key_left_ctrl) || key_is_held(key_right_ctrl);
}
bool alt_held() {
    return key_is_held(key_left_alt) || key_is_held(key_right_alt);
}

bool key_is_down(int32_t id) {
    if (key_is_held(id)) return true;
    if (is_character_key(id)) {
        const int32_t keypad = keypad_key_for(id, column_num_lock, key_keypad_first);
        return keypad != 0 && key_is_held(keypad);
    }
    if (id >= 0x4700 && id <= key_delete) {
        const int32_t keypad = keypad_key_for(id, column_plain, key_navigation_first);
        return keypad != 0 && key_is_held(keypad);
    }
    return false;
}

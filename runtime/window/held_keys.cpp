#include "runtime/window/held_keys.h"

#include <atomic>

#include "runtime/platform/key_identifiers.h"
#include "runtime/window/key_translation.h"

namespace {

// Every identifier a keyboard produces has a flag of its own, so the dozens of queries
// behind one key event are one load each.
struct identifier_range {
    int32_t first;
    int32_t count;
};
constexpr identifier_range direct_ranges[] = {
    {0, 65536},                 // characters and extended keys
    {100000, 512},              // keys without a character
    {key_navigation_first, 16}, // Num-Lock-off keypad keys and the internal states
};
constexpr int32_t direct_flag_count() {
    int32_t count = 0;
    for (const identifier_range& range : direct_ranges) count += range.count;
    return count;
}
std::atomic<bool> held_flags[direct_flag_count()];

// The flag of a direct identifier, or -1.
int32_t flag_of(int32_t id) {
    int32_t base = 0;
    for (const identifier_range& range : direct_ranges) {
        if (id >= range.first && id - range.first < range.count) return base + id - range.first;
        base += range.count;
    }
    return -1;
}

// Any other identifier (none comes from a real keyboard) is kept in a short list: more
// places than such keys can be held at once, and 0 marks a free place.
constexpr int32_t other_key_capacity = 512;
std::atomic<int32_t> other_keys[other_key_capacity];
std::atomic<int32_t> other_key_end{0}; // places ever used lie below this index

int32_t place_of(int32_t id) {
    const int32_t end = other_key_end.load(std::memory_order_acquire);
    for (int32_t i = 0; i < end; ++i)
        if (other_keys[i].load(std::memory_order_relaxed) == id) return i;
    return -1;
}

void raise_end(int32_t end) {
    int32_t seen = other_key_end.load(std::memory_order_relaxed);
    while (seen < end && !other_key_end.compare_exchange_weak(seen, end)) {
    }
}

void take_free_place(int32_t id) {
    for (int32_t i = 0; i < other_key_capacity; ++i) {
        int32_t free_place = 0;
        if (other_keys[i].compare_exchange_strong(free_place, id)) {
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
    if (const int32_t flag = flag_of(id); flag >= 0)
        held_flags[flag].store(true, std::memory_order_relaxed);
    else if (place_of(id) < 0)
        take_free_place(id);
}

void let_go_key(int32_t id) {
    if (const int32_t flag = flag_of(id); flag >= 0) {
        held_flags[flag].store(false, std::memory_order_relaxed);
    } else if (const int32_t i = place_of(id); i >= 0) {
        other_keys[i].store(0, std::memory_order_relaxed);
    }
}

bool key_is_held(int32_t id) {
    if (const int32_t flag = flag_of(id); flag >= 0)
        return held_flags[flag].load(std::memory_order_relaxed);
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

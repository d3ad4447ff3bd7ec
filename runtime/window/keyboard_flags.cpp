#include "runtime/window/keyboard_flags.h"

#include <atomic>

#include "runtime/core/low_memory.h"
#include "runtime/window/held_keys.h"
#include "runtime/window/key_identifiers.h"

namespace {

// One flag bit, set while either of its keys is held (second key 0: only one).
struct flag_bit {
    uint32_t address;
    uint8_t bit;
    int32_t key;
    int32_t other_key;
};

constexpr flag_bit flag_bits[] = {
    {keyboard_flags_address, 0x01, key_right_shift, 0},
    {keyboard_flags_address, 0x02, key_left_shift, 0},
    {keyboard_flags_address, 0x04, key_left_ctrl, key_right_ctrl},
    {keyboard_flags_address, 0x08, key_left_alt, key_right_alt},
    {keyboard_flags_address, 0x10, state_scroll_lock, 0},
    {keyboard_flags_address, 0x20, key_num_lock, 0},
    {keyboard_flags_address, 0x40, key_caps_lock, 0},
    {keyboard_flags_address, 0x80, state_insert_mode, 0},
    {keyboard_flags2_address, 0x01, key_left_ctrl, 0},
    {keyboard_flags2_address, 0x02, key_left_alt, 0},
    {keyboard_flags2_address, 0x04, key_system_request, 0},
    {keyboard_flags2_address, 0x08, key_pause, 0},
    {keyboard_flags2_address, 0x10, key_scroll_lock, 0},
    {keyboard_flags2_address, 0x80, key_insert, key_navigation_first},
    {keyboard_flags3_address, 0x01, key_right_ctrl, 0},
    {keyboard_flags3_address, 0x02, key_right_alt, 0},
};

constexpr uint8_t flags3_always_set = 0x10;

bool flag_is_on(const flag_bit& f) {
    return key_is_held(f.key) || (f.other_key != 0 && key_is_held(f.other_key));
}

uint8_t flag_byte(uint32_t address, uint8_t initial) {
    uint8_t value = initial;
    for (const flag_bit& f : flag_bits)
        if (f.address == address && flag_is_on(f)) value |= f.bit;
    return value;
}

// The program thread may peek these bytes while the window or service thread writes.
void store_flag_byte(uint32_t address, uint8_t value) {
    std::atomic_ref<uint8_t>(low_memory[address]).store(value, std::memory_order_relaxed);
}

} // namespace

void recompute_keyboard_flags() {
    if (!low_memory) return;
    store_flag_byte(keyboard_flags_address, flag_byte(keyboard_flags_address, 0));
    store_flag_byte(keyboard_flags2_address, flag_byte(keyboard_flags2_address, 0));
    store_flag_byte(keyboard_flags3_address, flag_byte(keyboard_flags3_address, flags3_always_set));
}

bool key_sets_flag(int32_t id) {
    for (const flag_bit& f : flag_bits)
        if (f.key == id || f.other_key == id) return true;
    return false;
}

uint8_t keyboard_modifier_mask() {
    constexpr uint8_t mask_bits = 0x6F; // both Shifts, Ctrl, Alt, Num Lock, Caps Lock
    return flag_byte(keyboard_flags_address, 0) & mask_bits;
}

#include "runtime/window/keyboard_flags.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>

#include "runtime/core/low_memory.h"
#include "runtime/platform/key_identifiers.h"
#include "runtime/window/held_keys.h"

namespace {

// The three flag bytes, in the order of their index below.
constexpr uint32_t flag_addresses[] = {keyboard_flags_address, keyboard_flags2_address,
                                       keyboard_flags3_address};
constexpr uint8_t flags3_always_set = 0x10;
constexpr uint8_t flag_initial_values[] = {0, 0, flags3_always_set};
using flag_bytes = std::array<uint8_t, std::size(flag_addresses)>;

// One flag bit, set while either of its keys is held (second key 0: only one).
struct flag_bit {
    uint8_t byte; // index into flag_addresses
    uint8_t bit;
    int32_t key;
    int32_t other_key;
};

constexpr flag_bit flag_bits[] = {
    {0, 0x01, key_right_shift, 0},
    {0, 0x02, key_left_shift, 0},
    {0, 0x04, key_left_ctrl, key_right_ctrl},
    {0, 0x08, key_left_alt, key_right_alt},
    {0, 0x10, state_scroll_lock, 0},
    {0, 0x20, key_num_lock, 0},
    {0, 0x40, key_caps_lock, 0},
    {0, 0x80, state_insert_mode, 0},
    {1, 0x01, key_left_ctrl, 0},
    {1, 0x02, key_left_alt, 0},
    {1, 0x04, key_system_request, 0},
    {1, 0x08, key_pause, 0},
    {1, 0x10, key_scroll_lock, 0},
    {1, 0x80, key_insert, key_navigation_first},
    {2, 0x01, key_right_ctrl, 0},
    {2, 0x02, key_right_alt, 0},
};

bool flag_is_on(const flag_bit& f) {
    return key_is_held(f.key) || (f.other_key != 0 && key_is_held(f.other_key));
}

// All three bytes in one pass over the bits.
flag_bytes current_flag_bytes() {
    flag_bytes bytes;
    std::copy(std::begin(flag_initial_values), std::end(flag_initial_values), bytes.begin());
    for (const flag_bit& f : flag_bits)
        if (flag_is_on(f)) bytes[f.byte] |= f.bit;
    return bytes;
}

// The program thread may peek these bytes while the window or service thread writes.
void store_flag_byte(uint32_t address, uint8_t value) {
    std::atomic_ref<uint8_t>(low_memory[address]).store(value, std::memory_order_relaxed);
}

} // namespace

void recompute_keyboard_flags() {
    if (!low_memory) return;
    const flag_bytes bytes = current_flag_bytes();
    for (size_t i = 0; i < bytes.size(); ++i) store_flag_byte(flag_addresses[i], bytes[i]);
}

bool key_sets_flag(int32_t id) {
    for (const flag_bit& f : flag_bits)
        if (f.key == id || f.other_key == id) return true;
    return false;
}

uint8_t keyboard_modifier_mask() {
    constexpr uint8_t mask_bits = 0x6F; // both Shifts, Ctrl, Alt, Num Lock, Caps Lock
    return current_flag_bytes()[0] & mask_bits;
}

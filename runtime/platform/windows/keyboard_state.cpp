#include <atomic>

#include "runtime/platform/key_identifiers.h"
#include "runtime/platform/windows/lock_keys.h"
#include "runtime/platform/windows/windows_host.h"

namespace {

constexpr unsigned caps_bit = 1, num_bit = 2, scroll_bit = 4;
constexpr int not_noted = -1;

std::atomic<int> noted_locks{not_noted};

bool toggled(int virtual_key) {
    return GetKeyState(virtual_key) & 1;
}

unsigned lock_bits() {
    return (toggled(VK_CAPITAL) ? caps_bit : 0) | (toggled(VK_NUMLOCK) ? num_bit : 0) |
           (toggled(VK_SCROLL) ? scroll_bit : 0);
}

struct modifier_key {
    int virtual_key;
    unsigned bit;
};

constexpr modifier_key modifier_keys[] = {
    {VK_LSHIFT, held_left_shift},   {VK_RSHIFT, held_right_shift}, {VK_LCONTROL, held_left_ctrl},
    {VK_RCONTROL, held_right_ctrl}, {VK_LMENU, held_left_alt},     {VK_RMENU, held_right_alt},
};

constexpr SHORT key_down_bit = static_cast<SHORT>(0x8000);

} // namespace

void windows_note_lock_states() {
    noted_locks.store(static_cast<int>(lock_bits()));
}

void platform_lock_states(bool& caps, bool& num, bool& scroll) {
    const int noted = noted_locks.load();
    const unsigned bits = noted == not_noted ? lock_bits() : static_cast<unsigned>(noted);
    caps = bits & caps_bit;
    num = bits & num_bit;
    scroll = bits & scroll_bit;
}

unsigned platform_held_modifiers() {
    unsigned held = 0;
    for (const modifier_key& key : modifier_keys)
        if (GetKeyState(key.virtual_key) & key_down_bit) held |= key.bit;
    return held;
}

#pragma once
// The BIOS keyboard flag bytes in low memory, derived from the held-key list.
#include <cstdint>

constexpr uint32_t keyboard_flags_address = 0x417;
constexpr uint32_t keyboard_flags2_address = 0x418;
constexpr uint32_t keyboard_flags3_address = 0x496;

// Rewrites the three flag bytes from the keys held now.
void recompute_keyboard_flags();
// Whether holding or letting go of this key can change a flag byte.
bool key_sets_flag(int32_t id);

// The modifier state as a key-event mask: bits 0 and 1 Shift, 2 Ctrl, 3 Alt,
// 5 Num Lock, 6 Caps Lock (bit 7, extended key, is the caller's).
uint8_t keyboard_modifier_mask();

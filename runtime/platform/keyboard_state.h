#pragma once
// The desktop's keyboard state: lock toggles and the modifier keys held down. Without a
// display every state reads as off.

// Toggle states of the three lock keys.
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

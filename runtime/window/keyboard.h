#pragma once
// Key-press and key-release handling: the held keys, the flag bytes, the program's own
// keys (Break, Pause) and the translation of keys into the key queue.
#include <cstdint>

// One key identifier going down or up (window thread; start-up; lock follower).
void key_press(int32_t id);
void key_release(int32_t id);
// A press that only carries a state (a lock or modifier the desktop reports, typed
// replacement text): never Break, Pause, a resume or a trapped key.
void key_press_state(int32_t id);

// Hook kind 2 from the window layer: Pause (100019) or Break (100318), direction > 0
// pressed, otherwise released; other identifiers are ignored.
void keyboard_hook_key(int32_t id, int32_t direction);

// The desktop's keyboard as the platform reports it.
struct desktop_keyboard_state {
    bool scroll_lock_on = false;
    bool caps_lock_on = false;
    bool num_lock_on = false;
    bool scroll_lock_held = false;
    bool left_shift_held = false;
    bool right_shift_held = false;
    bool left_ctrl_held = false;
    bool right_ctrl_held = false;
    bool left_alt_held = false;
    bool right_alt_held = false;
};

// Takes over modifiers already held and locks already on (start-up).
void adopt_desktop_keyboard_state(const desktop_keyboard_state& desktop);
// Brings the runtime's lock states in line with the desktop's.
void follow_lock_states(const desktop_keyboard_state& desktop);

// Start-up: key-event table, the desktop's keyboard state, the empty key queue.
void rt_keyboard_init();
// One pass of the service thread's lock-key follower.
void rt_follow_lock_keys();

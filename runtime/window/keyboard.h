#pragma once
// The keyboard's state machine: the held keys and the flag bytes in low memory, the
// program's own keys (Break, Pause), trapped keys, the key logs and the translation of
// presses into the key queue. The host glue hands every key on here by identifier.
#include <atomic>
#include <cstdint>

// One key identifier going down or up (window thread; start-up; lock follower).
void key_press(int32_t id);
void key_release(int32_t id);
// A press that only carries a state (a lock or modifier the desktop reports, typed
// replacement text): never Break, Pause, a resume or a trapped key.
void key_press_state(int32_t id);

// The modifiers the host reports held with a key event.
struct host_modifiers {
    bool shift;
    bool ctrl;
    bool alt;
};

// The host's one way in: a key going down or up, with the modifiers the host reports held.
// A modifier released while the window had no focus leaves no release event behind; the
// reported modifiers tell. The host's Shift includes Caps Lock, so it only ever lets Shift
// go, never presses it. With Ctrl the host delivers control codes for letters and Enter.
void host_key(int32_t id, bool pressed, host_modifiers held);

// The key-down query: a character also matches its keypad key, a navigation code
// 0x4700 to 0x5300 also matches its keypad key with Num Lock off.
bool key_is_down(int32_t id);

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

// The key-event table: keys the program may trap, each slot armed by the runtime's
// event trapping. A trapped key is not queued.
constexpr int32_t key_event_slots = 32;

struct key_event_slot {
    int32_t code;          // extended code of the key
    int32_t alternative;   // another identifier that also matches (a keypad key)
    uint8_t scan;          // with modifier_mask: a user-defined key
    uint8_t modifier_mask; // bits 0-1 Shift, 2 Ctrl, 3 Alt, 5 Num Lock, 6 Caps Lock, 7 extended
    std::atomic<int32_t> armed;
    std::atomic<int32_t> pending;
    void (*handler)();
    const char* replacement; // typed instead of the key when set
};
extern key_event_slot key_event_table[key_event_slots];

// The function and cursor keys of slots 1-14, 30 and 31.
void preset_key_event_table();

// The raw scan-code buffer (for the emulated keyboard data port) and the ring of key
// presses and releases (for the runtime's key-hit operation). Both drop their oldest
// entry when full. Written by the window thread and the service thread's lock follower.
constexpr int32_t raw_scan_capacity = 256;

struct raw_scan_buffer {
    std::atomic<uint8_t> bytes[raw_scan_capacity];
    std::atomic<int32_t> count;
};
extern raw_scan_buffer raw_scan_codes;

struct key_hit_entry {
    int32_t code; // a press; a release stores the negated code
    int32_t flags;
};

// Takes the oldest entry; false when the ring is empty.
bool take_key_hit(key_hit_entry& entry);

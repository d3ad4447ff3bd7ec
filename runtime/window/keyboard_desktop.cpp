// The desktop's keyboard state at start-up and the service thread's lock-key follower.
#include "runtime/core/key_queue.h"
#include "runtime/platform/key_identifiers.h"
#include "runtime/window/key_events.h"
#include "runtime/window/keyboard.h"

namespace {

desktop_keyboard_state desktop_locks() {
    desktop_keyboard_state desktop;
    platform_lock_states(desktop.caps_lock_on, desktop.num_lock_on, desktop.scroll_lock_on);
    return desktop;
}

// The platform does not report a held Scroll Lock key; its lock state is enough.
desktop_keyboard_state desktop_now() {
    desktop_keyboard_state desktop = desktop_locks();
    const unsigned held = platform_held_modifiers();
    desktop.left_shift_held = held & held_left_shift;
    desktop.right_shift_held = held & held_right_shift;
    desktop.left_ctrl_held = held & held_left_ctrl;
    desktop.right_ctrl_held = held & held_right_ctrl;
    desktop.left_alt_held = held & held_left_alt;
    desktop.right_alt_held = held & held_right_alt;
    return desktop;
}

} // namespace

void rt_keyboard_init() {
    preset_key_event_table();
    adopt_desktop_keyboard_state(desktop_now());
    reset_key_queue();
}

void rt_follow_lock_keys() {
    follow_lock_states(desktop_locks());
}

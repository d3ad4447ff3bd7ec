#pragma once
// The desktop's keyboard state, read from the X server: lock indicators and the
// modifier keys held down. Without an X display every state reads as off.

struct _XDisplay;
union _XEvent;

// Toggle states of the three lock keys: kept from the window's indicator events once they
// are watched, asked of the server otherwise.
void platform_lock_states(bool& caps, bool& num, bool& scroll);

// Window thread: asks the window's connection to report lock-indicator changes as events,
// so that following the locks costs no request to the server. The events' type, or -1
// when the server cannot report them.
int platform_watch_lock_indicators(_XDisplay* display);
// True for an indicator event of the watched connection; keep it with the next call.
bool platform_is_indicator_event(const _XEvent& event);
void platform_keep_indicator_event(const _XEvent& event);

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

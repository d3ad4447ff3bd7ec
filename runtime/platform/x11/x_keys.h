#pragma once
// The keyboard on X11. Keys the X server reports in a way freeglut turns into something
// else, Shift+Tab (no character at all) and Ctrl+Enter (the same 13 as Ctrl+M), are taken
// before freeglut and handed here, which passes their characters to rt_window_hook.
#include <X11/Xlib.h>

// Reads the keyboard's mapping: the key each key code stands for, unshifted. Called again
// after the mapping changed. Until then every key code stands for no key.
void keyboard_learn_x_keys(Display* display);
// The key a key code stands for, unshifted, without asking Xlib (safe while Xlib reads).
KeySym x_key_symbol(unsigned keycode);

// Safe while Xlib reads.
bool keyboard_claims_x_key(const XKeyEvent& event);
void keyboard_x_key(const XKeyEvent& event);

// Window thread: asks the window's connection to report lock-indicator changes as events,
// so that the lock toggles come from them, not from requests to the server. The events'
// type, or -1 when the server cannot report them.
int platform_watch_lock_indicators(Display* display);
// True for an indicator event of the watched connection; keep it with the next call.
bool platform_is_indicator_event(const XEvent& event);
void platform_keep_indicator_event(const XEvent& event);

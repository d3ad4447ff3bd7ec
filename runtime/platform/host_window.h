#pragma once
// The host's part of the freeglut window: the events freeglut would mishandle or never
// deliver are taken before it and handed to rt_window_hook, which the window layer
// defines; and the sleep between turns of the event loop.
#include <cstdint>

// What the host hands to rt_window_hook, with the meaning of a and b.
enum class window_hook_kind : uint8_t {
    close,          // the close button
    key,            // a key freeglut does not deliver: a its identifier, b > 0 pressed
    exposed,        // the window shown again
    character_down, // a character freeglut would get wrong: a it, b freeglut's modifiers
    character_up,   // the same, released
};
void rt_window_hook(window_hook_kind kind, int32_t a, int32_t b);

// Window thread, once the window exists with its context current: takes over those events,
// keeps message boxes above the window and names its class for the desktop.
void host_window_attach();
// Hands on the events taken since the last turn.
void host_window_hand_on_events();
// True when events wait to be read; reading them may take some.
bool host_window_events_waiting();
// Sleeps until an event arrives, host_window_wake is called or timeout_ms passes (-1: no
// limit); true when host_window_wake woke it.
bool host_window_sleep(int timeout_ms);
// Any thread: a new frame waits to be shown. Nothing before host_window_attach.
void host_window_wake();

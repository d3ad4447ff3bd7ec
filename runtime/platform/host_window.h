#pragma once
// The host's part of the freeglut window: the events freeglut would mishandle or never
// deliver are taken before it and handed to rt_window_hook, which the window layer
// defines; and the sleep between turns of the event loop.
#include <cstdint>

// Hook kinds: close requested; a key freeglut does not deliver (a its identifier, b > 0
// pressed); the window shown again; a character freeglut would get wrong, pressed or
// released (a the character, b freeglut's modifiers).
constexpr int window_hook_close = 1;
constexpr int window_hook_key = 2;
constexpr int window_hook_exposed = 4;
constexpr int window_hook_character_down = 5;
constexpr int window_hook_character_up = 6;
void rt_window_hook(int kind, int32_t a, int32_t b);

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

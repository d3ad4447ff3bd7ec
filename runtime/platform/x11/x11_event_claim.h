#pragma once
// Events taken off an X connection the moment Xlib reads them, whoever does the reading.
// freeglut reads every event that arrives while it works through its queue, and drops
// those it has no use for (Pause, Break, lock indicators) or answers them in its own way
// (an exposure, with a redisplay that draws nothing new); claimed events never reach it.

union _XEvent;
struct _XDisplay;

// Runs inside Xlib's reading, with the event just read: true keeps it for
// platform_take_claimed_event. It must not call Xlib.
using x11_event_claim = bool (*)(const _XEvent& event);

// Window thread: events of the given types are offered to `claims` from now on. Meant for
// one connection, the window's; claimed events of every connection share one queue.
void platform_claim_events(_XDisplay* display, const int* types, int count, x11_event_claim claims);
// The oldest claimed event not taken yet; false when there is none.
bool platform_take_claimed_event(_XEvent& event);
bool platform_claimed_event_waiting();

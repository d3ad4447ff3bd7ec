#pragma once
// The keyboard state from the X server: lock toggles are kept from the window's indicator
// events once they are watched, asked of the server otherwise.

struct _XDisplay;
union _XEvent;

// Window thread: asks the window's connection to report lock-indicator changes as events,
// so that following the locks costs no request to the server. The events' type, or -1
// when the server cannot report them.
int platform_watch_lock_indicators(_XDisplay* display);
// True for an indicator event of the watched connection; keep it with the next call.
bool platform_is_indicator_event(const _XEvent& event);
void platform_keep_indicator_event(const _XEvent& event);

#pragma once
// The window's class as X desktops read it (WM_CLASS): task bars and docks match it to the
// installed desktop entry, and so show the calculator's name and icon for its window.
#include <X11/Xlib.h>

void platform_set_window_class(Display* display, unsigned long xid);

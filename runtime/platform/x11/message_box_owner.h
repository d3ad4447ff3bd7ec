#pragma once
// The host window names the main window (an X window id) so that boxes stay on top of
// it; 0 means there is none (yet).
void platform_set_main_window(unsigned long xid);

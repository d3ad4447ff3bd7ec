#pragma once
// The freeglut window on the process's first thread and its event loop.

// freeglut's own start (the X connection and the OpenGL library), with no window yet.
// When it fails freeglut ends the process with its message; settle runs first.
void window_prepare(int argc, char** argv, void (*settle)());

// Creates the window (1024 x 552, titled "Untitled" unless the program set a title),
// registers the callbacks and runs the event loop until the process ends.
[[noreturn]] void window_run();

// Before window_run: each page pixel shown as scale x scale window pixels.
void window_set_scale(int scale);
// Before window_run: the window starts in full screen.
void window_start_full_screen();

#pragma once
// The freeglut window on the process's first thread and its event loop.
#include <cstdint>

// freeglut's own start (the X connection and the OpenGL library), with no window yet.
// When it fails freeglut ends the process with its message; settle runs first.
void window_prepare(int argc, char** argv, void (*settle)());

// Creates the window (1024 x 552, titled "Untitled" unless the program set a title),
// registers the callbacks and runs the event loop until the process ends.
[[noreturn]] void window_run();

// Hook from the window layer: close requested; a key freeglut does not deliver
// (identifier, direction > 0 pressed); relative mouse movement.
constexpr int window_hook_close = 1;
constexpr int window_hook_key = 2;
constexpr int window_hook_mouse_move = 3;
void rt_window_hook(int kind, int32_t a, int32_t b);

#pragma once
// The freeglut window on the process's first thread and its event loop.

// Creates the window (1024 x 552, titled "Untitled" unless the program set a title),
// registers the callbacks and runs the event loop until the process ends.
[[noreturn]] void window_run(int argc, char** argv);

#pragma once
// Process entry of the runtime: start-up in its fixed order, the runtime's threads and
// the one orderly way the process ends.
#include <cstdint>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/seconds_clock.h"

// All arguments after the program name joined with one blank.
extern const char* command_line_text;

// Starts the runtime and the freeglut window; never returns (the service thread ends
// the process).
[[noreturn]] void rt_run(int argc, char** argv, rt_main_routine main_routine);

// The same start-up without the window, for in-process tests: the program thread and
// the service thread run; keys are fed through the keyboard path by the caller.
void rt_start_headless(rt_main_routine main_routine);

// The folder part of an executable path: at a slash the slash is dropped, at a drive
// colon the colon stays; a file in the root folder gives "/"; no separator gives "".
std::string executable_folder_of(const std::string& path);

// Hook from the window layer: close requested; a key freeglut does not deliver
// (identifier, direction > 0 pressed); relative mouse movement.
constexpr int window_hook_close = 1;
constexpr int window_hook_key = 2;
constexpr int window_hook_mouse_move = 3;
void rt_window_hook(int kind, int32_t a, int32_t b);

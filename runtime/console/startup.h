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

// End of the main routine: "Press any key to continue", then stop.
[[noreturn]] void rt_end();

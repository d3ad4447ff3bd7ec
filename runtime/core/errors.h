#pragma once
// Runtime errors and the check point that runs between the application's statements.
#include <atomic>
#include <cstdint>

#include "runtime/core/error_numbers.h"

using rt_error = uint32_t;

struct rt_error_state {
    uint32_t error_pending = 0;             // raised, not yet delivered; 0 = none
    std::atomic<int32_t> attention_flag{0}; // the check point has work to do (any thread sets it)
    int32_t retry = 0;                      // the statement just run must run again
    int32_t resume_requested = 0;           // set by the handler's resume
    int32_t trap_enabled = 0;               // the application's error trap is installed
    int32_t in_handler = 0;                 // the application is running its handler
    int32_t enter_handler = 0;              // the main routine must go straight to its handler
    int32_t err = 0;                        // last trapped error
    double erl = 0;                         // line label of the last trapped error
    double last_line_label = 0;             // kept by the application
    uint32_t error_line = 0;                // statement number given to the delivering check
};

extern rt_error_state error_state;

using rt_main_routine = void (*)();
// The application's main routine: run by the program thread and re-entered by the
// error delivery with enter_handler set.
extern rt_main_routine application_main;

// Records error n (0 or negative become 5; the first pending error wins) or ends the
// process for a critical number. Returns the error now pending.
rt_error rt_raise_error(int32_t n);
// The check point; the caller reads error_state.retry afterwards.
void rt_check_events(uint32_t line);
// Delivers error_pending to the trap or to the dialog (called by rt_check_events).
void rt_report_error();
int32_t rt_err_number();
double rt_err_line();
// Called by the main routine at its entry: true when it was entered to run its error
// handler (in_handler is then set); ends the process with 99 on a bad trap state.
bool rt_take_handler_entry();
// The resume step at the end of the application's handler.
void rt_resume();

// Message of an error number, "Unprintable error" for numbers outside the table.
const char* rt_error_message(uint32_t n);

// Parks the program thread for shutdown.
[[noreturn]] void rt_exit();
// Asks for the stop and parks the program thread.
[[noreturn]] void rt_stop_program();
// The reset statement: empties the return stack and removes the trap.
void rt_clear();
// Timed wait that honours pause, shutdown and errors while it waits.
void rt_delay(double seconds);

// Closes open files and connections; null while there are none to close.
extern void (*rt_close_files_hook)();

#include "app/program.h"

#include <csignal>

#include "app/app_io.h"
#include "app/go_to.h"
#include "app/menu.h"

namespace {

void on_arithmetic_fault(int) {
    rt_raise_error(err_division_by_zero);
}

// Runtime errors while the trap is armed end here; it never resumes.
void error_trap() {
    rt_routine routine;
    switch (rt_err_number()) {
    case err_overflow:
        print_line(routine, 1001, "The Numbers You Have Entered Are To Large.");
        break;
    case err_illegal_function_call:
        print_line(routine, 1003, "An illegal function call has been made.");
        break;
    default:
        print_line(routine, 1005, "THIS PROGRAM REQUIRES GRAPHICS CAPABILITY");
        print_line(routine, 1006);
        print_line(routine, 1007);
    }
    print_line(routine, 1009, "PRESS ANY KEY TO CONTINUE");
    wait_for_key(routine, 1010);
    throw go_to_main_menu{};
}

} // namespace

void program_main() {
    if (rt_take_handler_entry()) error_trap();
    static bool precision_set = false;
    if (!precision_set) {
        platform_use_extended_precision();
        precision_set = true;
    }
    std::signal(SIGFPE, on_arithmetic_fault);
    error_state.trap_enabled = 1;
    {
        rt_routine routine;
        routine.statement(1, [] { rt_screen(0, 0, 0, 0, 0, screen_mode_given); });
        routine.statement(2, [] {
            rt_color(text_grey, screen_blue, 0, colour_foreground_given | colour_background_given);
        });
    }
    for (;;) {
        try {
            main_menu();
        } catch (const go_to_main_menu&) {
        }
    }
}

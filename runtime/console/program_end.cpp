// The end of the program's main routine: the prompt on the bottom row and the stop.
#include "runtime/console/startup.h"
#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"

namespace {

void discard_key() {
    const int32_t mark = rt_temporary_count();
    rt_inkey();
    rt_release_temporaries(mark, 0);
}

int32_t text_rows(const rt_image& page) {
    return page.text_page ? page.height : page.height / font_height(page.font);
}

void show_end_prompt() {
    rt_select_dest(rt_visible_handle());
    const int32_t rows = text_rows(*image_state.dest);
    rt_view_print(rows, rows, view_print_rows_given);
    rt_print("", true);
    rt_print("Press any key to continue", false);
}

} // namespace

void rt_end() {
    if (rt_close_files_hook) rt_close_files_hook();
    run_control.exit_trap.store(0);
    show_end_prompt();
    while (rt_key_waiting() && !error_state.error_pending)
        discard_key(); // keys typed before the prompt do not count
    run_control.auto_display.store(1);
    // A key or the shutdown wakes the wait: a program left at its end prompt costs nothing.
    while (!rt_key_waiting()) {
        if (run_control.shutting_down.load()) rt_exit();
        rt_key_wait_idle();
    }
    rt_stop_program();
}

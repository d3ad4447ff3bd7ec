// Raising, delivering and reporting runtime errors; the stop of the program thread.
#include "runtime/core/errors.h"

#include <cmath>
#include <string>

#include "runtime/core/process_exit.h"
#include "runtime/core/run_control.h"
#include "runtime/core/scratch.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/message_box.h"

bool rt_critical_box_of(uint32_t n, const char** message, const char** caption,
                        uint32_t* caption_number);

rt_error_state error_state;
rt_main_routine application_main = nullptr;
void (*rt_close_files_hook)() = nullptr;

namespace {

[[noreturn]] void critical_exit(const std::string& caption, const std::string& message,
                                box_buttons buttons) {
    platform_message_box(caption, message, buttons);
    rt_process_exit(0);
}

bool is_fatal(uint32_t n) {
    return n >= 300 && n <= 313;
}

void deliver_to_trap() {
    error_state.err = static_cast<int32_t>(error_state.error_pending);
    error_state.error_pending = 0;
    error_state.erl = error_state.last_line_label;
    error_state.enter_handler = 1;
    application_main();
}

void deliver_to_dialog() {
    const uint32_t n = error_state.error_pending;
    const bool fatal = is_fatal(n);
    std::string body =
        "Line:" + std::to_string(error_state.error_line) + "\n" + rt_error_message(n);
    if (!fatal) body += "\nContinue?";
    const std::string caption =
        std::string(fatal ? "Critical Error #" : "Unhandled Error #") + std::to_string(n);
    if (fatal) critical_exit(caption, body, box_buttons::ok);
    if (platform_message_box(caption, body, box_buttons::yes_no) == box_answer::no) {
        rt_stop_program();
    }
    error_state.error_pending = 0;
}

} // namespace

rt_error rt_raise_error(int32_t n) {
    const char* message;
    const char* caption;
    uint32_t caption_number;
    if (n > 0 &&
        rt_critical_box_of(static_cast<uint32_t>(n), &message, &caption, &caption_number)) {
        std::string full_caption = caption;
        if (caption_number) full_caption += std::to_string(caption_number);
        critical_exit(full_caption, message, box_buttons::ok);
    }
    if (error_state.error_pending) return error_state.error_pending;
    error_state.error_pending = n <= 0 ? 5u : static_cast<uint32_t>(n);
    error_state.attention_flag.store(1);
    return error_state.error_pending;
}

void rt_check_events(uint32_t line) {
    error_state.attention_flag.store(0);
    error_state.retry = 0;
    while (run_control.paused.load() || run_control.shutting_down.load()) {
        if (run_control.shutting_down.load()) rt_exit();
        rt_sleep_ms(10);
    }
    if (error_state.error_pending) {
        error_state.error_line = line;
        rt_report_error();
        if (error_state.resume_requested) {
            error_state.resume_requested = 0;
            error_state.retry = 1;
        }
    }
    // No event traps are ever armed by this application, so there is nothing to dispatch.
}

void rt_report_error() {
    const bool fatal = is_fatal(error_state.error_pending);
    if (error_state.trap_enabled && !error_state.in_handler && !fatal && application_main)
        deliver_to_trap();
    else
        deliver_to_dialog();
}

bool rt_take_handler_entry() {
    if (!error_state.enter_handler) return false;
    error_state.enter_handler = 0;
    if (error_state.trap_enabled != 1) rt_process_exit(99);
    error_state.in_handler = 1;
    return true;
}

void rt_resume() {
    if (!error_state.in_handler) {
        rt_raise_error(err_resume_without_error);
        return;
    }
    error_state.resume_requested = 1;
    error_state.attention_flag.store(1);
    error_state.in_handler = 0;
    error_state.err = 0;
}

int32_t rt_err_number() {
    return error_state.err;
}
double rt_err_line() {
    return error_state.erl;
}

void rt_exit() {
    run_control.finished_threads.fetch_or(1);
    while (!run_control.shutting_down.load()) rt_sleep_ms(16);
    for (;;) rt_sleep_ms(16);
}

void rt_stop_program() {
    rt_request_stop();
    rt_exit();
}

void rt_clear() {
    if (rt_close_files_hook) rt_close_files_hook();
    rt_return_stack.count = 0;
    error_state.trap_enabled = 0;
    error_state.in_handler = 0;
}

void rt_delay(double seconds) {
    if (error_state.error_pending) return;
    if (!(seconds >= 0 && seconds <= 2147483.647)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    int64_t start = rt_clock_ms();
    const double wanted = seconds * 1000.0;
    int64_t last_elapsed = 0;
    for (;;) {
        int64_t elapsed = rt_clock_ms() - start;
        if (elapsed < 0) { // the clock went backwards: keep what was already waited
            start = rt_clock_ms() - last_elapsed;
            elapsed = last_elapsed;
        }
        if (static_cast<double>(elapsed) >= wanted) return;
        last_elapsed = elapsed;
        int64_t remaining = static_cast<int64_t>(wanted - static_cast<double>(elapsed));
        if (remaining < 1) remaining = 1;
        if (remaining < 10) {
            rt_sleep_ms(static_cast<int>(remaining));
            return;
        }
        rt_sleep_ms(9);
        rt_check_events(0);
        if (error_state.error_pending) return;
    }
}

#include "runtime/core/run_control.h"

#include "runtime/platform/clock.h"
#include "runtime/platform/wake_word.h"

rt_run_control run_control;

void rt_request_stop() {
    run_control.stop_request.store(1);
}

void rt_request_frame() {
    run_control.frame_requests.fetch_add(1);
    platform_wake_word(run_control.frame_requests);
}

void rt_take_frame_lock() {
    if (!run_control.display_running.load()) return;
    run_control.frame_lock.store(1);
    // The service thread builds no frames once shutdown has begun.
    while (run_control.frame_lock.load() != 2 && run_control.display_running.load() &&
           !run_control.shutting_down.load())
        rt_sleep_ms(0);
}

void rt_release_frame_lock() {
    run_control.frame_lock.store(0);
}

bool rt_frame_lock_acknowledge() {
    int32_t expected = 1;
    if (run_control.frame_lock.compare_exchange_strong(expected, 2)) rt_sleep_ms(0);
    return run_control.frame_lock.load() == 0;
}

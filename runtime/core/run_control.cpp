#include "runtime/core/run_control.h"

#include "runtime/platform/clock.h"
#include "runtime/platform/wake_word.h"

std::atomic<uint8_t> stop_request{0};
std::atomic<uint32_t> close_request{0};
std::atomic<int32_t> exit_trap{0};
std::atomic<uint8_t> shutting_down{0};
std::atomic<uint32_t> finished_threads{0};
std::atomic<uint8_t> paused{0};
std::atomic<int32_t> auto_display{1};
std::atomic<uint32_t> refresh_count{0};
std::atomic<int32_t> frame_lock{0};
std::atomic<int32_t> service_pause{0};
std::atomic<int32_t> timer_pause{0};
std::atomic<int32_t> window_ready{0};
std::atomic<int32_t> exit_code{0};
std::atomic<int32_t> display_running{0};
std::atomic<uint32_t> frame_requests{0};

void rt_request_stop() {
    stop_request.store(1);
}

void rt_request_frame() {
    frame_requests.fetch_add(1);
    platform_wake_word(frame_requests);
}

void rt_take_frame_lock() {
    if (!display_running.load()) return;
    frame_lock.store(1);
    // The service thread builds no frames once shutdown has begun.
    while (frame_lock.load() != 2 && display_running.load() && !shutting_down.load())
        rt_sleep_ms(0);
}

void rt_release_frame_lock() {
    frame_lock.store(0);
}

bool rt_frame_lock_acknowledge() {
    int32_t expected = 1;
    if (frame_lock.compare_exchange_strong(expected, 2)) rt_sleep_ms(0);
    return frame_lock.load() == 0;
}

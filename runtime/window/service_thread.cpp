#include "runtime/window/service_thread.h"

#include <atomic>

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/process_exit.h"
#include "runtime/core/run_control.h"
#include "runtime/core/seconds_clock.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/thread_name.h"
#include "runtime/platform/wake_word.h"
#include "runtime/printer/printer.h"
#include "runtime/sound/sound.h"
#include "runtime/window/frame_ring.h"
#include "runtime/window/keyboard.h"

namespace {

constexpr int pass_sleep_ms = 16;

bool pass_parity = false;
uint32_t frame_requests_served = 0;

void build_frame() {
    if (run_control.auto_display.load() != 0) frame_builder();
    run_control.refresh_count.fetch_add(1);
}

// Out of turn: the refresh count is left alone, so the blink keeps its pace.
void build_requested_frame() {
    if (run_control.auto_display.load() != 0) frame_builder();
}

// The pass's sleep; a frame asked for meanwhile is built at once.
void sleep_serving_frame_requests(int ms) {
    const int64_t deadline = rt_clock_ms() + ms;
    for (int64_t left = ms; left > 0; left = deadline - rt_clock_ms()) {
        const uint32_t requests = run_control.frame_requests.load();
        if (requests != frame_requests_served) {
            frame_requests_served = requests;
            build_requested_frame();
            continue;
        }
        platform_wait_on_word(run_control.frame_requests, requests, static_cast<int>(left));
    }
}

// One pass; false when the loop must end for shutdown.
bool service_pass() {
    if (run_control.close_request.load() != 0 && run_control.exit_trap.load() == 0) return false;
    service_update_tick_count();
    sleep_serving_frame_requests(pass_sleep_ms);
    if (run_control.stop_request.load()) return false;
    rt_sound_pump();
    pass_parity = !pass_parity;
    printer_idle_check();
    if (pass_parity)
        build_frame();
    else
        rt_follow_lock_keys();
    return true;
}

[[noreturn]] void shut_down() {
    run_control.shutting_down.store(1);
    error_state.attention_flag.store(1);
    // An error dialog or a key wait would keep the program thread from its check point.
    platform_message_boxes_give_way();
    rt_wake_key_wait();
    while (run_control.finished_threads.load() != 3) rt_sleep_ms(16);
    printer_shutdown_flush();
    // Files are closed here.
    rt_audio_stop();
    rt_process_exit(run_control.exit_code.load());
}

} // namespace

void service_update_tick_count() {
    const int64_t ticks = static_cast<int64_t>(static_cast<double>(rt_time_of_day_ms()) * 0.0182);
    for (int i = 0; i < 3; ++i)
        std::atomic_ref<uint8_t>(low_memory[0x46C + i])
            .store(static_cast<uint8_t>(ticks >> (8 * i)), std::memory_order_relaxed);
}

void service_thread_body() {
    rt_name_this_thread("service");
    run_control.display_running.store(1);
    while (service_pass()) {
    }
    shut_down();
}

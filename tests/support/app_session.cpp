#include "tests/support/app_session.h"

#include <algorithm>
#include <atomic>

#include "app/program.h"
#include "runtime/console/startup.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/window/glut_keys.h"
#include "tests/support/page_reader.h"

namespace {

int queued_keys() {
    const int head = std::atomic_ref<uint8_t>(low_memory[key_queue_head_address]).load();
    const int tail = std::atomic_ref<uint8_t>(low_memory[key_queue_tail_address]).load();
    return ((tail - head + 32) % 32) / 2;
}

} // namespace

app_session::app_session(rt_main_routine routine) {
    rt_start_headless(routine ? routine : program_main);
}

void app_session::type(std::string_view keys) {
    for (const char c : keys) {
        wait_for_key_room();
        keyboard_char_down(static_cast<unsigned char>(c), 0);
        keyboard_char_up(static_cast<unsigned char>(c), 0);
    }
}

void app_session::wait_for_key_room() const {
    while (queued_keys() >= 14) rt_sleep_ms(1);
}

rt_image& app_session::page() const {
    return image_state.table[image_state.visible_page.load()];
}

std::vector<std::string> app_session::rows() const {
    return text_rows(page());
}

std::string app_session::row(int number) const {
    return text_row(page(), number);
}

bool app_session::wait_for(const std::function<bool()>& done, int timeout_ms) const {
    const int64_t end = rt_clock_ms() + timeout_ms;
    while (!done()) {
        if (rt_clock_ms() > end) return false;
        rt_sleep_ms(2);
    }
    return true;
}

bool app_session::wait_until_program_waits(int timeout_ms) const {
    return wait_for(rt_program_waits_for_key, timeout_ms);
}

bool app_session::wait_for_row_text(const std::string& text, int timeout_ms) const {
    return wait_for(
        [&] {
            const auto r = rows();
            return std::find(r.begin(), r.end(), text) != r.end();
        },
        timeout_ms);
}

bool app_session::wait_for_last_row(const std::string& text, int timeout_ms) const {
    return wait_for(
        [&] {
            const auto r = rows();
            return !r.empty() && r.back() == text;
        },
        timeout_ms);
}

bool wait_for_service_pass(int timeout_ms) {
    // A frame is built on every second pass; two builds later a whole pass has passed.
    const uint32_t seen = run_control.refresh_count.load();
    const int64_t end = rt_clock_ms() + timeout_ms;
    while (run_control.refresh_count.load() - seen < 2) {
        if (rt_clock_ms() > end) return false;
        rt_sleep_ms(2);
    }
    return true;
}

std::string screen_text(const std::vector<std::string>& rows) {
    std::string text;
    for (const auto& r : rows) text += r + "\n";
    return text;
}

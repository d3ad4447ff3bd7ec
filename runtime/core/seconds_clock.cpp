#include "runtime/core/seconds_clock.h"

#include <atomic>
#include <cmath>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/platform/clock.h"

int64_t start_clock_ms = 0;
int64_t start_time_of_day_ms = 0;

namespace {

constexpr double ticks_per_second = 18.2;

std::atomic<clock_reader> installed_reader{nullptr};
std::atomic<int64_t> fixed_start_time_of_day{-1};

} // namespace

void rt_set_clock_reader(clock_reader reader) {
    installed_reader.store(reader);
}

int64_t rt_clock_reading_ms() {
    const clock_reader reader = installed_reader.load();
    return reader ? reader() : rt_clock_ms();
}

void rt_set_start_time_of_day(int64_t ms) {
    fixed_start_time_of_day.store(ms);
}

void rt_synchronise_clock() {
    const int64_t fixed = fixed_start_time_of_day.load();
    start_clock_ms = rt_clock_reading_ms();
    start_time_of_day_ms = fixed >= 0 ? fixed % ms_per_day : platform_local_time_of_day_ms();
}

int64_t rt_time_of_day_ms() {
    const int64_t ms = (rt_clock_reading_ms() - start_clock_ms + start_time_of_day_ms) % ms_per_day;
    return ms < 0 ? ms + ms_per_day : ms;
}

double rt_timer(double resolution, uint32_t given) {
    if (error_state.error_pending) return 0;
    if ((given & 1) && !(resolution > 0)) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    const double steps_per_second = (given & 1) ? 1.0 / resolution : ticks_per_second;
    const double seconds = static_cast<double>(rt_time_of_day_ms()) / 1000.0;
    const double result = std::nearbyint(seconds * steps_per_second) / steps_per_second;
    return (given & 1) ? result : static_cast<float>(result);
}

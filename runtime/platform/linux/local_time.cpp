#include <ctime>

#include "runtime/platform/clock.h"

int64_t platform_local_time_of_day_ms() {
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return 0;
    tm local{};
    if (!localtime_r(&now.tv_sec, &local)) return 0;
    return local.tm_hour * 3600000LL + local.tm_min * 60000LL + local.tm_sec * 1000LL +
           now.tv_nsec / 1000000;
}

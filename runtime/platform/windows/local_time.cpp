#include "runtime/platform/clock.h"
#include "runtime/platform/windows/windows_host.h"

int64_t platform_local_time_of_day_ms() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    return local.wHour * 3600000LL + local.wMinute * 60000LL + local.wSecond * 1000LL +
           local.wMilliseconds;
}

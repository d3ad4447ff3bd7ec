#pragma once
#include <cstdint>

// Milliseconds of a monotonic clock (never the process CPU time).
int64_t rt_clock_ms();
// Sleeps for ms milliseconds; 0 yields the processor.
void rt_sleep_ms(int ms);
// Milliseconds since local midnight by the calendar clock, to the millisecond, so a run
// needs no wait for a second boundary to know the time of day; 0 when it cannot be read.
int64_t platform_local_time_of_day_ms();

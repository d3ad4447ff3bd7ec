#pragma once
#include <cstdint>

// Milliseconds of a monotonic clock (never the process CPU time).
int64_t rt_clock_ms();
// Sleeps for ms milliseconds; 0 yields the processor.
void rt_sleep_ms(int ms);

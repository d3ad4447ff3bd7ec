#pragma once
// The time of day and the seconds clock: the monotonic millisecond clock plus the local
// time of day read at start, wrapping at midnight.
#include <cstdint>

constexpr int64_t ms_per_day = 86400000;

// Start-of-run clock values: the clock reading and the local time of day, both in ms,
// taken at the same moment by the start-up.
extern int64_t start_clock_ms;
extern int64_t start_time_of_day_ms;

// The millisecond clock behind the time of day. Tests install their own before the
// runtime starts; null restores the monotonic clock.
using clock_reader = int64_t (*)();
void rt_set_clock_reader(clock_reader reader);
int64_t rt_clock_reading_ms();

// Tests fix the time of day at which the run starts; negative: the calendar's.
void rt_set_start_time_of_day(int64_t ms);
// Start-up: reads the clock and the local time of day at the same moment.
void rt_synchronise_clock();

// Milliseconds since local midnight.
int64_t rt_time_of_day_ms();

// Seconds since midnight in steps of the resolution (given bit 1), by default in PC
// ticks of 1/18.2 s rounded to single precision. A resolution of 0 or less raises 5.
double rt_timer(double resolution, uint32_t given);

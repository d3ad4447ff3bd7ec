#pragma once
// Default text of numbers: what the application concatenates into its messages.
// Non-negative values start with a space, negative ones with the minus sign.
#include <cstdint>

#include "runtime/core/rt_string.h"

// Integers: all digits, no grouping.
rt_string* rt_str_number(int8_t value);
rt_string* rt_str_number(int16_t value);
rt_string* rt_str_number(int32_t value);
rt_string* rt_str_number(int64_t value);
rt_string* rt_str_number(uint8_t value);
rt_string* rt_str_number(uint16_t value);
rt_string* rt_str_number(uint32_t value);
rt_string* rt_str_number(uint64_t value);
// Floating point: at most 7 (single) or 16 (double) significant digits, no trailing
// zeros, no zero before the point, exponent form (letter E or D) when the fixed form
// would be too wide. Extended values are shown as doubles.
rt_string* rt_str_number(float value);
rt_string* rt_str_number(double value);
rt_string* rt_str_number(long double value);

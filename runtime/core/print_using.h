#pragma once
// Formatted output through picture templates.
//
// Each call formats one value: it copies the template's literal text from position
// `start` (0-based), writes the value into the first field it meets, copies the
// literal text behind that field up to the next field, and returns that field's
// position (0 when the template was finished). A template without a further field is
// used again from its beginning. The text is appended to *output: the record there is
// replaced by the concatenation (a temporary; a temporary *output is consumed, a
// null *output counts as empty). The template and a string value are not freed.
//
// Errors: a string for a numeric field or a number for a string field raises 13; a
// template without a field for the value, a start outside the template, an infinity
// or NaN raise 5. With an error pending nothing is appended and the result is 0.
#include <cstdint>

#include "runtime/core/rt_string.h"

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, int64_t value);
int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, uint64_t value);
int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, float value);
int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, double value);
int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, long double value);
int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, rt_string* value);

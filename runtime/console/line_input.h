#pragma once
// Typed line input: a line editor that checks the line after every key and takes back any
// key that would make it unacceptable for the targets, so that Enter always succeeds.
#include <cstdint>

#include "runtime/core/line_check.h"

constexpr int32_t max_input_targets = 32;

struct input_target {
    void* address; // int8/16/32/64 (or unsigned), float, double, long double or rt_string*
    uint32_t type; // input type code (line_check.h)
};

// Numbered from 1, filled by the application before each rt_input.
extern input_target input_targets[max_input_targets + 1];

// Sets target index; an index outside 1..max_input_targets, a null address or an invalid
// type code raises 5.
void rt_input_target(int32_t index, void* address, uint32_t type_code);

// Reads one line into targets 1..count, echoed at the output page's cursor; with new_line
// a line end is printed after Enter. Returns early when the runtime shuts down.
void rt_input(int32_t count, bool new_line);

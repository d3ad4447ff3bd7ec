#pragma once
// Whether a typed line is acceptable, possibly unfinished, input for a list of typed targets,
// and the values it gives them. Pure: no runtime state is read or written.
#include <cstdint>
#include <string_view>

// Input type codes: string, or float of width 32/64/256, or integer of width 8/16/32/64.
constexpr uint32_t input_type_string = 1u << 30;
constexpr uint32_t input_type_whole_line = 1u << 9; // with input_type_string: no fields, no quotes
constexpr uint32_t input_type_float = 1u << 29;
constexpr uint32_t input_type_unsigned = 1u << 28;
constexpr uint32_t input_width_mask = 0x1FF;

// The three codes the application uses.
constexpr uint32_t input_single = input_type_float | 32;
constexpr uint32_t input_integer = 16;
constexpr uint32_t input_string = input_type_string;

bool input_type_valid(uint32_t type);

struct input_rule {
    uint32_t type;
    int32_t max_length; // fixed-length string targets; -1 for any length
};

struct input_value {
    std::string_view text; // string targets: the field without its quotes
    uint64_t integer;      // integer targets: the value (signed targets: as int64_t)
    long double real;      // float targets
};

// True when the line splits into at most count fields and each field is acceptable for its
// target. Then values[i] holds what target i gets; targets without a field get 0 or "".
bool check_input_line(std::string_view line, const input_rule* rules, int32_t count,
                      input_value* values);

// Random lines against every kind of input target: the checker never fails, and every line
// it accepts gives each target a value inside the target's range, the same value an
// independent reading of a complete number gives.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/core/line_check.h"

namespace {

constexpr input_rule rule_table[] = {
    {8, -1},
    {16, -1},
    {32, -1},
    {64, -1},
    {8 | input_type_unsigned, -1},
    {16 | input_type_unsigned, -1},
    {32 | input_type_unsigned, -1},
    {64 | input_type_unsigned, -1},
    {input_type_float | 32, -1},
    {input_type_float | 64, -1},
    {input_type_float | 256, -1},
    {input_type_string, -1},
    {input_type_string, 5},
    {input_type_string | input_type_whole_line, -1},
};
constexpr size_t rule_count = sizeof(rule_table) / sizeof(rule_table[0]);
constexpr int32_t max_targets = 3;

void require(bool condition) {
    if (!condition) std::abort();
}

void require_integer_in_range(const input_rule& rule, uint64_t value) {
    const int32_t width = static_cast<int32_t>(rule.type & input_width_mask);
    if (rule.type & input_type_unsigned) {
        require(width == 64 || value < (uint64_t{1} << width));
        return;
    }
    const int64_t signed_value = static_cast<int64_t>(value);
    if (width < 64) {
        const int64_t limit = int64_t{1} << (width - 1);
        require(signed_value >= -limit && signed_value < limit);
    }
}

void require_float_in_range(const input_rule& rule, long double real) {
    require(std::isfinite(real));
    const uint32_t width = rule.type & input_width_mask;
    if (width == 32) require(static_cast<long double>(static_cast<float>(real)) == real);
    if (width == 64) require(static_cast<long double>(static_cast<double>(real)) == real);
}

// A plain decimal number that ends in a digit: what C reads from it must be the value.
bool complete_decimal(std::string_view field) {
    return !field.empty() && field[0] != '&' && field[0] != '"' && field.back() >= '0' &&
           field.back() <= '9';
}

void require_same_reading(const input_rule& rule, std::string_view field,
                          const input_value& value) {
    if (!complete_decimal(field)) return;
    std::string text(field);
    for (char& c : text)
        if (c == 'D' || c == 'd') c = 'E';
    if (rule.type & input_type_float) {
        const long double reading =
            (rule.type & input_width_mask) == 32
                ? static_cast<long double>(std::strtof(text.c_str(), nullptr))
                : static_cast<long double>(std::strtod(text.c_str(), nullptr));
        require(reading == value.real);
    } else if (rule.type & input_type_unsigned) {
        require(std::strtoull(text.c_str(), nullptr, 10) == value.integer);
    } else {
        require(std::strtoll(text.c_str(), nullptr, 10) == static_cast<int64_t>(value.integer));
    }
}

void require_values_in_range(std::string_view line, const input_rule* rules, int32_t count,
                             const input_value* values) {
    for (int32_t i = 0; i < count; ++i) {
        const input_rule& rule = rules[i];
        if (rule.type & input_type_string) {
            const std::string_view text = values[i].text;
            require(text.empty() || (text.data() >= line.data() &&
                                     text.data() + text.size() <= line.data() + line.size()));
            require(rule.max_length < 0 || text.size() <= static_cast<size_t>(rule.max_length));
        } else if (rule.type & input_type_float) {
            require_float_in_range(rule, values[i].real);
        } else {
            require_integer_in_range(rule, values[i].integer);
        }
    }
    if (count == 1 && !(rules[0].type & input_type_string))
        require_same_reading(rules[0], line, values[0]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t count = data[0] % max_targets + 1;
    if (size < static_cast<size_t>(count) + 1) return 0;
    input_rule rules[max_targets];
    for (int32_t i = 0; i < count; ++i) rules[i] = rule_table[data[1 + i] % rule_count];
    const std::string line(reinterpret_cast<const char*>(data) + 1 + count, size - 1 - count);
    input_value values[max_targets];
    if (check_input_line(line, rules, count, values))
        require_values_in_range(line, rules, count, values);
    return 0;
}

// The number reader of the drawing-command language: literal numbers and references to
// numeric variables in the program's data segment.
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/screen/graphics_internal.h"

namespace {

constexpr size_t reference_bytes = 3; // type byte, 16-bit little-endian offset
constexpr size_t extended_bytes = 10;

template <class T> double load(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
}

// The 80-bit extended format decoded by hand (sign and 15-bit exponent above a 64-bit
// mantissa with its integer bit), so that it reads the same on any machine.
double load_extended(const uint8_t* at) {
    constexpr int exponent_bias = 16383, mantissa_bits = 63, all_ones_exponent = 0x7FFF;
    uint64_t mantissa;
    uint16_t sign_exponent;
    std::memcpy(&mantissa, at, sizeof mantissa);
    std::memcpy(&sign_exponent, at + sizeof mantissa, sizeof sign_exponent);
    const int exponent = sign_exponent & all_ones_exponent;
    const double sign = sign_exponent >> 15 ? -1.0 : 1.0;
    if (exponent == all_ones_exponent)
        return mantissa << 1 ? std::numeric_limits<double>::quiet_NaN()
                             : sign * std::numeric_limits<double>::infinity();
    const int scale = (exponent ? exponent : 1) - exponent_bias - mantissa_bits;
    return sign * std::ldexp(static_cast<double>(mantissa), scale);
}

struct variable_type {
    uint8_t code;
    size_t size;
    double (*load)(const uint8_t*);
};

constexpr variable_type variable_types[] = {
    {1, 1, load<int8_t>},
    {129, 1, load<uint8_t>},
    {2, 2, load<int16_t>},
    {130, 2, load<uint16_t>},
    {20, 4, load<int32_t>},
    {148, 4, load<uint32_t>},
    {5, 8, load<int64_t>},
    {133, 8, load<uint64_t>},
    {4, 4, load<float>},
    {8, 8, load<double>},
    {6, extended_bytes, load_extended},
};

const variable_type* find_type(uint8_t code) {
    for (const auto& type : variable_types)
        if (type.code == code) return &type;
    return nullptr;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The variable named by the three bytes at `at`.
draw_number read_reference(std::string_view text, size_t& at, const uint8_t* segment) {
    const draw_number bad{0.0, true, false};
    if (text.size() - at < reference_bytes) return bad;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data()) + at;
    at += reference_bytes;
    const variable_type* type = find_type(bytes[0]);
    const size_t offset = size_t(bytes[1]) | size_t(bytes[2]) << 8;
    if (!type || offset + type->size > draw_segment_size) return bad;
    return {type->load(segment + offset), false, false};
}

} // namespace

draw_number draw_read_number(std::string_view text, size_t& at, const uint8_t* segment) {
    double value = 0.0, sign = 1.0, weight = 1.0;
    bool sign_seen = false, digit_seen = false, point_seen = false, fraction_digit = false;
    bool point_after_digit = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (is_blank(c)) continue;
        if (c == '=' && !sign_seen && !digit_seen && !point_seen)
            return read_reference(text, ++at, segment);
        if (c == '+' || c == '-') {
            if (digit_seen || point_seen) break;
            sign_seen = true;
            if (c == '-') sign = -sign;
        } else if (c == '.') {
            if (point_seen) break;
            point_seen = true;
            point_after_digit = digit_seen;
        } else if (c >= '0' && c <= '9') {
            digit_seen = true;
            if (point_seen) {
                weight /= 10;
                value += (c - '0') * weight;
                fraction_digit = true;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            break;
        }
    }
    const bool bad = (sign_seen && !digit_seen) || (point_after_digit && !fraction_digit);
    return {value * sign, bad, !digit_seen};
}

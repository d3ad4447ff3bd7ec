#include "runtime/core/line_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// What a float field may hold: the limits of the format, in decimal. Position p is where the
// first significant digit stands: the value is 0.ddd... x 10^p.
struct float_limits {
    int32_t max_zeros; // zeros after the point before the first significant digit
    int32_t max_position;
    std::string_view max_digits; // leading digits at max_position may not exceed these
    int32_t min_position;
    std::string_view min_digits; // leading digits at min_position may not fall below these
    int32_t max_fraction_digits; // significant digits of a field with a point
    std::string_view exponent_letters;
};

constexpr float_limits single_limits{43, 39, "3402823", -44, "1401298", 8, "Ee"};
constexpr float_limits double_limits{322, 309, "17976931", -323, "4940656", 16, "EeDd"};

// Enough leading digits for either comparison.
constexpr int32_t lead_size = 8;
// Exponents are clamped far outside every range so that they cannot overflow.
constexpr int64_t exponent_clamp = 1000000;

bool is_string(uint32_t type) {
    return type & input_type_string;
}
bool is_float(uint32_t type) {
    return !is_string(type) && (type & input_type_float);
}
bool is_whole_line(uint32_t type) {
    return is_string(type) && (type & input_type_whole_line);
}
int32_t width_of(uint32_t type) {
    return static_cast<int32_t>(type & input_width_mask);
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

uint64_t all_ones(int32_t width) {
    return width >= 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
}

uint64_t sign_extended(uint64_t value, int32_t width) {
    if (width >= 64 || !(value >> (width - 1) & 1)) return value;
    return value | ~all_ones(width);
}

int32_t digit_value(char c) {
    if (is_digit(c)) return c - '0';
    const char lower = static_cast<char>(c | 0x20);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

size_t digit_count(uint64_t value, uint32_t radix) {
    size_t count = 1;
    while (value >= radix) {
        value /= radix;
        ++count;
    }
    return count;
}

// "&H" hexadecimal or "&O" octal digits up to the all-ones value of the width; "&", "&H" and
// "&O" alone are unfinished input worth 0.
bool radix_field(std::string_view field, int32_t width, uint64_t& value) {
    value = 0;
    if (field.size() == 1) return true;
    const char letter = static_cast<char>(field[1] | 0x20);
    const uint32_t radix = letter == 'h' ? 16 : letter == 'o' ? 8 : 0;
    if (radix == 0) return false;
    const uint64_t limit = all_ones(width);
    const std::string_view digits = field.substr(2);
    if (digits.size() > digit_count(limit, radix)) return false;
    for (const char c : digits) {
        const int32_t digit = digit_value(c);
        if (digit < 0 || static_cast<uint32_t>(digit) >= radix) return false;
        if (value > (limit - digit) / radix) return false;
        value = value * radix + digit;
    }
    return true;
}

// Optional minus (signed only; alone it is worth 0), then decimal digits without a leading
// zero, within the range of the width.
bool decimal_integer_field(std::string_view field, int32_t width, bool is_unsigned,
                           uint64_t& value) {
    const bool negative = field[0] == '-';
    if (negative && is_unsigned) return false;
    const std::string_view digits = field.substr(negative ? 1 : 0);
    if (digits.size() > 1 && digits[0] == '0') return false;
    const uint64_t limit = is_unsigned ? all_ones(width) : all_ones(width - 1) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    for (const char c : digits) {
        if (!is_digit(c)) return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (magnitude > (limit - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    value = negative ? 0 - magnitude : magnitude;
    return true;
}

bool integer_field(std::string_view field, uint32_t type, uint64_t& value) {
    value = 0;
    if (field.empty()) return true;
    const int32_t width = width_of(type);
    const bool is_unsigned = type & input_type_unsigned;
    if (field[0] == '&') {
        if (!radix_field(field, width, value)) return false;
        if (!is_unsigned) value = sign_extended(value, width);
        return true;
    }
    return decimal_integer_field(field, width, is_unsigned, value);
}

struct mantissa {
    bool point = false;
    int64_t digits = 0;            // every digit before the exponent
    int64_t integer_digits = 0;    // significant digits before the point
    int64_t zeros_after_point = 0; // between the point and the first significant digit
    int64_t significant = 0;       // from the first non-zero digit on
    char lead[lead_size] = {};     // the first significant digits
};

// Digits with at most one point; a leading 0 must be followed by the point or end the field.
bool read_mantissa(std::string_view field, size_t& pos, mantissa& m) {
    if (pos + 1 < field.size() && field[pos] == '0' && field[pos + 1] != '.') return false;
    for (; pos < field.size(); ++pos) {
        const char c = field[pos];
        if (c == '.') {
            if (m.point) return false;
            m.point = true;
            continue;
        }
        if (!is_digit(c)) break;
        ++m.digits;
        if (m.significant == 0 && c == '0') {
            if (m.point) ++m.zeros_after_point;
            continue;
        }
        if (!m.point) ++m.integer_digits;
        if (m.significant < lead_size) m.lead[m.significant] = c;
        ++m.significant;
    }
    return true;
}

// From the exponent letter at pos: an optional sign, then digits without a leading zero.
bool read_exponent(std::string_view field, size_t pos, int64_t& exponent) {
    ++pos;
    bool negative = false;
    if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
        negative = field[pos] == '-';
        ++pos;
    }
    if (pos + 1 < field.size() && field[pos] == '0') return false;
    for (; pos < field.size(); ++pos) {
        if (!is_digit(field[pos])) return false;
        exponent = std::min(exponent * 10 + (field[pos] - '0'), exponent_clamp);
    }
    if (negative) exponent = -exponent;
    return true;
}

// Compares the leading significant digits with as many digits of a limit.
int32_t compare_lead(const mantissa& m, std::string_view limit) {
    const size_t n = std::min<size_t>(
        static_cast<size_t>(std::min<int64_t>(m.significant, lead_size)), limit.size());
    return std::string_view(m.lead, n).compare(limit.substr(0, n));
}

bool float_in_range(const mantissa& m, int64_t exponent, const float_limits& limits) {
    if (m.zeros_after_point > limits.max_zeros) return false;
    if (m.significant == 0) return true;
    if (m.point && m.significant > limits.max_fraction_digits) return false;
    const int64_t position =
        (m.integer_digits > 0 ? m.integer_digits : -m.zeros_after_point) + exponent;
    if (position > limits.max_position) return false;
    if (position == limits.max_position && compare_lead(m, limits.max_digits) > 0) return false;
    if (position < limits.min_position) return false;
    if (position == limits.min_position && compare_lead(m, limits.min_digits) < 0) return false;
    return true;
}

// Reads the checked text as C does; an unfinished form ("-", "1E", "2.5E-") gives the value
// of its complete part. A value that still rounds past the format's largest is refused.
bool read_float(std::string_view field, bool single, long double& real) {
    std::string text(field);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == 'D' || c == 'd'; }, 'E');
    real = single ? static_cast<long double>(std::strtof(text.c_str(), nullptr))
                  : static_cast<long double>(std::strtod(text.c_str(), nullptr));
    if (!std::isfinite(real)) return false;
    if (real == 0) real = 0; // no negative zero
    return true;
}

// Rounded to what the target holds: single, double or extended.
long double in_format(long double value, int32_t width) {
    if (width == 32) return static_cast<float>(value);
    if (width == 64) return static_cast<double>(value);
    return value;
}

bool float_field(std::string_view field, uint32_t type, long double& real) {
    real = 0;
    if (field.empty()) return true;
    const int32_t width = width_of(type);
    if (field[0] == '&') {
        const int32_t integer_width = std::min(width, 64);
        uint64_t value = 0;
        if (!radix_field(field, integer_width, value)) return false;
        real = in_format(
            static_cast<long double>(static_cast<int64_t>(sign_extended(value, integer_width))),
            width);
        return true;
    }
    const float_limits& limits = width == 32 ? single_limits : double_limits;
    size_t pos = field[0] == '-' ? 1 : 0;
    mantissa m;
    if (!read_mantissa(field, pos, m)) return false;
    int64_t exponent = 0;
    if (pos < field.size()) {
        // The exponent letter needs a digit before it.
        if (m.digits == 0 || limits.exponent_letters.find(field[pos]) == std::string_view::npos)
            return false;
        if (!read_exponent(field, pos, exponent)) return false;
    }
    if (!float_in_range(m, exponent, limits)) return false;
    return read_float(field, width == 32, real);
}

bool check_field(std::string_view field, const input_rule& rule, input_value& value) {
    if (is_string(rule.type)) {
        value.text = field;
        return rule.max_length < 0 || field.size() <= static_cast<size_t>(rule.max_length);
    }
    if (is_float(rule.type)) return float_field(field, rule.type, value.real);
    return integer_field(field, rule.type, value.integer);
}

// The field that starts at pos, and pos past its comma. A field opened by a quote runs to
// the next quote (or the end), which only a comma or the end may follow.
bool next_field(std::string_view line, size_t& pos, std::string_view& field, bool& last) {
    const std::string_view rest = line.substr(pos);
    size_t end = 0;
    if (!rest.empty() && rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        field = rest.substr(1, close == std::string_view::npos ? close : close - 1);
        if (close == std::string_view::npos || close + 1 == rest.size()) {
            last = true;
            return true;
        }
        if (rest[close + 1] != ',') return false;
        end = close + 1;
    } else {
        end = rest.find(',');
        field = rest.substr(0, end);
        if (end == std::string_view::npos) {
            last = true;
            return true;
        }
    }
    last = false;
    pos += end + 1;
    return true;
}

} // namespace

bool input_type_valid(uint32_t type) {
    const int32_t width = width_of(type);
    if (is_string(type)) return true;
    if (is_float(type)) return width == 32 || width == 64 || width == 256;
    return width == 8 || width == 16 || width == 32 || width == 64;
}

bool check_input_line(std::string_view line, const input_rule* rules, int32_t count,
                      input_value* values) {
    std::fill(values, values + std::max(count, 0), input_value{});
    if (count <= 0) return line.empty();
    if (is_whole_line(rules[0].type)) return check_field(line, rules[0], values[0]);
    size_t pos = 0;
    for (int32_t i = 0; i < count; ++i) {
        std::string_view field;
        bool last = false;
        if (!next_field(line, pos, field, last)) return false;
        if (!check_field(field, rules[i], values[i])) return false;
        if (last) return true;
    }
    return false; // more fields than targets
}

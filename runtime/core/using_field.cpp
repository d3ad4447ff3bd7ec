#include "runtime/core/using_field.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct field_scanner {
    const uint8_t* picture;
    int32_t length;
    int32_t q;

    bool at(const char* mark) const {
        int32_t n = static_cast<int32_t>(std::strlen(mark));
        return q + n <= length && std::memcmp(picture + q, mark, n) == 0;
    }
};

// Phases: 0 start, 1 after a leading sign, 2 integer part, 3 after the point,
// 4 after the exponent.
int scan_element(field_scanner& s, int phase, numeric_field& f) {
    if (phase == 0 && s.at("+")) {
        f.leading_sign = true;
        s.q += 1;
        return 1;
    }
    if (phase <= 1 && s.at("**$")) {
        f.asterisk = f.dollar = true;
        f.integer_positions += 2;
        s.q += 3;
        return 2;
    }
    if (phase <= 1 && s.at("**")) {
        f.asterisk = true;
        f.integer_positions += 2;
        s.q += 2;
        return 2;
    }
    if (phase <= 1 && s.at("$$")) {
        f.dollar = true;
        f.integer_positions += 1;
        s.q += 2;
        return 2;
    }
    if (phase <= 2 && s.at("#")) {
        f.integer_positions += 1;
        s.q += 1;
        return 2;
    }
    if (phase == 2 && s.at(",")) {
        f.comma = true;
        f.integer_positions += 1;
        s.q += 1;
        return 2;
    }
    if (phase <= 2 && s.at(".")) {
        f.point = true;
        s.q += 1;
        return 3;
    }
    if (phase == 3 && s.at("#")) {
        f.decimal_positions += 1;
        s.q += 1;
        return 3;
    }
    if ((phase == 2 || phase == 3) && (s.at("^^^^^") || s.at("^^^^"))) {
        f.exponent_width = s.at("^^^^^") ? 3 : 2;
        s.q += f.exponent_width + 2;
        return 4;
    }
    if (phase >= 2 && (s.at("+") || s.at("-"))) {
        f.trailing_sign = static_cast<char>(s.picture[s.q]);
        s.q += 1;
        return -1;
    }
    return -1;
}

bool only_integer_digit_is_zero(const decimal_number& v) {
    return v.count + v.exponent == 1 && v.count > 0 && v.digits[0] == '0';
}

void write_leading_sign(const numeric_field& f, const decimal_number& v, std::string& out) {
    if (f.leading_sign) out += v.negative ? '-' : '+';
}

void write_trailing_sign(const numeric_field& f, const decimal_number& v, std::string& out) {
    if (f.trailing_sign == '+') out += v.negative ? '-' : '+';
    if (f.trailing_sign == '-') out += v.negative ? '-' : ' ';
}

int32_t grouped_width(int32_t digits) {
    return digits + (digits - 1) / 3;
}

// One pass of the fixed form. Returns the digit after the last one written ('0' when
// there is none); kept is the number of digits of v written.
char write_fixed(const numeric_field& f, decimal_number& v, std::string& out, int32_t& kept) {
    bool minus_position = v.negative && !f.leading_sign && !f.trailing_sign;
    int32_t i = f.integer_positions - (minus_position ? 1 : 0);
    int32_t width = i;
    if (f.comma) i -= i / 4;
    if (i == 0 && only_integer_digit_is_zero(v)) drop_leading_zero(v);

    int32_t k = std::max(0, v.count + v.exponent);
    bool overflow = i < k;
    if (overflow) width = f.comma ? grouped_width(k) : k;
    int32_t leading_zeros = std::max(0, -(v.count + v.exponent));
    int32_t characters = f.comma ? grouped_width(k) : k;
    int32_t fill = width - characters;
    bool zero_before_point = k == 0 && fill > 0;
    if (zero_before_point) --fill;

    if (overflow) out += '%';
    write_leading_sign(f, v, out);
    out.append(fill, f.asterisk ? '*' : ' ');
    if (minus_position) out += '-';
    if (f.dollar) out += '$';
    if (zero_before_point) out += '0';
    int32_t cursor = 0;
    for (int32_t left = characters; left > 0; --left)
        out += f.comma && left % 4 == 0 ? ',' : decimal_digit(v, cursor++);
    if (f.point) out += '.';
    int32_t zeros = std::min(leading_zeros, f.decimal_positions);
    out.append(zeros, '0');
    for (int32_t j = zeros; j < f.decimal_positions; ++j) out += decimal_digit(v, cursor++);
    write_trailing_sign(f, v, out);
    kept = cursor;
    return leading_zeros > f.decimal_positions ? '0' : decimal_digit(v, cursor);
}

// One pass of the exponent form, as write_fixed.
char write_exponent(const numeric_field& f, decimal_number& v, std::string& out, int32_t& kept) {
    bool sign_position = !f.leading_sign && !f.trailing_sign;
    int32_t i = f.integer_positions;
    int32_t d = f.decimal_positions;
    bool point = f.point;
    if (sign_position && i > 0) {
        --i;
    } else if (sign_position && --d == 0) {
        point = false;
        i = 1;
    }
    if (i == 0 && only_integer_digit_is_zero(v)) drop_leading_zero(v);

    // A non-negative value needs no sign position: it goes to a digit, or shows as
    // the 0 before the point when the field has decimals.
    bool zero_sign = false;
    if (!v.negative && sign_position && i < 1) {
        zero_sign = d > 0;
        if (!zero_sign) {
            i = 1;
            sign_position = false;
        }
    }
    bool overflow = false;
    if (i == 0 && d == 0) {
        i = 1;
        overflow = true;
    }
    int32_t exponent = v.count + v.exponent - i;
    char exponent_digits[16];
    int32_t exponent_length =
        std::snprintf(exponent_digits, sizeof exponent_digits, "%d", std::abs(exponent));
    int32_t width = f.exponent_width;
    if (exponent_length > width) {
        width = exponent_length;
        overflow = true;
    }

    if (overflow) out += '%';
    write_leading_sign(f, v, out);
    if (f.dollar) out += '$';
    if (sign_position) out += v.negative ? '-' : zero_sign ? '0' : ' ';
    int32_t cursor = 0;
    for (int32_t j = 0; j < i; ++j) out += decimal_digit(v, cursor++);
    if (point) out += '.';
    for (int32_t j = 0; j < d; ++j) out += decimal_digit(v, cursor++);
    out += v.letter;
    out += exponent < 0 ? '-' : '+';
    out.append(width - exponent_length, '0');
    out.append(exponent_digits, exponent_length);
    write_trailing_sign(f, v, out);
    kept = cursor;
    return decimal_digit(v, cursor);
}

char write_pass(const numeric_field& f, decimal_number& v, std::string& out, int32_t& kept) {
    return f.exponent_width ? write_exponent(f, v, out, kept) : write_fixed(f, v, out, kept);
}

} // namespace

bool scan_numeric_field(const uint8_t* picture, int32_t length, int32_t p, numeric_field& field) {
    field = numeric_field{};
    field_scanner s{picture, length, p};
    int phase = 0;
    while (s.q < length) {
        int next = scan_element(s, phase, field);
        if (next < 0) break;
        phase = next;
    }
    field.length = s.q - p;
    return phase >= 2 && field.integer_positions + field.decimal_positions > 0;
}

void format_numeric_field(const numeric_field& field, const decimal_number& number,
                          std::string& out) {
    decimal_number v = number;
    std::string text;
    int32_t kept = 0;
    if (write_pass(field, v, text, kept) >= '5') {
        // Rounding may add an integer digit, so the field is laid out once more.
        round_decimal_digits(v, kept);
        text.clear();
        write_pass(field, v, text, kept);
    }
    out += text;
}

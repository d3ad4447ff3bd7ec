#include "runtime/core/number_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/errors.h"

namespace {

// Longest text: sign, 16 digits, point, up to 16 leading decimal zeros.
constexpr int number_text_size = 48;

// The working text of the exponent rendering, "% .<digits-1>E" with a three-digit
// exponent: [0] sign, [1] first digit, [2] point, [3 .. digits+1] further digits,
// [digits+2] letter, [digits+3] exponent sign, [digits+4 .. digits+6] exponent.
struct exponent_rendering {
    char text[number_text_size];
    int digits;
};

void render_exponent(double x, int digits, bool avoid_final_nine, exponent_rendering& r) {
    r.digits = digits;
    std::snprintf(r.text, sizeof r.text, "% .*E", digits - 1, x);
    // A last digit of 9 is the binary fraction showing through (0.29999999999999993):
    // one digit less gives the intended value, its last place then counts as 0.
    if (avoid_final_nine && r.text[digits + 1] == '9') {
        char shorter[number_text_size];
        std::snprintf(shorter, sizeof shorter, "% .*E", digits - 2, x);
        std::snprintf(r.text, sizeof r.text, "%.*s0%s", digits + 1, shorter, shorter + digits + 1);
    }
    char* exponent_digits = r.text + digits + 4;
    if (std::strlen(exponent_digits) == 2) {
        std::memmove(exponent_digits + 1, exponent_digits, 3);
        exponent_digits[0] = '0';
    }
}

int significant_digits(const exponent_rendering& r) {
    int s = r.digits;
    for (int pos = r.digits + 1; pos >= 1; --pos) {
        if (r.text[pos] == '.') continue;
        if (r.text[pos] != '0') break;
        --s;
    }
    return s;
}

int fixed_text(double x, int decimals, char* out) {
    int len = std::snprintf(out, number_text_size, "% .*f", decimals, x);
    if (out[1] == '0') {
        std::memmove(out + 1, out + 2, len - 1);
        --len;
    }
    return len;
}

int exponent_text(const exponent_rendering& r, int s, int exponent, char letter, char* out) {
    int len = 0;
    out[len++] = r.text[0];
    out[len++] = r.text[1];
    if (s > 1) {
        out[len++] = '.';
        std::memcpy(out + len, r.text + 3, s - 1);
        len += s - 1;
    }
    out[len++] = letter;
    out[len++] = r.text[r.digits + 3];
    const char* exponent_digits = r.text + r.digits + (std::abs(exponent) >= 100 ? 4 : 5);
    len += std::snprintf(out + len, number_text_size - len, "%s", exponent_digits);
    return len;
}

// Fixed form while it needs at most `digits` integer positions and at most
// `digits` + 1 decimal places, else the exponent form.
int float_text(double x, int digits, char letter, char* out) {
    // A not-a-number has no sign worth showing, whatever its sign bit says.
    if (std::isnan(x)) return std::snprintf(out, number_text_size, " nan");
    if (std::isinf(x)) return std::snprintf(out, number_text_size, "% f", x);
    exponent_rendering r;
    render_exponent(x, digits, digits > 7, r);
    int s = significant_digits(r);
    if (s == 0) return std::snprintf(out, number_text_size, " 0");
    int exponent = std::atoi(r.text + digits + 3);
    if (exponent <= digits - 1 && exponent - s >= -(digits + 1)) {
        int decimals = s - exponent - 1;
        return fixed_text(x, decimals > 0 ? decimals : 0, out);
    }
    return exponent_text(r, s, exponent, letter, out);
}

rt_string* text_result(const char* text, int len) {
    rt_string* result = rt_string_new(len, true);
    std::memcpy(result->data, text, len);
    return result;
}

rt_string* signed_text(int64_t value) {
    if (error_state.error_pending) return rt_string_new(0, true);
    char text[number_text_size];
    return text_result(text, std::snprintf(text, sizeof text, "% " PRIi64, value));
}

rt_string* unsigned_text(uint64_t value) {
    if (error_state.error_pending) return rt_string_new(0, true);
    char text[number_text_size];
    return text_result(text, std::snprintf(text, sizeof text, " %" PRIu64, value));
}

rt_string* floating_text(double value, int digits, char letter) {
    if (error_state.error_pending) return rt_string_new(0, true);
    char text[number_text_size];
    return text_result(text, float_text(value, digits, letter, text));
}

} // namespace

rt_string* rt_str_number(int8_t value) {
    return signed_text(value);
}
rt_string* rt_str_number(int16_t value) {
    return signed_text(value);
}
rt_string* rt_str_number(int32_t value) {
    return signed_text(value);
}
rt_string* rt_str_number(int64_t value) {
    return signed_text(value);
}
rt_string* rt_str_number(uint8_t value) {
    return unsigned_text(value);
}
rt_string* rt_str_number(uint16_t value) {
    return unsigned_text(value);
}
rt_string* rt_str_number(uint32_t value) {
    return unsigned_text(value);
}
rt_string* rt_str_number(uint64_t value) {
    return unsigned_text(value);
}
rt_string* rt_str_number(float value) {
    return floating_text(value, 7, 'E');
}
rt_string* rt_str_number(double value) {
    return floating_text(value, 16, 'D');
}
rt_string* rt_str_number(long double value) {
    return floating_text(static_cast<double>(value), 16, 'D');
}

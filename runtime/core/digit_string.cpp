#include "runtime/core/digit_string.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// "% .255E" renders 256 significant digits exactly (every binary fraction has a
// finite decimal expansion; the C library prints it without loss).
constexpr int significant = 256;
constexpr int rendering_size = significant + 16;

void take_integer_digits(const char* digits, bool negative, decimal_number& number) {
    number.count = static_cast<int32_t>(std::strlen(digits));
    std::memcpy(number.digits, digits, number.count);
    number.exponent = 0;
    number.negative = negative;
    number.letter = 'E';
}

// text: sign, first digit, point, 255 digits, letter, exponent.
void take_exponent_rendering(const char* text, char letter, decimal_number& number) {
    number.negative = text[0] == '-';
    number.digits[0] = text[1];
    std::memcpy(number.digits + 1, text + 3, significant - 1);
    number.count = significant;
    number.exponent =
        static_cast<int32_t>(std::strtol(text + significant + 3, nullptr, 10)) - (significant - 1);
    number.letter = letter;
}

bool take_double(double value, char letter, decimal_number& number) {
    if (!std::isfinite(value)) return false;
    char text[rendering_size];
    std::snprintf(text, sizeof text, "% .*E", significant - 1, value);
    take_exponent_rendering(text, letter, number);
    return true;
}

} // namespace

void decimal_digits_of(int64_t value, decimal_number& number) {
    char text[32];
    std::snprintf(text, sizeof text, "% " PRIi64, value);
    take_integer_digits(text + 1, value < 0, number);
}

void decimal_digits_of(uint64_t value, decimal_number& number) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64, value);
    take_integer_digits(text, false, number);
}

bool decimal_digits_of(float value, decimal_number& number) {
    return take_double(value, 'E', number);
}

bool decimal_digits_of(double value, decimal_number& number) {
    return take_double(value, 'D', number);
}

// The exponent rendering keeps the digit string normalised (no leading zeros), so that
// values below 1 and below 1E-255 keep their digits in the exponent form.
bool decimal_digits_of(long double value, decimal_number& number) {
    if (!std::isfinite(value)) return false;
    char text[rendering_size];
    std::snprintf(text, sizeof text, "% .*LE", significant - 1, value);
    take_exponent_rendering(text, 'F', number);
    return true;
}

void round_decimal_digits(decimal_number& number, int32_t kept) {
    number.exponent += number.count - kept;
    number.count = kept;
    int32_t i = kept - 1;
    while (i >= 0 && number.digits[i] == '9') number.digits[i--] = '0';
    if (i >= 0) {
        ++number.digits[i];
        return;
    }
    std::memmove(number.digits + 1, number.digits, kept);
    number.digits[0] = '1';
    ++number.count;
}

void drop_leading_zero(decimal_number& number) {
    std::memmove(number.digits, number.digits + 1, number.count - 1);
    --number.count;
}

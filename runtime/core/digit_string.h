#pragma once
// Exact decimal digits of a number, as the template engine formats them.
#include <cstdint>

// Enough for 256 significant digits plus a carry from rounding.
constexpr int32_t max_decimal_digits = 260;

// The value is digits × 10^exponent; count + exponent is the number of its integer
// digits (0 or less below 1).
struct decimal_number {
    char digits[max_decimal_digits];
    int32_t count;
    int32_t exponent;
    bool negative;
    char letter; // of the exponent form: E single and integers, D double, F extended
};

void decimal_digits_of(int64_t value, decimal_number& number);
void decimal_digits_of(uint64_t value, decimal_number& number);
// Floating point values keep 256 significant digits; false for infinities and NaN.
bool decimal_digits_of(float value, decimal_number& number);
bool decimal_digits_of(double value, decimal_number& number);
bool decimal_digits_of(long double value, decimal_number& number);

// Digit at index i, "0" past the end.
inline char decimal_digit(const decimal_number& number, int32_t i) {
    return i < number.count ? number.digits[i] : '0';
}

// Rounds half up at the first `kept` digits: the rest is dropped and a carry out of
// the first digit prepends a 1.
void round_decimal_digits(decimal_number& number, int32_t kept);
// Drops the first digit of a value whose only integer digit is 0.
void drop_leading_zero(decimal_number& number);

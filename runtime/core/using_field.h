#pragma once
// Numeric fields of picture templates: recognising them and writing a number into one.
#include <cstdint>
#include <string>

#include "runtime/core/digit_string.h"

struct numeric_field {
    int32_t length;            // template characters of the field
    int32_t integer_positions; // "#", "$$", "**" and commas
    int32_t decimal_positions; // "#" after the point
    int32_t exponent_width;    // 0 fixed form, 2 "^^^^", 3 "^^^^^"
    bool point;
    bool comma;
    bool dollar;
    bool asterisk;
    bool leading_sign;
    char trailing_sign; // 0, '+' or '-'
};

// The numeric field that starts at picture[p], if there is one.
bool scan_numeric_field(const uint8_t* picture, int32_t length, int32_t p, numeric_field& field);

// Appends the number in the field's layout, rounded half up at its last digit; a
// number too large for the field is written in full behind the overflow mark "%".
void format_numeric_field(const numeric_field& field, const decimal_number& number,
                          std::string& out);

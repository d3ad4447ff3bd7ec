#include "runtime/core/print_using.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/core/digit_string.h"
#include "runtime/core/errors.h"
#include "runtime/core/using_field.h"

namespace {

// The value to format: a number or a string.
struct using_item {
    const decimal_number* number;
    const rt_string* text;
};

// "!" (one character), "&" (the whole string) or "\", spaces, "\" (its own width).
struct string_field {
    int32_t length;
    bool whole;
};

bool scan_string_field(std::string_view picture, int32_t p, string_field& field) {
    if (picture[p] == '!' || picture[p] == '&') {
        field = {1, picture[p] == '&'};
        return true;
    }
    if (picture[p] != '\\') return false;
    size_t closing = picture.find_first_not_of(' ', p + 1);
    if (closing == std::string_view::npos || picture[closing] != '\\') return false;
    field = {static_cast<int32_t>(closing) - p + 1, false};
    return true;
}

void write_string_field(const string_field& field, const rt_string* value, std::string& out) {
    std::string_view text = rt_view(value);
    if (field.whole) {
        out += text;
        return;
    }
    size_t shown = std::min(text.size(), static_cast<size_t>(field.length));
    out.append(text.data(), shown);
    out.append(field.length - shown, ' ');
}

// Copies literal text and formats the item into the first field from start; returns
// the position of the next field, 0 at the template's end or after an error.
int32_t run_template(std::string_view picture, int32_t start, const using_item& item,
                     std::string& out) {
    int32_t length = static_cast<int32_t>(picture.size());
    if (start < 0 || start > length) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(picture.data());
    bool consumed = false;
    bool wrapped = false;
    int32_t p = start;
    for (;;) {
        if (p == length) {
            if (consumed) return 0;
            // Only a template that holds no field at all is an error; otherwise the
            // item takes the template's first field.
            if (start == 0 || wrapped) {
                rt_raise_error(err_illegal_function_call);
                return 0;
            }
            p = 0;
            wrapped = true;
            continue;
        }
        numeric_field number_field;
        string_field text_field;
        if (scan_numeric_field(bytes, length, p, number_field)) {
            if (consumed) return p;
            if (!item.number) {
                rt_raise_error(err_type_mismatch);
                return 0;
            }
            format_numeric_field(number_field, *item.number, out);
            p += number_field.length;
            consumed = true;
        } else if (scan_string_field(picture, p, text_field)) {
            if (consumed) return p;
            if (!item.text) {
                rt_raise_error(err_type_mismatch);
                return 0;
            }
            write_string_field(text_field, item.text, out);
            p += text_field.length;
            consumed = true;
        } else {
            if (picture[p] == '_' && p + 1 < length) ++p;
            out += picture[p++];
        }
    }
}

void append_output(rt_string** output, const std::string& text) {
    if (text.empty()) return;
    rt_string* piece = rt_string_new(static_cast<int32_t>(text.size()), true);
    std::memcpy(piece->data, text.data(), text.size());
    *output = *output ? rt_string_concat(*output, piece) : piece;
}

int32_t print_item(rt_string* picture, int32_t start, rt_string** output, const using_item& item) {
    std::string out;
    int32_t next = run_template(rt_view(picture), start, item, out);
    append_output(output, out);
    return next;
}

int32_t print_number(rt_string* picture, int32_t start, rt_string** output,
                     const decimal_number& number) {
    return print_item(picture, start, output, {&number, nullptr});
}

template <class Float>
int32_t print_float(rt_string* picture, int32_t start, rt_string** output, Float value) {
    if (error_state.error_pending) return 0;
    decimal_number number;
    if (!decimal_digits_of(value, number)) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    return print_number(picture, start, output, number);
}

template <class Integer>
int32_t print_integer(rt_string* picture, int32_t start, rt_string** output, Integer value) {
    if (error_state.error_pending) return 0;
    decimal_number number;
    decimal_digits_of(value, number);
    return print_number(picture, start, output, number);
}

} // namespace

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, int64_t value) {
    return print_integer(picture, start, output, value);
}

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, uint64_t value) {
    return print_integer(picture, start, output, value);
}

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, float value) {
    return print_float(picture, start, output, value);
}

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, double value) {
    return print_float(picture, start, output, value);
}

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, long double value) {
    return print_float(picture, start, output, value);
}

int32_t rt_print_using(rt_string* picture, int32_t start, rt_string** output, rt_string* value) {
    if (error_state.error_pending) return 0;
    return print_item(picture, start, output, {nullptr, value});
}

// Random templates, start positions and values through every template variant and
// the default number text: no crash, no out-of-bounds access, results in range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/number_text.h"
#include "runtime/core/print_using.h"
#include "runtime/core/rt_string.h"

namespace {

struct fuzz_input {
    const uint8_t* data;
    size_t size;

    template <class T> T take() {
        T value{};
        size_t n = size < sizeof(T) ? size : sizeof(T);
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

// Extended values from arithmetic only, so every encoding is a valid one.
long double extended_of(double mantissa, int16_t scale) {
    return std::ldexp(static_cast<long double>(mantissa), scale);
}

int32_t format_value(uint8_t variant, rt_string* picture, int32_t start, rt_string** out,
                     fuzz_input& in) {
    switch (variant % 6) {
    case 0:
        return rt_print_using(picture, start, out, in.take<int64_t>());
    case 1:
        return rt_print_using(picture, start, out, in.take<uint64_t>());
    case 2:
        return rt_print_using(picture, start, out, in.take<float>());
    case 3:
        return rt_print_using(picture, start, out, in.take<double>());
    case 4: {
        double mantissa = in.take<double>();
        return rt_print_using(picture, start, out, extended_of(mantissa, in.take<int16_t>()));
    }
    default: {
        uint8_t length = in.take<uint8_t>();
        if (length > in.size) length = static_cast<uint8_t>(in.size);
        rt_string* text = rt_string_from_bytes(in.data, length);
        in.data += length;
        in.size -= length;
        return rt_print_using(picture, start, out, text);
    }
    }
}

void number_texts(const uint8_t* data, size_t size) {
    fuzz_input in{data, size};
    rt_str_number(in.take<int8_t>());
    rt_str_number(in.take<int16_t>());
    rt_str_number(in.take<uint32_t>());
    rt_str_number(in.take<int64_t>());
    rt_str_number(in.take<float>());
    double mantissa = in.take<double>();
    rt_str_number(mantissa);
    rt_str_number(extended_of(mantissa, in.take<int16_t>()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (rt_strings_init(), true);
    (void)ready;
    if (size < 4) return 0;
    int32_t mark = rt_temporary_count();
    error_state.error_pending = 0;
    number_texts(data, size);

    // Layout: picture length, start, then up to three values (variant byte and value
    // bytes) behind the picture.
    fuzz_input in{data, size};
    size_t picture_length = in.take<uint8_t>();
    int32_t start = static_cast<int8_t>(in.take<uint8_t>());
    if (picture_length > in.size) picture_length = in.size;
    rt_string* picture = rt_string_from_bytes(in.data, static_cast<int32_t>(picture_length));
    in.data += picture_length;
    in.size -= picture_length;

    rt_string* out = nullptr;
    for (int value = 0; value < 3 && in.size > 0 && !error_state.error_pending; ++value) {
        start = format_value(in.take<uint8_t>(), picture, start, &out, in);
        if (start < 0 || start > static_cast<int32_t>(picture_length)) std::abort();
    }
    if (out && out->len < 0) std::abort();
    error_state.error_pending = 0;
    rt_release_temporaries(mark, 0);
    return 0;
}

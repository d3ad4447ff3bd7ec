// The alpha bytes of 32-bit images set for all pixels, for one colour or for a colour range.
#include <algorithm>

#include "runtime/core/errors.h"
#include "runtime/screen/image.h"
#include "runtime/screen/image_properties.h"

namespace {

constexpr uint32_t alpha_shift = 24;
constexpr int32_t largest_alpha = 255;

uint32_t byte_of(uint32_t colour, int shift) {
    return colour >> shift & 255;
}

bool in_range(uint32_t pixel, uint32_t low, uint32_t high) {
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t b = byte_of(pixel, shift);
        if (b < byte_of(low, shift) || b > byte_of(high, shift)) return false;
    }
    return true;
}

// Per byte, the smaller and the larger of the two colours' bytes.
void byte_ranges(uint32_t first, uint32_t second, uint32_t& low, uint32_t& high) {
    low = high = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t a = byte_of(first, shift), b = byte_of(second, shift);
        low |= std::min(a, b) << shift;
        high |= std::max(a, b) << shift;
    }
}

} // namespace

void image_set_alpha_in_range(rt_image& image, uint8_t alpha, uint32_t low, uint32_t high) {
    auto* pixel = reinterpret_cast<uint32_t*>(image.pixels);
    const size_t count = size_t(image.width) * image.height;
    for (size_t i = 0; i < count; ++i) {
        if (in_range(pixel[i], low, high))
            pixel[i] = (pixel[i] & 0xFFFFFF) | uint32_t{alpha} << alpha_shift;
    }
}

void rt_set_alpha(int32_t alpha, uint32_t first, uint32_t second, int32_t image, uint32_t given) {
    if (error_state.error_pending) return;
    const int32_t slot = image_argument_slot(image, (given & 4) != 0);
    if (slot < 0) return;
    rt_image& target = image_state.table[slot];
    if (target.bytes_per_pixel != 4 || alpha < 0 || alpha > largest_alpha) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    uint32_t low = 0, high = 0xFFFFFFFFu; // no colour: every pixel
    const bool has_first = (given & 1) != 0, has_second = (given & 2) != 0;
    if (has_first || has_second)
        byte_ranges(has_first ? first : second, has_second ? second : first, low, high);
    image_set_alpha_in_range(target, static_cast<uint8_t>(alpha), low, high);
}

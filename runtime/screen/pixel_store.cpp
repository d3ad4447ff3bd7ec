// The one place where drawing stores a pixel: masked on palette images, alpha-blended on
// 32-bit images.
#include <cstring>

#include "runtime/screen/image.h"

namespace {

uint32_t blend(uint32_t old, uint32_t colour) {
    const uint32_t a = colour >> 24;
    const uint32_t old_alpha = old >> 24;
    if (a == 127 || a == 128) {
        const uint32_t rgb = ((old & 0xFEFEFE) + (colour & 0xFEFEFE)) >> 1;
        return uint32_t{image_state.alpha_table[a << 8 | old_alpha]} << 24 | rgb;
    }
    const uint8_t* by_new = image_state.blend_table + (a << 16);
    uint32_t result = uint32_t{image_state.alpha_table[old_alpha << 8 | a]} << 24;
    for (int shift = 0; shift < 24; shift += 8)
        result |= uint32_t{by_new[(colour >> shift & 255) << 8 | (old >> shift & 255)]} << shift;
    return result;
}

} // namespace

void put_pixel(int32_t x, int32_t y, uint32_t colour) {
    rt_image& image = *image_state.dest;
    const size_t at = size_t(y) * image.width + size_t(x);
    if (image.bytes_per_pixel == 1) {
        image.pixels[at] = static_cast<uint8_t>(colour & image.colour_mask);
        return;
    }
    if (image.bytes_per_pixel != 4) return; // text pages hold cells, not pixels
    auto* p = reinterpret_cast<uint32_t*>(image.pixels) + at;
    const uint32_t a = colour >> 24;
    if (image.no_blend || a == 255) {
        *p = colour;
    } else if (a != 0) {
        *p = blend(*p, colour);
    }
}

#pragma once
// Helpers shared by the files of the graphics primitives (not for the application).
#include <cmath>
#include <cstdint>

#include "runtime/screen/image.h"

// Pixel coordinates are kept within this magnitude, so that differences of two of them and
// the clipping arithmetic never overflow.
constexpr int32_t pixel_limit = 1 << 30;

struct pixel_point {
    int32_t x, y;
};

// A pixel coordinate from a value already rounded or to be truncated; NaN goes far left.
inline int32_t saturate_pixel(double v) {
    if (!(v > -pixel_limit)) return -pixel_limit;
    if (v > pixel_limit) return pixel_limit;
    return static_cast<int32_t>(v);
}

// Round to nearest, ties to even.
inline int32_t round_pixel(double v) {
    return saturate_pixel(std::nearbyint(v));
}

// Round half away from zero.
inline int32_t round_pixel_away(double v) {
    return saturate_pixel(std::round(v));
}

// True on pixel pages; raises 5 on text pages. False too while an error is pending.
bool graphics_ready(const rt_image& image);
// The pixel a program point maps to, rounded as the mapping does in single precision.
pixel_point map_point(const rt_image& image, float x, float y);
bool inside_view(const rt_image& image, int64_t x, int64_t y);
// The stored value of a pixel (no bounds check): masked on palette pages.
uint32_t stored_pixel(const rt_image& image, int32_t x, int32_t y);
// Fills the pixel rectangle (ordered corners) clamped to the view port, blending on 32-bit
// pages as put_pixel does.
void fill_box_pixels(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

#pragma once
// Helpers shared by the files of the graphics primitives and the drawing-command language
// (not for the application).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/screen/graphics.h"
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

// Aspect of one pixel (height over width of the shape) in a screen mode.
double mode_aspect(int32_t mode);
// Pixel position of a program point under the image's mapping, not rounded.
void map_to_pixels(const rt_image& image, double x, double y, double& px, double& py);
// Program coordinates of a pixel position (the inverse of map_to_pixels).
void map_from_pixels(const rt_image& image, double px, double py, double& x, double& y);
// A solid line between two pixel positions, clipped to dest_image's view port.
void plain_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// Clips the segment to the rectangle [left, right] x [top, bottom]; false when nothing of it
// is visible. The crossing coordinates are rounded to nearest.
bool clip_segment(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2, int32_t left, int32_t top,
                  int32_t right, int32_t bottom);

// The drawing commands' number reader, pure so that it can be tested and fuzzed on its own.

struct draw_number {
    double value;
    bool bad;    // malformed: a sign or point without digits, a broken reference
    bool absent; // no digit and no reference was read
};

// Bytes of the data segment that references may name; a variable or text that does not
// lie wholly inside it makes the reference malformed.
constexpr size_t draw_segment_size = 65536;

// Reads one number of text from position at (advanced past it): signs, digits, one point,
// spaces and tabs anywhere, or "=" with a type byte and a 16-bit little-endian offset of a
// variable in the data segment that starts at segment.
draw_number draw_read_number(std::string_view text, size_t& at, const uint8_t* segment);

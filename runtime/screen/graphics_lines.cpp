// Points, styled lines, box outlines and filled boxes, clipped to the view port.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/screen/graphics_internal.h"

namespace {

constexpr uint16_t solid_style = 0xFFFF;
constexpr int32_t style_period = 16;
constexpr uint32_t opaque_alpha = 255;

uint16_t rotate_style(uint16_t style, int64_t by) {
    const int32_t n = static_cast<int32_t>(by % style_period);
    if (n == 0) return style;
    return static_cast<uint16_t>(style << n | style >> (style_period - n));
}

bool beyond_same_edge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t left, int32_t top,
                      int32_t right, int32_t bottom) {
    return (x1 > right && x2 > right) || (x1 < left && x2 < left) || (y1 < top && y2 < top) ||
           (y1 > bottom && y2 > bottom);
}

// Moves the end point p, which lies outside the rectangle, to where the line towards q
// crosses an edge; false when no tried edge is crossed within the rectangle.
bool clip_end(int32_t& px, int32_t& py, int32_t qx, int32_t qy, int32_t left, int32_t top,
              int32_t right, int32_t bottom) {
    if (px >= left && px <= right && py >= top && py <= bottom) return true;
    const double dx = double(qx) - px, dy = double(qy) - py;
    auto cross_vertical = [&](int32_t edge) {
        const double y = std::nearbyint(py + std::abs(double(edge) - px) * (dy / std::abs(dx)));
        if (y < top || y > bottom) return false;
        px = edge;
        py = static_cast<int32_t>(y);
        return true;
    };
    auto cross_horizontal = [&](int32_t edge) {
        const double x = std::nearbyint(px + std::abs(double(edge) - py) * (dx / std::abs(dy)));
        if (x < left || x > right) return false;
        px = static_cast<int32_t>(x);
        py = edge;
        return true;
    };
    if (px > right && qx < px && cross_vertical(right)) return true;
    if (px < left && qx > px && cross_vertical(left)) return true;
    if (py < top && qy > py && cross_horizontal(top)) return true;
    return py > bottom && qy < py && cross_horizontal(bottom);
}

// Walks the longer axis from (x1, y1) to (x2, y2), storing the pixels whose style bit comes
// round; the style (16 bits repeated to 32) starts with bit 15.
void walk_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t style, uint32_t colour) {
    const rt_image& image = *image_state.dest;
    uint32_t bits = uint32_t{style} << 16 | style;
    const int32_t dx = x2 - x1, dy = y2 - y1;
    const bool along_x = std::abs(dx) >= std::abs(dy);
    const int32_t longer = along_x ? dx : dy;
    const int32_t other_delta = along_x ? dy : dx;
    const int32_t step = longer > 0 ? 1 : -1;
    const float slope = longer == 0 ? 0.0f : float(other_delta) / float(std::abs(longer));
    int32_t along = along_x ? x1 : y1;
    float other = static_cast<float>(along_x ? y1 : x1);
    for (int32_t i = 0; i <= std::abs(longer); ++i) {
        bits = bits << 1 | bits >> 31;
        if (bits & 1) {
            const int32_t o = static_cast<int32_t>(std::round(other));
            const int32_t x = along_x ? along : o, y = along_x ? o : along;
            if (inside_view(image, x, y)) put_pixel(x, y, colour);
        }
        along += step;
        other += slope;
    }
}

void styled_line(float x1, float y1, float x2, float y2, uint16_t style, uint32_t colour) {
    const rt_image& image = *image_state.dest;
    const pixel_point from = map_point(image, x1, y1), to = map_point(image, x2, y2);
    pixel_point a = from, b = to;
    if (!clip_segment(a.x, a.y, b.x, b.y, image.view_x1, image.view_y1, image.view_x2,
                      image.view_y2))
        return;
    const int64_t cut = std::max(std::abs(int64_t{a.x} - from.x), std::abs(int64_t{a.y} - from.y));
    walk_line(a.x, a.y, b.x, b.y, rotate_style(style, cut), colour);
}

void filled_box(float x1, float y1, float x2, float y2, uint32_t colour) {
    const rt_image& image = *image_state.dest;
    const pixel_point a = map_point(image, x1, y1), b = map_point(image, x2, y2);
    fill_box_pixels(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y),
                    colour);
}

void set_point(float x, float y, uint32_t colour, uint32_t given, uint32_t default_colour) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    if (given & pset_step) {
        x += image.gfx_x;
        y += image.gfx_y;
    }
    image.gfx_x = x;
    image.gfx_y = y;
    if (!(given & pset_colour)) colour = default_colour;
    image.draw_colour = colour;
    const pixel_point p = map_point(image, x, y);
    if (inside_view(image, p.x, p.y)) put_pixel(p.x, p.y, colour);
}

} // namespace

bool clip_segment(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2, int32_t left, int32_t top,
                  int32_t right, int32_t bottom) {
    if (x1 == x2 && y1 == y2) return x1 >= left && x1 <= right && y1 >= top && y1 <= bottom;
    if (beyond_same_edge(x1, y1, x2, y2, left, top, right, bottom)) return false;
    const int32_t start_x = x1, start_y = y1;
    return clip_end(x1, y1, x2, y2, left, top, right, bottom) &&
           clip_end(x2, y2, start_x, start_y, left, top, right, bottom);
}

void plain_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const rt_image& image = *image_state.dest;
    if (clip_segment(x1, y1, x2, y2, image.view_x1, image.view_y1, image.view_x2, image.view_y2))
        walk_line(x1, y1, x2, y2, solid_style, colour);
}

void fill_box_pixels(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const rt_image& image = *image_state.dest;
    if (x2 < image.view_x1 || x1 > image.view_x2 || y2 < image.view_y1 || y1 > image.view_y2)
        return;
    x1 = std::max(x1, image.view_x1);
    y1 = std::max(y1, image.view_y1);
    x2 = std::min(x2, image.view_x2);
    y2 = std::min(y2, image.view_y2);
    const size_t count = size_t(x2 - x1 + 1);
    const uint32_t alpha = colour >> 24;
    for (int32_t y = y1; y <= y2; ++y) {
        const size_t row = size_t(y) * image.width + size_t(x1);
        if (image.bytes_per_pixel == 1) {
            std::memset(image.pixels + row, int(colour & image.colour_mask), count);
        } else if (image.no_blend || alpha == opaque_alpha) {
            std::fill_n(reinterpret_cast<uint32_t*>(image.pixels) + row, count, colour);
        } else if (alpha != 0) {
            for (int32_t x = x1; x <= x2; ++x) put_pixel(x, y, colour);
        }
    }
}

void rt_pset(float x, float y, uint32_t colour, uint32_t given) {
    set_point(x, y, colour, given, static_cast<uint32_t>(image_state.dest->fg_colour));
}

void rt_preset(float x, float y, uint32_t colour, uint32_t given) {
    set_point(x, y, colour, given, image_state.dest->bg_colour);
}

void rt_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t kind, int32_t style,
             uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    if (kind < line_plain || kind > line_filled_box) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (!(given & line_first_point)) {
        x1 = image.gfx_x;
        y1 = image.gfx_y;
    } else if (given & line_first_relative) {
        x1 += image.gfx_x;
        y1 += image.gfx_y;
    }
    if (given & line_second_relative) {
        x2 += x1;
        y2 += y1;
    }
    image.gfx_x = x2;
    image.gfx_y = y2;
    if (!(given & line_colour)) colour = static_cast<uint32_t>(image.fg_colour);
    image.draw_colour = colour;
    const uint16_t dashes = given & line_style ? static_cast<uint16_t>(style) : solid_style;
    if (kind == line_filled_box) {
        filled_box(x1, y1, x2, y2, colour);
    } else if (kind == line_box) {
        styled_line(x1, y1, x2, y1, dashes, colour);
        styled_line(x2, y1, x2, y2, dashes, colour);
        styled_line(x2, y2, x1, y2, dashes, colour);
        styled_line(x1, y2, x1, y1, dashes, colour);
    } else {
        styled_line(x1, y1, x2, y2, dashes, colour);
    }
}

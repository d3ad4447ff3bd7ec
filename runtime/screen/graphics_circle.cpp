// Circles, ellipses and arcs with optional radius lines.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/screen/graphics_internal.h"

namespace {

constexpr double two_pi = 6.283185307179586;
constexpr double pi = std::numbers::pi;
// Radii beyond any page are held here, and the steps of a quadrant are limited, so that a
// huge circle costs a bounded time; what it shows of itself is a few straight pieces anyway.
constexpr double largest_radius = double(pixel_limit) / 4;
constexpr double most_quadrant_steps = 1 << 20;

struct arc_angle {
    double angle;
    bool radius_line; // the angle was given negative
};

// Which quadrant points of the arc are drawn.
struct arc_range {
    double low, high;
    bool through_zero; // drawn at or below low and at or above high
    bool contains(double a) const {
        return through_zero ? a <= low || a >= high : a >= low && a <= high;
    }
};

struct ellipse {
    int64_t cx, cy;
    double rx, ry;
};

arc_angle read_angle(double a) {
    return {std::abs(a), a < 0};
}

void plot(const ellipse& e, int64_t dx, int64_t dy, double angle, const arc_range& range,
          uint32_t colour) {
    const int64_t x = e.cx + dx, y = e.cy + dy;
    if (range.contains(angle) && inside_view(*image_state.dest, x, y))
        put_pixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
}

// The four mirror images of one quadrant offset, each tested at its own angle.
void plot_quadrants(const ellipse& e, int64_t dx, int64_t dy, double theta, const arc_range& range,
                    uint32_t colour) {
    plot(e, dx, dy, theta, range, colour);
    plot(e, -dx, dy, pi - theta, range, colour);
    plot(e, -dx, -dy, pi + theta, range, colour);
    plot(e, dx, -dy, two_pi - theta, range, colour);
}

void radius_line(const ellipse& e, double angle, uint32_t colour) {
    const double ex = double(e.cx) + std::floor(std::cos(angle) * e.rx + 0.5);
    const double ey = double(e.cy) - std::trunc(std::sin(angle) * e.ry - 0.5);
    plain_line(saturate_pixel(double(e.cx)), saturate_pixel(double(e.cy)), saturate_pixel(ex),
               saturate_pixel(ey), colour);
}

// The outline, one quadrant computed by rotating (c, n) and mirrored; a point that would only
// thicken the outline where it turns is dropped.
void draw_outline(const ellipse& e, double r, const arc_range& range, uint32_t colour) {
    const double steps = std::min(std::floor(r * two_pi / 4 + 0.5), most_quadrant_steps);
    if (steps < 1) {
        // No step fits: the only point is the centre, tested like step 0 of any circle.
        plot_quadrants(e, 0, 0, 0.0, range, colour);
        return;
    }
    const int64_t q = static_cast<int64_t>(steps);
    const double s = (pi / 2) / steps, cos_s = std::cos(s), sin_s = std::sin(s);
    double c = 1.0, n = 0.0, theta = 0.0;
    int64_t pending_dx = 0, pending_dy = 0, last_dx = 0, last_dy = 0;
    bool plotted_any = false;
    for (int64_t k = 0; k <= q; ++k) {
        const int64_t dx = static_cast<int64_t>(std::floor(c * e.rx + 0.5));
        const int64_t dy = static_cast<int64_t>(std::trunc(n * e.ry - 0.5));
        if (k > 0) {
            const bool redundant =
                plotted_any && std::abs(dx - last_dx) <= 1 && std::abs(dy - last_dy) <= 1;
            if (!redundant) {
                // The point of step 0 keeps its own angle; later ones take this step's.
                plot_quadrants(e, pending_dx, pending_dy, k == 1 ? 0.0 : theta, range, colour);
                last_dx = pending_dx;
                last_dy = pending_dy;
                plotted_any = true;
            }
        }
        pending_dx = dx;
        pending_dy = dy;
        const double next_c = c * cos_s + n * sin_s;
        n = n * cos_s - c * sin_s;
        c = next_c;
        if (k < q) theta += s;
    }
    plot_quadrants(e, pending_dx, pending_dy, theta, range, colour);
}

} // namespace

void rt_circle(double x, double y, double radius, uint32_t colour, double start, double end,
               double aspect, uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    arc_angle first = read_angle(given & circle_start ? start : 0.0);
    arc_angle last = read_angle(given & circle_end ? end : two_pi);
    if (!(first.angle <= two_pi) || !(last.angle <= two_pi)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const bool through_zero = first.angle > last.angle;
    if (through_zero) std::swap(first, last);
    const arc_range range{first.angle, last.angle, through_zero};

    if (given & circle_relative) {
        x += image.gfx_x;
        y += image.gfx_y;
    }
    image.gfx_x = static_cast<float>(x);
    image.gfx_y = static_cast<float>(y);
    double centre_x, centre_y, edge_x, edge_y;
    map_to_pixels(image, image.gfx_x, image.gfx_y, centre_x, centre_y);
    map_to_pixels(image, double(image.gfx_x) + radius, image.gfx_y, edge_x, edge_y);
    const double r = std::min(std::abs(edge_x - centre_x), largest_radius);
    ellipse e{round_pixel_away(centre_x), round_pixel_away(centre_y), r, r};

    if (!(given & circle_aspect)) aspect = mode_aspect(image.mode);
    if (aspect >= 0 && aspect < 1) {
        e.ry = aspect * r;
    } else if (aspect > 1) {
        e.rx = r / aspect;
    } else if (aspect > -1 && aspect < 0) {
        e.ry = (aspect + 1) * r;
    }
    if (!(r >= 0) || double(e.cx) + e.rx + 0.5 < image.view_x1 ||
        double(e.cx) - e.rx - 0.5 > image.view_x2 || double(e.cy) + e.ry + 0.5 < image.view_y1 ||
        double(e.cy) - e.ry - 0.5 > image.view_y2)
        return;
    if (!(given & circle_colour)) colour = static_cast<uint32_t>(image.fg_colour);
    image.draw_colour = colour;

    if (first.radius_line) radius_line(e, first.angle, colour);
    draw_outline(e, r, range, colour);
    if (last.radius_line) radius_line(e, last.angle, colour);
}

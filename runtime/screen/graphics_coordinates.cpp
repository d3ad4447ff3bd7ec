// The view port and the world window in front of every primitive, and reading pixels back.
#include <algorithm>
#include <utility>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/screen/graphics_internal.h"

namespace {

struct mode_aspect_entry {
    int32_t mode;
    double aspect;
};

// Height over width of the shape one pixel shows on the screen of each mode.
constexpr mode_aspect_entry mode_aspects[] = {
    {1, 0.8333333333333334},  {7, 0.8333333333333334}, {13, 0.8333333333333334},
    {2, 0.4166666666666667},  {8, 0.4166666666666667}, {9, 0.7291666666666666},
    {10, 0.7291666666666666},
};

bool inside_page(const rt_image& image, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

bool is_whole_page(const rt_image& image) {
    return image.view_x1 == 0 && image.view_y1 == 0 && image.view_x2 == image.width - 1 &&
           image.view_y2 == image.height - 1;
}

// The mapping of the window corners onto the view port; y1 > y2 means larger y is higher.
void apply_window(rt_image& image, float x1, float y1, float x2, float y2) {
    const float width = static_cast<float>(image.view_x2 - image.view_x1);
    const float height = static_cast<float>(image.view_y2 - image.view_y1);
    image.coord_mode = 2;
    image.scale_x = width / (x2 - x1);
    image.scale_y = height / (y2 - y1);
    image.offset_x = -x1 * image.scale_x;
    image.offset_y = y1 > y2 ? -y2 * image.scale_y + height : -y1 * image.scale_y;
    image.window_x1 = x1;
    image.window_y1 = y1;
    image.window_x2 = x2;
    image.window_y2 = y2;
}

void reset_window(rt_image& image) {
    image.coord_mode = 1;
    image.scale_x = image.scale_y = 1.0f;
    image.offset_x = image.offset_y = 0.0f;
    image.window_x1 = image.window_y1 = 0.0f;
    image.window_x2 = static_cast<float>(image.width - 1);
    image.window_y2 = static_cast<float>(image.height - 1);
    if (is_whole_page(image) && image.view_origin_x == 0 && image.view_origin_y == 0)
        image.coord_mode = 0;
}

bool is_identity_window(const rt_image& image) {
    return image.window_x1 == 0.0f && image.window_y1 == 0.0f &&
           image.window_x2 == image.width - 1 && image.window_y2 == image.height - 1 &&
           image.scale_x == 1.0f && image.scale_y == 1.0f && image.offset_x == 0.0f &&
           image.offset_y == 0.0f;
}

// The one-pixel frame just outside the view port, where it lies on the page.
void frame_view(const rt_image& image, uint32_t colour) {
    const int32_t left = image.view_x1 - 1, right = image.view_x2 + 1;
    const int32_t top = image.view_y1 - 1, bottom = image.view_y2 + 1;
    for (int32_t x = left; x <= right; ++x) {
        if (inside_page(image, x, top)) put_pixel(x, top, colour);
        if (inside_page(image, x, bottom)) put_pixel(x, bottom, colour);
    }
    for (int32_t y = top + 1; y < bottom; ++y) {
        if (inside_page(image, left, y)) put_pixel(left, y, colour);
        if (inside_page(image, right, y)) put_pixel(right, y, colour);
    }
}

} // namespace

bool graphics_ready(const rt_image& image) {
    if (error_state.error_pending) return false;
    if (image.text_page) {
        rt_raise_error(err_illegal_function_call);
        return false;
    }
    return true;
}

double mode_aspect(int32_t mode) {
    for (const auto& entry : mode_aspects)
        if (entry.mode == mode) return entry.aspect;
    return 1.0;
}

void map_to_pixels(const rt_image& image, double x, double y, double& px, double& py) {
    if (image.coord_mode == 2) {
        x = x * image.scale_x + image.offset_x;
        y = y * image.scale_y + image.offset_y;
    }
    px = x + image.view_origin_x;
    py = y + image.view_origin_y;
}

void map_from_pixels(const rt_image& image, double px, double py, double& x, double& y) {
    x = px - image.view_origin_x;
    y = py - image.view_origin_y;
    if (image.coord_mode == 2) {
        x = (x - image.offset_x) / image.scale_x;
        y = (y - image.offset_y) / image.scale_y;
    }
}

pixel_point map_point(const rt_image& image, float x, float y) {
    if (image.coord_mode == 2) {
        x = x * image.scale_x + image.offset_x;
        y = y * image.scale_y + image.offset_y;
    }
    // Origins are small, so the sums stay far inside 32 bits.
    return {round_pixel(x) + image.view_origin_x, round_pixel(y) + image.view_origin_y};
}

bool inside_view(const rt_image& image, int64_t x, int64_t y) {
    return x >= image.view_x1 && x <= image.view_x2 && y >= image.view_y1 && y <= image.view_y2;
}

uint32_t stored_pixel(const rt_image& image, int32_t x, int32_t y) {
    const size_t at = size_t(y) * image.width + size_t(x);
    if (image.bytes_per_pixel == 4) return reinterpret_cast<const uint32_t*>(image.pixels)[at];
    return image.pixels[at] & image.colour_mask;
}

void rt_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border,
             uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    const bool coordinates = given & view_coordinates;
    if (coordinates ? !inside_page(image, x1, y1) || !inside_page(image, x2, y2)
                    : (given & (view_absolute | view_fill | view_border)) != 0) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    image.draw_angle = 0.0;
    image.draw_scale = 1.0;
    if (coordinates) {
        image.view_x1 = std::min(x1, x2);
        image.view_y1 = std::min(y1, y2);
        image.view_x2 = std::max(x1, x2);
        image.view_y2 = std::max(y1, y2);
        const bool shift = !(given & view_absolute);
        image.view_origin_x = shift ? image.view_x1 : 0;
        image.view_origin_y = shift ? image.view_y1 : 0;
        if (image.coord_mode == 0) image.coord_mode = 1;
    } else {
        image.view_x1 = image.view_y1 = 0;
        image.view_x2 = image.width - 1;
        image.view_y2 = image.height - 1;
        image.view_origin_x = image.view_origin_y = 0;
        if (image.coord_mode == 1) image.coord_mode = 0;
    }
    if (image.coord_mode == 2)
        apply_window(image, image.window_x1, image.window_y1, image.window_x2, image.window_y2);
    if (given & view_fill)
        fill_box_pixels(image.view_x1, image.view_y1, image.view_x2, image.view_y2, fill);
    if (given & view_border) frame_view(image, border);
}

void rt_window(float x1, float y1, float x2, float y2, uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    const bool coordinates = given & window_coordinates;
    if (coordinates ? x1 == x2 || y1 == y2 : (given & window_no_inversion) != 0) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    double cursor_x, cursor_y;
    map_to_pixels(image, image.gfx_x, image.gfx_y, cursor_x, cursor_y);
    if (coordinates) {
        if (x1 > x2) std::swap(x1, x2);
        if (y1 > y2) std::swap(y1, y2);
        if (!(given & window_no_inversion)) std::swap(y1, y2);
        apply_window(image, x1, y1, x2, y2);
        if (is_identity_window(image)) reset_window(image);
    } else {
        reset_window(image);
    }
    double x, y;
    map_from_pixels(image, cursor_x, cursor_y, x, y);
    image.gfx_x = static_cast<float>(x);
    image.gfx_y = static_cast<float>(y);
}

int64_t rt_point(float x, float y) {
    const rt_image& image = image_state.table[image_state.source_image];
    if (!graphics_ready(image)) return 0;
    const pixel_point p = map_point(image, x, y);
    if (!inside_view(image, p.x, p.y)) return -1;
    return stored_pixel(image, p.x, p.y);
}

float rt_point(int32_t n) {
    const rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return 0.0f;
    switch (n) {
    case 0:
        return static_cast<float>(map_point(image, image.gfx_x, image.gfx_y).x);
    case 1:
        return static_cast<float>(map_point(image, image.gfx_x, image.gfx_y).y);
    case 2:
        return image.gfx_x;
    case 3:
        return image.gfx_y;
    default:
        rt_raise_error(err_illegal_function_call);
        return 0.0f;
    }
}

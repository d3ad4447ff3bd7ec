// Cursor, print region and clearing statements of text output.
#include <algorithm>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"

namespace {

constexpr size_t text_memory = 0xB8000;
constexpr size_t startup_screen_bytes = 80 * 25 * 2;

bool in_range(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

// The start-up screen grows once to 80 x 50 when a row below it is located; the first
// 25 rows and the colours survive.
void grow_startup_screen() {
    uint8_t kept[startup_screen_bytes];
    std::memcpy(kept, low_memory + text_memory, startup_screen_bytes);
    const int32_t fg = image_state.dest->fg_colour;
    const uint32_t bg = image_state.dest->bg_colour;
    rt_width(0, 80, 50, 3);
    if (error_state.error_pending) return;
    std::memcpy(low_memory + text_memory, kept, startup_screen_bytes);
    image_state.dest->fg_colour = fg;
    image_state.dest->bg_colour = bg;
}

void clear_text_page(rt_image& image, int32_t method, bool method_given, uint32_t colour) {
    const uint8_t attribute = static_cast<uint8_t>((colour & 7) << 4 | (image.fg_colour & 16) << 3 |
                                                   (image.fg_colour & 15));
    if (!method_given) {
        fill_text_rows(image, image.print_top, image.print_bottom, attribute);
        fill_text_rows(image, image.height, image.height, attribute);
    } else if (method == 0) {
        fill_text_rows(image, 1, image.height, attribute);
    } else if (method == 2) {
        fill_text_rows(image, image.print_top, image.print_bottom, attribute);
    }
}

void centre_graphics_cursor(rt_image& image) {
    float x = (image.view_x2 - image.view_x1 + 1) / 2.0f;
    float y = (image.view_y2 - image.view_y1 + 1) / 2.0f;
    if (image.coord_mode == 2) {
        x = (x - image.offset_x) / image.scale_x;
        y = (y - image.offset_y) / image.scale_y;
    }
    image.gfx_x = x;
    image.gfx_y = y;
}

void clear_pixel_page(rt_image& image, int32_t method, bool method_given, uint32_t colour) {
    if (method_given && method == 2) {
        const int32_t h = font_height(image.font);
        fill_pixel_rect(0, (image.print_top - 1) * h, image.width, image.print_bottom * h, colour);
        return;
    }
    if ((method_given && method == 0) || image.coord_mode == 0) {
        fill_pixel_rect(0, 0, image.width, image.height, colour);
    } else {
        fill_pixel_rect(image.view_x1, image.view_y1, image.view_x2 + 1, image.view_y2 + 1, colour);
    }
    centre_graphics_cursor(image);
}

} // namespace

void rt_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop,
               uint32_t given) {
    if (error_state.error_pending) return;
    const bool bad_shape = ((given & 4) && !in_range(cursor, 0, 1)) ||
                           ((given & 8) && !in_range(start, 0, 31)) ||
                           ((given & 16) && !in_range(stop, 0, 31));
    const int32_t rows = image_rows(*image_state.dest);
    const int32_t columns = image_columns(*image_state.dest);
    bool grow = false;
    bool bad = bad_shape || ((given & 1) && row < image_state.dest->print_top);
    if (!bad && (given & 1) && row > image_state.dest->print_bottom && row != rows) {
        grow = image_state.auto_resize && image_state.dest->text_page &&
               (image_state.dest->flags & image_screen_page);
        image_state.auto_resize = 0;
        bad = !grow || row > 50 || ((given & 2) && !in_range(column, 1, 80));
    }
    if (!grow && (given & 2) && !in_range(column, 1, columns)) bad = true;
    if (bad) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (grow) {
        grow_startup_screen();
        if (error_state.error_pending) return;
    }
    rt_image& image = *image_state.dest;
    if (given & 1) {
        image.cursor_row = static_cast<int16_t>(row);
        image.pending_wrap = 0;
    }
    if (given & 2) {
        image.cursor_col = static_cast<int16_t>(column);
        image.pending_wrap = 0;
    }
    if (!(given & 3) && image.pending_wrap) image.pending_wrap = 2;
    if (given & 8) image.cursor_start = static_cast<uint8_t>(start);
    if (given & 16) image.cursor_stop = static_cast<uint8_t>(stop);
    if (given & 4) image.cursor_visible = cursor != 0;
    if (!(image.flags & image_screen_page)) return;
    for (int32_t n = 0; n < image_state.page_list_size; ++n) {
        if (image_state.page_list[n] == 0) continue;
        rt_image& page = image_state.table[image_state.page_list[n]];
        if (given & 4) page.cursor_visible = image.cursor_visible;
        if (given & 24) {
            page.cursor_start = image.cursor_start;
            page.cursor_stop = image.cursor_stop;
        }
    }
}

void rt_view_print(int32_t top, int32_t bottom, uint32_t given) {
    if (error_state.error_pending) return;
    rt_image& image = *image_state.dest;
    const int32_t rows = image_rows(image);
    if (given != 0) {
        if ((given & 3) != 3 || top < 1 || top > bottom || bottom > rows) {
            rt_raise_error(err_illegal_function_call);
            return;
        }
        image.print_top = static_cast<int16_t>(top);
        image.print_bottom = static_cast<int16_t>(bottom);
        image.cursor_row = static_cast<int16_t>(top);
    } else {
        image.print_top = 1;
        image.print_bottom = static_cast<int16_t>(rows);
        image.cursor_row = 1;
    }
    image.cursor_col = 1;
    image.pending_wrap = 0;
}

void rt_cls(int32_t method, uint32_t colour, uint32_t given) {
    if (error_state.error_pending) return;
    rt_image& image = *image_state.dest;
    const bool method_given = given & 1;
    if (((given & 2) && image.bytes_per_pixel <= 2 && colour > image.colour_mask) ||
        (method_given && !in_range(method, 0, 2))) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (!(given & 2)) colour = image.bg_colour;
    image.cursor_row = image.print_top;
    image.cursor_col = 1;
    image.pending_wrap = 0;
    image.draw_angle = 0.0;
    image.draw_scale = 1.0;
    if (image.text_page) {
        clear_text_page(image, method, method_given, colour);
    } else {
        clear_pixel_page(image, method, method_given, colour);
    }
    image_state.screen_generation.fetch_add(1);
}

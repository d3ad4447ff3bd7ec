// A loaded font's character cell drawn onto dest_image through its coverage map.
#include <algorithm>
#include <cstdlib>

#include "runtime/core/errors.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/loaded_fonts.h"

namespace {

constexpr uint32_t full = 255;

// Reused between characters; grows to the largest cell drawn.
uint8_t* scratch = nullptr;
size_t scratch_size = 0;

uint8_t* coverage_buffer(size_t bytes) {
    if (bytes <= scratch_size) return scratch;
    auto* grown = static_cast<uint8_t*>(std::realloc(scratch, bytes));
    if (!grown) return nullptr;
    scratch = grown;
    scratch_size = bytes;
    return scratch;
}

uint32_t scaled(uint32_t value, uint32_t coverage) {
    return (value * coverage + full / 2) / full;
}

uint32_t with_alpha(uint32_t colour, uint32_t alpha) {
    return (colour & 0xFFFFFF) | alpha << 24;
}

struct cell_pen {
    uint32_t fg, bg;
    uint8_t print_mode;
    bool mask;
};

// Any ink counts as a set pixel, stored as the built-in fonts store theirs.
void put_masked(const cell_pen& pen, int32_t x, int32_t y, uint32_t coverage) {
    const bool set = coverage != 0;
    if (set ? pen.print_mode == 2 : pen.print_mode == 1) return;
    put_pixel(x, y, set ? pen.fg : pen.bg);
}

void put_blended(const cell_pen& pen, int32_t x, int32_t y, uint32_t coverage) {
    switch (pen.print_mode) {
    case 1:
        put_pixel(x, y, with_alpha(pen.fg, scaled(pen.fg >> 24, coverage)));
        break;
    case 2:
        put_pixel(x, y, with_alpha(pen.bg, scaled(pen.bg >> 24, full - coverage)));
        break;
    default:
        put_pixel(x, y, coverage_blend(pen.bg, pen.fg, coverage));
        break;
    }
}

} // namespace

uint32_t coverage_blend(uint32_t background, uint32_t foreground, uint32_t coverage) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t b = background >> shift & 255, f = foreground >> shift & 255;
        out |= (b * (full - coverage) + f * coverage + full / 2) / full << shift;
    }
    return out;
}

void loaded_font_draw_char(uint32_t code) {
    if (error_state.error_pending) return;
    const rt_image& image = *image_state.dest;
    const loaded_font* font = loaded_font_of(image.font);
    if (!font) return;
    const int32_t cell_width =
        font->width > 0 ? font->width : loaded_font_char_width(image.font, code);
    const int32_t x0 = (image.cursor_col - 1) * std::max(font->width, 1);
    const int32_t y0 = (image.cursor_row - 1) * font->height;
    uint8_t* coverage = coverage_buffer(size_t(cell_width) * size_t(font->height));
    if (cell_width <= 0 || !coverage || !loaded_font_render_cell(*font, code, cell_width, coverage))
        return;
    const cell_pen pen{static_cast<uint32_t>(image.fg_colour), image.bg_colour, image.print_mode,
                       image.bytes_per_pixel == 1 || image.no_blend ||
                           (font->flags & font_flag_dont_blend)};
    const int32_t x_end = std::min<int32_t>(cell_width, image.width - x0);
    const int32_t y_end = std::min<int32_t>(font->height, image.height - y0);
    for (int32_t y = std::max(-y0, 0); y < y_end; ++y) {
        const uint8_t* row = coverage + size_t(y) * cell_width;
        for (int32_t x = std::max(-x0, 0); x < x_end; ++x) {
            if (pen.mask)
                put_masked(pen, x0 + x, y0 + y, row[x]);
            else
                put_blended(pen, x0 + x, y0 + y, row[x]);
        }
    }
}

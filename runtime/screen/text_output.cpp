// Printing at the text cursor of dest_image.
#include "runtime/screen/text_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

int32_t control_char_mode = 0;
int32_t printer_line_width = 80;
bool (*printer_page_hook)(printer_event event) = nullptr;
int32_t (*tab_page_hook)() = nullptr;

namespace {

constexpr int32_t tab_pixels = 64;
constexpr int32_t tab_columns = 8;
constexpr int32_t zone_pixels = 112;
constexpr int32_t zone_columns = 14;
constexpr int bell_ms = 250;

int32_t printer_column = 0; // characters on the current printer line

bool on_printer_page(printer_event event) {
    return printer_page_hook && printer_page_hook(event);
}

bool proportional(const rt_image& image) {
    return !image.text_page && font_width(image.font) == 0;
}

// Width of one cell in cursor columns' units: pixels per column on monospace pixel pages.
int32_t cell_width(const rt_image& image) {
    return image.text_page ? 1 : std::max(font_width(image.font), 1);
}

int32_t line_height(const rt_image& image) {
    return image.text_page ? 1 : font_height(image.font);
}

void scroll_print_region(rt_image& image) {
    const int32_t top = image.print_top;
    const int32_t bottom = std::min<int32_t>(image.print_bottom, image_rows(image));
    if (bottom < top) return;
    const size_t row_bytes =
        size_t(image.width) * image.bytes_per_pixel * size_t(line_height(image));
    uint8_t* first = image.pixels + size_t(top - 1) * row_bytes;
    std::memmove(first, first + row_bytes, size_t(bottom - top) * row_bytes);
    if (image.text_page) {
        fill_text_rows(image, bottom, bottom, text_attribute_of(image));
    } else {
        const int32_t h = line_height(image);
        fill_pixel_rect(0, (bottom - 1) * h, image.width, bottom * h, image.bg_colour);
    }
}

bool is_control(uint32_t code) {
    static constexpr uint32_t obeyed = 1u << 7 | 1u << 9 | 1u << 10 | 1u << 11 | 1u << 12 |
                                       1u << 13 | 1u << 28 | 1u << 29 | 1u << 30 | 1u << 31;
    return code < 32 && (obeyed >> code & 1);
}

void cursor_right(rt_image& image) {
    const int32_t columns = image_columns(image);
    if (image.cursor_row >= image.print_bottom && image.cursor_col >= columns) return;
    if (++image.cursor_col > columns) {
        ++image.cursor_row;
        image.cursor_col = 1;
    }
}

void cursor_left(rt_image& image) {
    if ((image.cursor_col == 1 && image.cursor_row == image.print_top) ||
        image.cursor_row > image.print_bottom)
        return;
    if (--image.cursor_col < 1) {
        --image.cursor_row;
        image.cursor_col = static_cast<int16_t>(image_columns(image));
    }
}

// Proportional fonts: skip to the next stop, clearing the skipped pixels; past the right
// edge the rest of the line is cleared and a new line made.
void skip_to_pixel_stop(int32_t stop_every) {
    rt_image& image = *image_state.dest;
    const int32_t stop = ((image.cursor_col - 1) / stop_every + 1) * stop_every;
    const int32_t h = line_height(image);
    const int32_t y = (image.cursor_row - 1) * h;
    fill_pixel_rect(image.cursor_col - 1, y, std::min<int32_t>(stop - 1, image.width), y + h,
                    image.bg_colour);
    if (stop >= image.width) {
        text_new_line();
    } else {
        image.cursor_col = static_cast<int16_t>(stop);
    }
}

// One printed cell, its advance and the right-edge rule. Returns true when the right edge
// made a new line.
bool print_glyph(uint32_t code, bool more_follows, bool new_line) {
    rt_image* image = image_state.dest;
    const bool variable = proportional(*image);
    const int32_t advance = variable ? font_char_width(code) : 1;
    if (variable && image->cursor_col + advance > image->width) text_new_line();
    font_draw_char(code);
    const bool printer = on_printer_page(printer_event::character);
    image = image_state.dest;
    image->cursor_col = static_cast<int16_t>(image->cursor_col + advance);
    const int32_t w = cell_width(*image);
    const bool fits = (image->cursor_col - 1) * w + w <= image->width;
    // The printer's line width acts as a nearer right edge.
    const bool printer_line_full = printer && ++printer_column >= printer_line_width;
    if (fits && !printer_line_full) return false;
    if (new_line || more_follows) {
        text_new_line();
        return true;
    }
    image->cursor_col = static_cast<int16_t>(fits ? image->cursor_col - advance : image->width / w);
    image->pending_wrap = 1;
    return false;
}

// Obeys one control character; the tab prints spaces and may hit the right edge.
bool obey_control(uint32_t code, bool more_follows, bool new_line) {
    rt_image& image = *image_state.dest;
    switch (code) {
    case 28:
        cursor_right(image);
        break;
    case 29:
        cursor_left(image);
        break;
    case 30:
        if (image.cursor_row > image.print_top && image.cursor_row <= image.print_bottom)
            --image.cursor_row;
        break;
    case 31:
        if (image.cursor_row >= image.print_top && image.cursor_row < image.print_bottom)
            ++image.cursor_row;
        break;
    case 12:
        on_printer_page(printer_event::form_feed);
        rt_cls(0, 0, 0);
        printer_line_restart();
        break;
    case 11:
        image.cursor_col = 1;
        image.cursor_row = image.print_top;
        break;
    case 9: {
        if (proportional(image)) {
            skip_to_pixel_stop(tab_pixels);
            break;
        }
        for (;;) {
            const bool again = (image_state.dest->cursor_col & 7) != 0;
            const bool wrapped = print_glyph(' ', again || more_follows, new_line);
            // A line narrower than one tab stop never reaches one: the tab ends where it wrapped.
            if (!again || (wrapped && image_columns(*image_state.dest) < tab_columns))
                return wrapped;
        }
    }
    case 7:
        rt_sleep_ms(bell_ms);
        break;
    default: // 10 and 13
        text_new_line();
        break;
    }
    return false;
}

void print_console(const uint8_t* bytes, int32_t length, bool new_line) {
    std::fwrite(bytes, 1, size_t(length), stdout);
    if (new_line) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

void print_bytes(const uint8_t* bytes, int32_t length, bool new_line) {
    if (error_state.error_pending) return;
    if (image_state.dest->console_page) {
        print_console(bytes, length, new_line);
        return;
    }
    if (image_state.dest->pending_wrap) {
        if (length > 0) {
            image_state.dest->pending_wrap = 0;
            text_new_line();
        } else if (new_line) {
            image_state.dest->pending_wrap = 0;
        }
    }
    const int32_t unit = (font_flags(image_state.dest->font) & font_flag_unicode) ? 4 : 1;
    bool edge_new_line = false;
    for (int32_t at = 0; at + unit <= length; at += unit) {
        uint32_t code = bytes[at];
        if (unit == 4) std::memcpy(&code, bytes + at, 4);
        const bool more_follows = at + 2 * unit <= length;
        if (control_char_mode != 2 && is_control(code)) {
            if (code != 9) on_printer_page(printer_event::character);
            edge_new_line = obey_control(code, more_follows, new_line);
        } else {
            edge_new_line = print_glyph(code, more_follows, new_line);
        }
    }
    if (new_line && !edge_new_line) text_new_line();
}

int32_t text_pixel_width(const rt_image& image, std::string_view text) {
    const int32_t unit = (font_flags(image.font) & font_flag_unicode) ? 4 : 1;
    const int32_t count = static_cast<int32_t>(text.size()) / unit;
    if (!proportional(image)) return count * cell_width(image);
    int32_t width = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t code = static_cast<uint8_t>(text[size_t(i) * unit]);
        if (unit == 4) std::memcpy(&code, text.data() + size_t(i) * unit, 4);
        width += font_char_width(code);
    }
    return width;
}

} // namespace

void fill_text_rows(rt_image& image, int32_t first_row, int32_t last_row, uint8_t attribute) {
    for (int32_t row = std::max(first_row, 1); row <= std::min<int32_t>(last_row, image.height);
         ++row) {
        uint8_t* cell = image.pixels + size_t(row - 1) * image.width * 2;
        for (int32_t col = 0; col < image.width; ++col) {
            cell[2 * col] = ' ';
            cell[2 * col + 1] = attribute;
        }
    }
}

void fill_pixel_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    rt_image& image = *image_state.dest;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min<int32_t>(x2, image.width);
    y2 = std::min<int32_t>(y2, image.height);
    if (x1 >= x2 || y1 >= y2) return;
    for (int32_t y = y1; y < y2; ++y) {
        uint8_t* row = image.pixels + size_t(y) * image.width * image.bytes_per_pixel;
        if (image.bytes_per_pixel == 4) {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + x1, x2 - x1, colour);
        } else {
            std::memset(row + x1, static_cast<uint8_t>(colour), size_t(x2 - x1));
        }
    }
}

void printer_line_restart() {
    printer_column = 0;
}

void text_new_line() {
    rt_image& image = *image_state.dest;
    ++image.cursor_row;
    image.cursor_col = 1;
    if (on_printer_page(printer_event::query)) printer_column = 0;
    if (image.cursor_row <= image.print_bottom) return;
    if (on_printer_page(printer_event::page_full)) {
        rt_cls(0, 15, cls_colour_given);
        return;
    }
    scroll_print_region(image);
    image.cursor_row = image.print_bottom;
}

void rt_print(rt_string* text, bool new_line) {
    print_bytes(text ? text->data : nullptr, text ? text->len : 0, new_line);
}

void rt_print(std::string_view text, bool new_line) {
    print_bytes(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()),
                new_line);
}

void rt_print_wrap_check(rt_string* text) {
    if (error_state.error_pending) return;
    const rt_image& image = *image_state.dest;
    if (image.pending_wrap || image.cursor_col == 1) return;
    const std::string_view bytes = rt_view(text);
    const bool overflows =
        image.text_page
            ? image.cursor_col + static_cast<int32_t>(bytes.size()) - 1 > image.width
            : (image.cursor_col - 1) * cell_width(image) + text_pixel_width(image, bytes) >
                  image.width;
    if (overflows) text_new_line();
}

void rt_print_comma() {
    if (error_state.error_pending) return;
    if (image_state.dest->pending_wrap) {
        image_state.dest->pending_wrap = 0;
        text_new_line();
        return;
    }
    if (proportional(*image_state.dest)) {
        skip_to_pixel_stop(zone_pixels);
        return;
    }
    const int32_t columns = image_columns(*image_state.dest);
    for (;;) {
        print_bytes(reinterpret_cast<const uint8_t*>(" "), 1, false);
        const int32_t col = image_state.dest->cursor_col;
        if (col == 1 || col >= columns ||
            ((col - 1) % zone_columns == 0 && col <= columns - (zone_columns - 1)))
            return;
    }
}

rt_string* rt_tab(int32_t column) {
    if (error_state.error_pending) return rt_string_new(0, true);
    if (column < -32768 || column > 32767) {
        rt_raise_error(err_out_of_memory);
        return rt_string_new(0, true);
    }
    const int32_t hooked = tab_page_hook ? tab_page_hook() : -1;
    const rt_image& image = hooked >= 0 ? image_state.table[hooked] : *image_state.dest;
    const int32_t columns = image_columns(image);
    const int32_t step = proportional(image) ? std::max(font_char_width(' '), 1) : 1;
    if (column > columns) column %= columns;
    if (column <= 0) column = 1;
    const bool back = column < image.cursor_col;
    const int32_t distance = back ? column : column - image.cursor_col;
    const int32_t spaces = (distance + step - 1) / step - (back ? 1 : 0);
    rt_string* s = rt_string_new(spaces + (back ? 1 : 0), true);
    if (!s) return s;
    std::memset(s->data, ' ', size_t(s->len));
    if (back) s->data[0] = 13;
    return s;
}

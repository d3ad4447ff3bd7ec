#include "runtime/screen/input_cursor.h"

#include <algorithm>
#include <cstring>

#include "runtime/screen/fonts.h"

namespace {

constexpr int64_t blink_bit = 512; // shown and hidden every 512 ms

bool cursor_blinks(const rt_image& page) {
    return page.bits_per_pixel >= 8 || page.font >= first_loaded_font;
}

// XOR with the foreground colour; on 32-bit pages the alpha byte is kept.
void invert_pixels(rt_image& page, const input_cursor& cursor) {
    const int32_t x1 = std::max(cursor.x, 0);
    const int32_t y1 = std::max(cursor.y, 0);
    const int32_t x2 = std::min(cursor.x + cursor.width, static_cast<int32_t>(page.width));
    const int32_t y2 = std::min(cursor.y + cursor.height, static_cast<int32_t>(page.height));
    const uint32_t fg = static_cast<uint32_t>(page.fg_colour);
    for (int32_t y = y1; y < y2; ++y) {
        for (int32_t x = x1; x < x2; ++x) {
            const size_t index = static_cast<size_t>(y) * page.width + x;
            if (page.bytes_per_pixel == 4) {
                uint32_t pixel;
                std::memcpy(&pixel, page.pixels + index * 4, 4);
                pixel ^= fg & 0x00FFFFFFu;
                std::memcpy(page.pixels + index * 4, &pixel, 4);
            } else {
                page.pixels[index] ^= static_cast<uint8_t>(fg & page.colour_mask);
            }
        }
    }
}

} // namespace

bool input_cursor_wanted(const rt_image& page, int64_t now_ms) {
    if (page.text_page) return false;
    return !cursor_blinks(page) || (now_ms & blink_bit) == 0;
}

int32_t input_cursor_next_change_ms(const rt_image& page, int64_t now_ms) {
    if (page.text_page || !cursor_blinks(page)) return 0;
    return static_cast<int32_t>(blink_bit - (now_ms & (blink_bit - 1)));
}

void input_cursor_draw(rt_image& page, input_cursor& cursor) {
    if (cursor.drawn || page.text_page) return;
    const int32_t cell_width = font_width(page.font);
    const int32_t cell_height = font_height(page.font);
    // With a proportional font the cursor column counts pixels.
    cursor.x = cell_width > 0 ? (page.cursor_col - 1) * cell_width : page.cursor_col - 1;
    cursor.y = (page.cursor_row - 1) * cell_height;
    cursor.width = cursor_blinks(page) ? 1 : std::max(cell_width, 1);
    cursor.height = cell_height;
    invert_pixels(page, cursor);
    cursor.drawn = true;
}

void input_cursor_remove(rt_image& page, input_cursor& cursor) {
    if (!cursor.drawn) return;
    invert_pixels(page, cursor);
    cursor.drawn = false;
}

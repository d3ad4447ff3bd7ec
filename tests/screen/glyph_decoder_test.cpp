// The test-side reader of text-screen pictures, fed with cells drawn by the runtime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "tests/support/glyph_decoder.h"

namespace {

constexpr uint32_t standard_colours[16] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// A 640x400 4-bit page with the 8x16 font, as the 80x25 text screen looks in the window.
rt_image& new_screen_picture() {
    rt_fonts_init();
    rt_screen_init();
    rt_select_dest(rt_new_image(640, 400, 12, 1));
    return *image_state.dest;
}

void print_at(int32_t row, int32_t col, const std::string& text, int32_t fg, uint32_t bg) {
    image_state.dest->fg_colour = fg;
    image_state.dest->bg_colour = bg;
    image_state.dest->cursor_row = static_cast<int16_t>(row);
    for (size_t i = 0; i < text.size(); ++i) {
        image_state.dest->cursor_col = static_cast<int16_t>(col + i);
        font_draw_char(static_cast<uint8_t>(text[i]));
    }
}

std::vector<uint8_t> window_pixels(const rt_image& image, int32_t channels) {
    std::vector<uint8_t> out;
    for (int32_t i = 0; i < image.width * image.height; ++i) {
        const uint32_t rgb = standard_colours[image.pixels[i] & 15];
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb));
        if (channels == 4) out.push_back(255);
    }
    return out;
}

std::vector<std::string> decode(const rt_image& image, int32_t channels,
                                std::optional<uint32_t> background = {}) {
    const std::vector<uint8_t> pixels = window_pixels(image, channels);
    return decode_text_screen(pixels.data(), image.width, image.height, channels, background);
}

TEST(glyph_decoder, reads_every_cell_of_a_text_screen_back) {
    const rt_image& image = new_screen_picture();
    print_at(1, 1, "SELECT AN OPTION ? 4", 7, 0);
    print_at(3, 10, "\xC9\xCD\xCD\xBB", 15, 1);
    print_at(4, 10, "\xC8\xCD\xCD\xBC", 15, 1);
    print_at(25, 70, "inverse", 0, 7);
    print_at(12, 1, "\x01\x9B\xB2", 14, 4);
    for (int32_t channels : {3, 4}) {
        const std::vector<std::string> rows = decode(image, channels, 0x000000);
        ASSERT_EQ(rows.size(), 25u);
        EXPECT_EQ(rows[0], "SELECT AN OPTION ? 4" + std::string(60, ' '));
        EXPECT_EQ(rows[1], std::string(80, ' '));
        EXPECT_EQ(rows[2].substr(8, 6), " \xC9\xCD\xCD\xBB ");
        EXPECT_EQ(rows[3].substr(9, 4), "\xC8\xCD\xCD\xBC");
        EXPECT_EQ(rows[11].substr(0, 4), "\x01\x9B\xB2 ");
        EXPECT_EQ(rows[24], std::string(69, ' ') + "inverse" + std::string(4, ' '));
    }
}

TEST(glyph_decoder, needs_the_background_to_tell_inverse_glyph_pairs_apart) {
    const rt_image& image = new_screen_picture();
    print_at(1, 1, "\xDF\xDC", 15, 0); // upper and lower half blocks
    EXPECT_EQ(decode(image, 4, 0x000000)[0].substr(0, 2), "\xDF\xDC");
    // Without a hint the top-left pixel counts as background: the upper half reads inverted.
    EXPECT_EQ(decode(image, 4)[0].substr(0, 2), "\xDC\xDC");
}

TEST(glyph_decoder, reads_a_cell_of_one_colour_as_a_space) {
    const rt_image& image = new_screen_picture();
    print_at(1, 1, "\xDB", 14, 4);
    print_at(1, 2, " ", 14, 4);
    EXPECT_EQ(decode(image, 4, 0x000000)[0].substr(0, 3), "   ");
    EXPECT_EQ(decode(image, 4, 0xAA0000)[0].substr(0, 3), "   ") << "a full block included";
}

TEST(glyph_decoder, marks_cells_that_match_no_glyph) {
    rt_image& image = new_screen_picture();
    print_at(1, 1, "AB", 15, 0);
    image.pixels[5 * 640 + 3] = 2;   // a third colour inside 'A'
    image.pixels[8 * 640 + 8] ^= 15; // one pixel of 'B' flipped
    const std::string row = decode(image, 3, 0x000000)[0];
    EXPECT_EQ(row[0], undecodable_cell);
    EXPECT_EQ(row[1], undecodable_cell);
    EXPECT_EQ(row[2], ' ');
}

} // namespace

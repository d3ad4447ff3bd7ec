// Glyph drawing, font selection and the code page table, checked through the pixels and
// cells that end up on pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/screen/code_page.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/glyphs.h"
#include "runtime/screen/image.h"
#include "tests/support/page_reader.h"

namespace {

void start_runtime() {
    rt_low_memory_reset();
    rt_fonts_init();
    rt_screen_init();
}

// A new pixel image of the given mode, made the destination.
rt_image& new_dest_image(int32_t width, int32_t height, int32_t mode) {
    int32_t handle = rt_new_image(width, height, mode, 1);
    rt_select_dest(handle);
    return *image_state.dest;
}

void draw_at(int32_t row, int32_t col, uint32_t code) {
    image_state.dest->cursor_row = static_cast<int16_t>(row);
    image_state.dest->cursor_col = static_cast<int16_t>(col);
    font_draw_char(code);
}

uint8_t pixel(const rt_image& image, int32_t x, int32_t y) {
    return image.pixels[y * image.width + x];
}

// Whether pixel (x, y) of glyph code is set in the committed 8x16 rows.
bool tall_glyph_bit(uint32_t code, int32_t x, int32_t y) {
    return (glyph_rows_8x16[code * 16 + y] & (0x80 >> x)) != 0;
}

struct cell_case {
    int32_t mode;
    int32_t font;
};

class glyph_cells : public testing::TestWithParam<cell_case> {};

// Characters 0, 32, 200 and 219 in row 2, columns 2-5 of an image of 3 rows and 6 columns,
// so that a glyph drawn at the wrong place or spilling out of its cell shows too.
TEST_P(glyph_cells, match_the_committed_picture) {
    start_runtime();
    const cell_case c = GetParam();
    rt_image& image = new_dest_image(48, 3 * font_height(c.font), c.mode);
    rt_set_font(c.font, 0, 0);
    // On the 4-bit page blank cells differ from untouched pixels too.
    image.fg_colour = c.mode == 2 ? 1 : 14;
    image.bg_colour = c.mode == 2 ? 0 : 1;
    const uint32_t codes[] = {0, 32, 200, 219};
    for (int32_t i = 0; i < 4; ++i) draw_at(2, 2 + i, codes[i]);
    ASSERT_EQ(error_state.error_pending, 0u);
    EXPECT_TRUE(page_matches_expected(image, "fonts/cells_mode" + std::to_string(c.mode) + "_font" +
                                                 std::to_string(c.font) + ".pgm"));
}

INSTANTIATE_TEST_SUITE_P(pages_and_fonts, glyph_cells,
                         testing::Values(cell_case{2, 8}, cell_case{2, 14}, cell_case{2, 16},
                                         cell_case{12, 8}, cell_case{12, 14}, cell_case{12, 16}),
                         [](const testing::TestParamInfo<cell_case>& info) {
                             return "mode" + std::to_string(info.param.mode) + "_font" +
                                    std::to_string(info.param.font);
                         });

// Draws 'A' over a cell filled with colour 5 in the given print mode, fg 14 on bg 1.
rt_image& draw_over_filled_cell(uint8_t print_mode) {
    rt_image& image = new_dest_image(64, 32, 12);
    for (int32_t i = 0; i < 64 * 32; ++i) image.pixels[i] = 5;
    image.print_mode = print_mode;
    image.fg_colour = 14;
    image.bg_colour = 1;
    draw_at(1, 1, 'A');
    return image;
}

void expect_cell_colours(const rt_image& image, uint8_t set_colour, uint8_t clear_colour) {
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ(pixel(image, x, y), tall_glyph_bit('A', x, y) ? set_colour : clear_colour)
                << "pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(pixel(image, 8, 0), 5) << "the next cell stays untouched";
    EXPECT_EQ(pixel(image, 0, 16), 5) << "the next row stays untouched";
}

TEST(print_mode, one_stores_only_the_set_pixels_in_the_foreground) {
    start_runtime();
    expect_cell_colours(draw_over_filled_cell(1), 14, 5);
}

TEST(print_mode, two_stores_only_the_clear_pixels_in_the_background) {
    start_runtime();
    expect_cell_colours(draw_over_filled_cell(2), 5, 1);
}

TEST(print_mode, three_stores_the_whole_cell) {
    start_runtime();
    expect_cell_colours(draw_over_filled_cell(3), 14, 1);
}

// Every code of a font drawn in row 1, one per column, on a 2048-pixel-wide image.
rt_image& draw_whole_set(int32_t font) {
    rt_image& image = new_dest_image(2048 * font_width(font) / 8, 32, 12);
    rt_set_font(font, 0, 0);
    image.fg_colour = 15;
    image.bg_colour = 0;
    for (int32_t code = 0; code < 256; ++code) draw_at(1, code + 1, static_cast<uint32_t>(code));
    return image;
}

TEST(fourteen_row_font, is_the_sixteen_row_font_without_its_first_and_last_row) {
    start_runtime();
    const rt_image& tall = draw_whole_set(16);
    const rt_image& cut = draw_whole_set(14);
    for (int32_t y = 0; y < 14; ++y) {
        for (int32_t x = 0; x < 2048; ++x) {
            ASSERT_EQ(pixel(cut, x, y), pixel(tall, x, y + 1)) << "glyph " << x / 8 << " row " << y;
        }
    }
    for (int32_t x = 0; x < 2048; ++x) {
        ASSERT_EQ(pixel(cut, x, 14), 0) << "nothing is drawn below the 14-row cell";
    }
    EXPECT_EQ(pixel(cut, 219 * 8, 13), 15);
}

TEST(double_width_fonts, draw_every_pixel_of_the_narrow_glyph_twice) {
    start_runtime();
    const struct { int32_t wide, narrow; } pairs[] = {{9, 8}, {15, 14}, {17, 16}};
    for (const auto& pair : pairs) {
        const rt_image& narrow = draw_whole_set(pair.narrow);
        const rt_image& wide = draw_whole_set(pair.wide);
        for (int32_t y = 0; y < font_height(pair.narrow); ++y) {
            for (int32_t x = 0; x < 4096; ++x) {
                ASSERT_EQ(pixel(wide, x, y), pixel(narrow, x / 2, y))
                    << "font " << pair.wide << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(full_and_blank_cells, full_block_fills_the_cell_and_blanks_leave_it_background) {
    start_runtime();
    for (int32_t font : {8, 9, 14, 15, 16, 17}) {
        rt_image& image = new_dest_image(64, 32, 12);
        for (int32_t i = 0; i < 64 * 32; ++i) image.pixels[i] = 5;
        rt_set_font(font, 0, 0);
        image.fg_colour = 14;
        image.bg_colour = 1;
        const int32_t width = font_width(font);
        const int32_t height = font_height(font);
        draw_at(1, 1, 219);
        draw_at(1, 2, 0);
        draw_at(1, 3, 32);
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                const int32_t cell = x / width;
                const uint8_t want = y >= height || cell > 2 ? 5 : cell == 0 ? 14 : 1;
                ASSERT_EQ(pixel(image, x, y), want)
                    << "font " << font << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(text_page, stores_the_code_and_the_attribute_in_the_cursor_cell) {
    start_runtime();
    int32_t handle = rt_new_image(80, 25, 0, 1);
    rt_select_dest(handle);
    image_state.dest->fg_colour = 14;
    image_state.dest->bg_colour = 1;
    draw_at(3, 5, 200);
    const uint8_t* cell = image_state.dest->pixels + (2 * 80 + 4) * 2;
    EXPECT_EQ(cell[0], 200);
    EXPECT_EQ(cell[1], 0x1E);
    EXPECT_EQ(cell[2], ' ') << "the next cell is untouched";
    EXPECT_EQ(cell[3], 7);
}

TEST(font_draw_char, does_nothing_while_an_error_is_pending) {
    start_runtime();
    const rt_image& image = new_dest_image(64, 32, 12);
    rt_raise_error(5);
    draw_at(1, 1, 219);
    EXPECT_EQ(pixel(image, 0, 0), 0);
}

TEST(font_table, answers_the_built_in_cell_sizes) {
    const struct {
        int32_t font, width, height;
    } fonts[] = {{8, 8, 8}, {9, 16, 8}, {14, 8, 14}, {15, 16, 14}, {16, 8, 16}, {17, 16, 16}};
    for (const auto& f : fonts) {
        EXPECT_EQ(font_width(f.font), f.width) << f.font;
        EXPECT_EQ(font_height(f.font), f.height) << f.font;
        EXPECT_EQ(font_flags(f.font), font_flag_monospace) << f.font;
    }
    for (int32_t none : {-1, 0, 7, 10, 13, 18, 31, 32, 1000}) {
        EXPECT_FALSE(font_exists(none)) << none;
        EXPECT_EQ(font_height(none), 0) << none;
    }
}

TEST(font_char_width, is_the_cell_width_of_the_destination_font) {
    start_runtime();
    new_dest_image(64, 32, 12);
    rt_set_font(17, 0, 0);
    EXPECT_EQ(font_char_width('W'), 16);
    rt_set_font(8, 0, 0);
    EXPECT_EQ(font_char_width('i'), 8);
}

TEST(rt_set_font, refuses_handles_that_are_no_font_with_258) {
    start_runtime();
    rt_image& image = new_dest_image(640, 480, 12);
    for (int32_t none : {-1, 0, 10, 18, 32}) {
        rt_set_font(none, 0, 0);
        EXPECT_EQ(error_state.error_pending, 258u) << none;
        error_state.error_pending = 0;
    }
    EXPECT_EQ(image.font, 16);
}

TEST(rt_set_font, homes_the_cursor_and_fits_the_print_region_to_the_new_cells) {
    start_runtime();
    rt_image& image = new_dest_image(640, 480, 12);
    image.cursor_row = 7;
    image.cursor_col = 9;
    rt_set_font(8, 0, 0);
    EXPECT_EQ(image.font, 8);
    EXPECT_EQ(image.cursor_row, 1);
    EXPECT_EQ(image.cursor_col, 1);
    EXPECT_EQ(image.print_top, 1);
    EXPECT_EQ(image.print_bottom, 59);
    rt_set_font(14, 0, 0);
    EXPECT_EQ(image.print_bottom, 33);
}

TEST(rt_set_font, names_the_image_by_handle_when_given) {
    start_runtime();
    int32_t other = rt_new_image(320, 20, 12, 1);
    const rt_image& target = image_state.table[-other];
    const rt_image& image = new_dest_image(640, 480, 12);
    rt_set_font(16, other, 1);
    EXPECT_EQ(target.font, 16);
    EXPECT_EQ(target.print_bottom, 1) << "a single row still leaves a print region";
    EXPECT_EQ(image.font, 16);
    rt_set_font(8, -4000, 1);
    EXPECT_EQ(error_state.error_pending, 258u);
}

TEST(rt_set_font, on_a_text_screen_page_changes_every_screen_page_and_nothing_else) {
    start_runtime();
    rt_screen(0, 0, 0, 0, 0, 1);
    ASSERT_EQ(image_state.page_list_size, 8);
    image_state.dest->cursor_row = 5;
    image_state.dest->cursor_col = 7;
    rt_set_font(8, 3, 1);
    ASSERT_EQ(error_state.error_pending, 0u);
    for (int32_t page = 0; page < 8; ++page)
        EXPECT_EQ(image_state.table[image_state.page_list[page]].font, 8);
    EXPECT_EQ(image_state.dest->cursor_row, 5);
    EXPECT_EQ(image_state.dest->cursor_col, 7);
    EXPECT_EQ(image_state.dest->print_bottom, 24);
    EXPECT_EQ(image_state.dest->width, 80);
    EXPECT_EQ(image_state.dest->height, 25);
}

TEST(rt_set_font, keeps_the_cell_grid_of_a_text_image) {
    start_runtime();
    int32_t handle = rt_new_image(80, 25, 0, 1);
    rt_select_dest(handle);
    rt_set_font(8, 0, 0);
    EXPECT_EQ(image_state.dest->font, 8);
    EXPECT_EQ(image_state.dest->print_bottom, 24);
}

TEST(code_page, maps_bytes_to_code_page_437) {
    EXPECT_EQ(rt_code_page_entry(0), 0x20);
    EXPECT_EQ(rt_code_page_entry(1), 0x263A);
    EXPECT_EQ(rt_code_page_entry(65), 'A');
    EXPECT_EQ(rt_code_page_entry(127), 0x2302);
    EXPECT_EQ(rt_code_page_entry(128), 0xC7);
    EXPECT_EQ(rt_code_page_entry(200), 0x255A);
    EXPECT_EQ(rt_code_page_entry(219), 0x2588);
    EXPECT_EQ(rt_code_page_entry(254), 0x25A0);
    EXPECT_EQ(rt_code_page_entry(255), 0x20);
    EXPECT_EQ(error_state.error_pending, 0u);
}

TEST(code_page, finds_the_lowest_byte_of_a_code_point) {
    EXPECT_EQ(rt_code_page_lookup(0x2588), 219);
    EXPECT_EQ(rt_code_page_lookup(0x263A), 1);
    EXPECT_EQ(rt_code_page_lookup(0x20), 0) << "0, 32 and 255 all hold the space";
    EXPECT_EQ(rt_code_page_lookup(0x0391), 0) << "none holds it";
}

TEST(code_page, refuses_entries_and_values_out_of_range_with_5) {
    const struct { int32_t n, value; } bad[] = {{-1, 65}, {256, 65}, {65, -1}, {65, 0x10000}};
    for (const auto& b : bad) {
        rt_set_code_page_entry(b.n, b.value);
        EXPECT_EQ(error_state.error_pending, 5u) << b.n << " " << b.value;
        error_state.error_pending = 0;
    }
    for (int32_t n : {-1, 256}) {
        EXPECT_EQ(rt_code_page_entry(n), 0);
        EXPECT_EQ(error_state.error_pending, 5u) << n;
        error_state.error_pending = 0;
    }
    EXPECT_EQ(rt_code_page_entry(65), 'A');
}

TEST(code_page, a_changed_entry_changes_conversions_but_not_the_glyph) {
    start_runtime();
    const rt_image& image = new_dest_image(16, 16, 12);
    draw_at(1, 1, 'A');
    rt_set_code_page_entry(65, 0x0391);
    draw_at(1, 2, 'A');
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(pixel(image, x, y), pixel(image, x + 8, y));
    }
    const uint8_t text[] = {'B', 'A', 219, 1};
    uint16_t utf16[4];
    uint32_t utf32[4];
    code_page_to_utf16(text, 4, utf16);
    code_page_to_utf32(text, 4, utf32);
    EXPECT_EQ(std::vector<uint16_t>(utf16, utf16 + 4),
              (std::vector<uint16_t>{'B', 0x0391, 0x2588, 0x263A}));
    EXPECT_EQ(std::vector<uint32_t>(utf32, utf32 + 4),
              (std::vector<uint32_t>{'B', 0x0391, 0x2588, 0x263A}));
    EXPECT_EQ(rt_code_page_lookup(0x0391), 65);
    EXPECT_EQ(rt_code_page_lookup('A'), 0);
}

} // namespace

// Text on pixel pages: glyph cells, wrapping and scrolling compared with committed pictures,
// and the pixel side of clearing.
#include <gtest/gtest.h>

#include <string>

#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/screen_start.h"

namespace {

class TextOnPixelPages : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    rt_image& screen() { return image_state.table[image_state.page_list[0]]; }
    uint8_t pixel(int x, int y) { return screen().pixels[size_t(y) * screen().width + x]; }

    // Numbered lines with a long one that wraps, a tab, zones and a status line on the last
    // row, enough lines that the region scrolls several times.
    void print_mixed_page(int lines) {
        rt_locate(image_rows(screen()), 1, 0, 0, 0, 3);
        rt_print("STATUS LINE - NEVER SCROLLS", false);
        rt_locate(1, 1, 0, 0, 0, 3);
        for (int i = 1; i <= lines; ++i) {
            rt_print("LINE " + std::to_string(i) + "\tTAB", false);
            rt_print_comma();
            rt_print("ZONE", true);
        }
        rt_print("A long line that does not fit in one row of the screen, so it wraps onto the "
                 "next row and goes on there.",
                 true);
        rt_print(std::string(80, '#'), false); // fills the row exactly: the new line is owed
        rt_print("\xc9\xcd\xcd\xbb box \x01\x02", true);
    }
};

TEST_F(TextOnPixelPages, Mode2PageOfMixedText) {
    rt_screen(2, 0, 0, 0, 0, 1);
    print_mixed_page(26);
    EXPECT_TRUE(page_matches_expected(screen(), "screen/text_mode2.pgm"));
}

TEST_F(TextOnPixelPages, Mode12PageOfMixedTextInColour) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_color(14, 1, 0, 3);
    rt_cls(0, 0, 0);
    print_mixed_page(24);
    rt_color(12, 0, 0, 3);
    rt_print("RED ON BLACK, THEN SCROLLED ONCE", true);
    rt_color(15, 2, 0, 3);
    for (int i = 0; i < 3; ++i) rt_print("WHITE ON GREEN", true);
    EXPECT_TRUE(page_matches_expected(screen(), "screen/text_mode12.pgm"));
}

TEST_F(TextOnPixelPages, ScrollMovesWholeCellsAndFillsWithTheBackground) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_print(std::string(1, '\xdb'), true); // full block on row 1
    rt_color(15, 4, 0, 3);
    for (int i = 0; i < 28; ++i) rt_print("", true);
    EXPECT_EQ(screen().cursor_row, 29);
    // The block scrolled off; the new row 29 is filled with background 4; row 30 untouched.
    EXPECT_EQ(pixel(0, 0), 0);
    EXPECT_EQ(pixel(3, 28 * 16 + 5), 4);
    EXPECT_EQ(pixel(3, 29 * 16 + 5), 0);
    rt_print(std::string(1, '\xdb'), true);
    EXPECT_EQ(pixel(0, 27 * 16), 15); // the block moved up one line with the scroll
}

TEST_F(TextOnPixelPages, EightyCellsOnAPixelRowLeaveAPendingWrap) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_print(std::string(80, 'W'), false);
    EXPECT_EQ(screen().cursor_col, 80);
    EXPECT_EQ(screen().pending_wrap, 1);
    rt_print("X", false);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 2);
}

TEST_F(TextOnPixelPages, FortyColumnModeWrapsAtForty) {
    rt_screen(13, 0, 0, 0, 0, 1);
    rt_print(std::string(41, 'M'), false);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 2);
    rt_locate(1, 35, 0, 0, 0, 3);
    rt_print_wrap_check(rt_string_from_text("SEVEN77"));
    EXPECT_EQ(screen().cursor_row, 2);
}

TEST_F(TextOnPixelPages, ClsFillsThePageAndCentresTheGraphicsCursor) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_print("TEXT", true);
    screen().gfx_x = 5;
    rt_cls(0, 9, 3);
    EXPECT_EQ(pixel(0, 0), 9);
    EXPECT_EQ(pixel(639, 479), 9);
    EXPECT_EQ(screen().gfx_x, 320.0f);
    EXPECT_EQ(screen().gfx_y, 240.0f);
    rt_cls(0, 16, 2);
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(TextOnPixelPages, ClsOfTheViewPortAndOfThePrintRegion) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_cls(0, 1, 3);
    screen().coord_mode = 1;
    screen().view_x1 = 10;
    screen().view_y1 = 20;
    screen().view_x2 = 19;
    screen().view_y2 = 29;
    rt_cls(1, 2, 3);
    EXPECT_EQ(pixel(10, 20), 2);
    EXPECT_EQ(pixel(19, 29), 2);
    EXPECT_EQ(pixel(20, 29), 1);
    EXPECT_EQ(pixel(9, 20), 1);
    EXPECT_EQ(screen().gfx_x, 5.0f);
    rt_view_print(2, 3, 3);
    rt_cls(2, 3, 3);
    EXPECT_EQ(pixel(0, 15), 1);
    EXPECT_EQ(pixel(0, 16), 3);
    EXPECT_EQ(pixel(0, 47), 3);
    EXPECT_EQ(pixel(0, 48), 1);
    EXPECT_EQ(screen().cursor_row, 2);
}

TEST_F(TextOnPixelPages, ThirtyTwoBitPageScrollsWithItsBackground) {
    const int32_t handle = rt_new_image(16, 48, 32, 1);
    rt_select_dest(handle);
    rt_image& image = image_state.table[-handle];
    EXPECT_EQ(image_columns(image), 2);
    EXPECT_EQ(image.print_bottom, 2);
    rt_print("AB", true);
    rt_print("CD", true);
    rt_print("EF", true); // scrolls: the first line goes
    const auto* p = reinterpret_cast<const uint32_t*>(image.pixels);
    EXPECT_EQ(image.cursor_row, 2);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(p[size_t(16 + 8) * 16 + x], 0xFF000000u);
}

TEST_F(TextOnPixelPages, TabOnAnImageNarrowerThanOneTabStopEndsAtTheNextRow) {
    rt_select_dest(rt_new_image(40, 64, 12, 1)); // 5 columns, 4 rows
    rt_print("A\tB", false);
    EXPECT_EQ(image_state.dest->cursor_row, 2);
    EXPECT_EQ(image_state.dest->cursor_col, 2) << "B printed at the start of the next row";
}

} // namespace

// The line editor's cursor on pixel pages: an inverted cell, or a blinking one-pixel bar.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/input_cursor.h"

namespace {

class InputCursor : public ::testing::Test {
  protected:
    void SetUp() override {
        rt_strings_init();
        rt_low_memory_reset();
        rt_fonts_init();
        rt_screen_init();
    }
    static rt_image& image_of_mode(int32_t mode, int32_t width, int32_t height) {
        const int32_t slot = image_create(width, height, mode, nullptr);
        EXPECT_GT(slot, 0);
        return image_state.table[slot];
    }
    // Number of pixels (bytes of 1-byte pages) that are not zero, and their bounding box.
    struct marked {
        int count = 0;
        int x1 = 1 << 30, y1 = 1 << 30, x2 = -1, y2 = -1;
    };
    static marked marked_pixels(const rt_image& image) {
        marked m;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                uint32_t pixel = 0;
                std::memcpy(&pixel,
                            image.pixels + (size_t(y) * image.width + x) * image.bytes_per_pixel,
                            image.bytes_per_pixel);
                if (!pixel) continue;
                ++m.count;
                m.x1 = std::min(m.x1, x);
                m.y1 = std::min(m.y1, y);
                m.x2 = std::max(m.x2, x);
                m.y2 = std::max(m.y2, y);
            }
        return m;
    }
};

TEST_F(InputCursor, SixteenColourPageGetsASteadyInvertedCell) {
    rt_image& page = image_of_mode(12, 640, 480);
    page.cursor_col = 3;
    page.cursor_row = 2;
    EXPECT_TRUE(input_cursor_wanted(page, 0));
    EXPECT_TRUE(input_cursor_wanted(page, 512));
    input_cursor cursor{};
    input_cursor_draw(page, cursor);
    const marked m = marked_pixels(page);
    EXPECT_EQ(m.count, 8 * 16);
    EXPECT_EQ(m.x1, 16);
    EXPECT_EQ(m.y1, 16);
    EXPECT_EQ(m.x2, 23);
    EXPECT_EQ(m.y2, 31);
    EXPECT_EQ(page.pixels[16 * 640 + 16], 15); // the foreground colour
    input_cursor_draw(page, cursor);           // already drawn: no second inversion
    EXPECT_EQ(marked_pixels(page).count, 8 * 16);
    input_cursor_remove(page, cursor);
    EXPECT_EQ(marked_pixels(page).count, 0);
}

TEST_F(InputCursor, InversionKeepsWhatIsUnderTheCursor) {
    rt_image& page = image_of_mode(12, 640, 480);
    page.pixels[5] = 15; // a lit pixel inside the first cell
    input_cursor cursor{};
    input_cursor_draw(page, cursor);
    EXPECT_EQ(page.pixels[5], 0);
    input_cursor_remove(page, cursor);
    EXPECT_EQ(page.pixels[5], 15);
    EXPECT_EQ(marked_pixels(page).count, 1);
}

TEST_F(InputCursor, TwoFiftySixColourPageGetsABlinkingBar) {
    rt_image& page = image_of_mode(13, 320, 200);
    page.cursor_col = 5;
    page.cursor_row = 3;
    EXPECT_TRUE(input_cursor_wanted(page, 0));
    EXPECT_FALSE(input_cursor_wanted(page, 512));
    EXPECT_FALSE(input_cursor_wanted(page, 1023));
    EXPECT_TRUE(input_cursor_wanted(page, 1024));
    input_cursor cursor{};
    input_cursor_draw(page, cursor);
    const marked m = marked_pixels(page);
    EXPECT_EQ(m.count, 8); // one pixel wide, as high as the 8x8 font
    EXPECT_EQ(m.x1, 32);
    EXPECT_EQ(m.x2, 32);
    EXPECT_EQ(m.y1, 16);
    EXPECT_EQ(m.y2, 23);
}

TEST_F(InputCursor, ThirtyTwoBitPageKeepsAlpha) {
    rt_image& page = image_of_mode(32, 64, 32);
    input_cursor cursor{};
    input_cursor_draw(page, cursor);
    uint32_t pixel = 0;
    std::memcpy(&pixel, page.pixels, 4);
    EXPECT_EQ(pixel, 0x00FFFFFFu);
    EXPECT_EQ(marked_pixels(page).count, 16);
    input_cursor_remove(page, cursor);
    EXPECT_EQ(marked_pixels(page).count, 0);
}

TEST_F(InputCursor, TextPagesLeaveItToTheDisplay) {
    rt_image& page = image_of_mode(0, 80, 25);
    std::vector<uint8_t> before(page.pixels, page.pixels + 80 * 25 * 2);
    EXPECT_FALSE(input_cursor_wanted(page, 0));
    input_cursor cursor{};
    input_cursor_draw(page, cursor);
    EXPECT_FALSE(cursor.drawn);
    EXPECT_EQ(std::vector<uint8_t>(page.pixels, page.pixels + 80 * 25 * 2), before);
}

} // namespace

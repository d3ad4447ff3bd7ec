// Colour values for palette and 32-bit images: nearest palette entries, packing with and
// without alpha, and the components of a colour.
#include <gtest/gtest.h>

#include "runtime/screen/colour_values.h"
#include "runtime/screen/image_properties.h"
#include "tests/support/screen_start.h"

namespace {

constexpr uint32_t image_given = 1;

struct nearest_case {
    int32_t red, green, blue;
    uint32_t index;
};

TEST(nearest_index, on_a_sixteen_colour_page) {
    start_screen();
    const int32_t page = rt_new_image(8, 8, 12, 1);
    const nearest_case cases[] = {
        {255, 255, 255, 15}, {170, 85, 0, 6},    {300, -5, 0, 4}, // clamped to (255, 0, 0)
        {0, 0, 0, 0},        {85, 85, 255, 9},   {90, 80, 250, 9},
        {250, 250, 90, 14},  {-100, 500, -1, 2}, // (0, 255, 0): 00AA00 is 85 away, 55FF55 170
        {128, 128, 128, 7},                      // AAAAAA is 126 away, 555555 129
    };
    for (const nearest_case& c : cases) {
        EXPECT_EQ(rt_rgb(c.red, c.green, c.blue, page, image_given), c.index)
            << c.red << "," << c.green << "," << c.blue;
    }
    EXPECT_EQ(take_error(), 0u);
}

TEST(nearest_index, text_pages_search_their_sixteen_colours) {
    start_screen();
    rt_set_palette_colour(20, 0xFFFFFF, 0, 0); // a better match beyond the 16 is not seen
    EXPECT_EQ(rt_rgb(255, 255, 255, 0, 0), 15u);
    rt_set_palette_colour(3, 0x010101, 0, 0);
    EXPECT_EQ(rt_rgb(1, 1, 1, 0, 0), 3u) << "an exact match is taken at once";
}

TEST(nearest_index, first_of_equal_distances_wins) {
    start_screen();
    const int32_t page = rt_new_image(8, 8, 13, 1);
    for (int32_t i = 0; i < 256; ++i) rt_set_palette_colour(i, 0x808080, page, 1);
    // Entries 40 and 41 are both 10 away from (100, 100, 100), every other entry 84.
    rt_set_palette_colour(40, 0x6E6464, page, 1);
    rt_set_palette_colour(41, 0x5A6464, page, 1);
    EXPECT_EQ(rt_rgb(100, 100, 100, page, image_given), 40u);
    rt_set_palette_colour(40, 0x5A6464, page, 1);
    rt_set_palette_colour(41, 0x6E6464, page, 1);
    EXPECT_EQ(rt_rgb(100, 100, 100, page, image_given), 40u);
    rt_set_palette_colour(39, 0x646464 + 0x000001, page, 1); // 1 away: strictly nearer
    EXPECT_EQ(rt_rgb(100, 100, 100, page, image_given), 39u);
}

TEST(nearest_index, two_colour_page_searches_two_entries) {
    start_screen();
    const int32_t page = rt_new_image(8, 8, 2, 1);
    EXPECT_EQ(rt_rgb(200, 200, 200, page, image_given), 1u);
    EXPECT_EQ(rt_rgb(100, 100, 100, page, image_given), 0u);
}

TEST(packing, on_32_bit_images_clamps_and_packs) {
    start_screen();
    const int32_t deep = rt_new_image(2, 2, 32, 1);
    EXPECT_EQ(rt_rgb(0x12, 0x34, 0x56, deep, image_given), 0xFF123456u);
    EXPECT_EQ(rt_rgb(300, -5, 255, deep, image_given), 0xFFFF00FFu);
    EXPECT_EQ(rt_rgba(1, 2, 3, 4, deep, image_given), 0x04010203u);
    EXPECT_EQ(rt_rgba(1, 2, 3, 999, deep, image_given), 0xFF010203u);
    EXPECT_EQ(rt_rgba(1, 2, 3, -9, deep, image_given), 0x00010203u);
}

TEST(packing, alpha_0_on_a_palette_image_gives_its_transparent_colour) {
    start_screen();
    const int32_t page = rt_new_image(2, 2, 13, 1);
    EXPECT_EQ(rt_rgba(255, 255, 255, 0, page, image_given), 15u) << "none set: nearest";
    rt_set_transparent(77, page, 1 | 2);
    EXPECT_EQ(rt_rgba(255, 255, 255, 0, page, image_given), 77u);
    EXPECT_EQ(rt_rgba(255, 255, 255, 1, page, image_given), 15u);
}

TEST(components, of_32_bit_colours_are_its_bytes) {
    start_screen();
    const int32_t deep = rt_new_image(2, 2, 32, 1);
    const uint32_t colour = 0x80C0E0F0;
    EXPECT_EQ(rt_alpha_of(colour, deep, image_given), 0x80u);
    EXPECT_EQ(rt_red_of(colour, deep, image_given), 0xC0u);
    EXPECT_EQ(rt_green_of(colour, deep, image_given), 0xE0u);
    EXPECT_EQ(rt_blue_of(colour, deep, image_given), 0xF0u);
}

TEST(components, of_palette_colours_are_the_bytes_of_their_entry) {
    start_screen();
    const int32_t page = rt_new_image(2, 2, 12, 1);
    EXPECT_EQ(rt_red_of(6, page, image_given), 0xAAu);
    EXPECT_EQ(rt_green_of(6, page, image_given), 0x55u);
    EXPECT_EQ(rt_blue_of(6, page, image_given), 0u);
    EXPECT_EQ(rt_alpha_of(6, page, image_given), 255u);
    rt_set_transparent(6, page, 1 | 2);
    EXPECT_EQ(rt_alpha_of(6, page, image_given), 0u);
    EXPECT_EQ(rt_alpha_of(5, page, image_given), 255u);
    EXPECT_EQ(take_error(), 0u);
}

TEST(components, of_colours_beyond_the_palette_raise_5) {
    start_screen();
    const int32_t page = rt_new_image(2, 2, 12, 1);
    for (uint32_t (*component)(uint32_t, int32_t, uint32_t) :
         {rt_alpha_of, rt_red_of, rt_green_of, rt_blue_of}) {
        EXPECT_EQ(component(16, page, image_given), 0u);
        EXPECT_EQ(take_error(), err_illegal_function_call);
        EXPECT_EQ(component(16, 0, 0), 0u) << "text pages have 16 colours";
        EXPECT_EQ(take_error(), err_illegal_function_call);
    }
}

TEST(colour_values, answer_0_while_an_error_is_pending) {
    start_screen();
    const int32_t deep = rt_new_image(2, 2, 32, 1);
    rt_raise_error(err_overflow);
    EXPECT_EQ(rt_rgb(1, 2, 3, deep, image_given), 0u);
    EXPECT_EQ(rt_rgba(1, 2, 3, 4, deep, image_given), 0u);
    EXPECT_EQ(rt_red_of(0xFFFFFFFF, deep, image_given), 0u);
    EXPECT_EQ(take_error(), err_overflow);
}

} // namespace

// Image queries and switches as a program sees them: answers per kind of image, the
// settings' effect on later answers and on pixels, and the errors they raise.
#include <gtest/gtest.h>

#include <string>

#include "runtime/screen/image_properties.h"
#include "tests/support/screen_start.h"

namespace {

constexpr uint32_t image_given = 1;

// A new image of the given mode, made the destination; answers its handle.
int32_t new_dest(int32_t width, int32_t height, int32_t mode) {
    const int32_t handle = rt_new_image(width, height, mode, 1);
    rt_select_dest(handle);
    return handle;
}

uint32_t* pixels32(int32_t handle) {
    return reinterpret_cast<uint32_t*>(image_state.table[-handle].pixels);
}

struct query_case {
    const char* name;
    int32_t mode, width, height;
    int32_t pixel_size, transparent, blending;
    uint32_t fg, bg;
    int32_t font;
};

class image_queries : public testing::TestWithParam<query_case> {};

TEST_P(image_queries, answer_the_fields_of_a_new_image) {
    start_screen();
    const query_case c = GetParam();
    const int32_t handle = rt_new_image(c.width, c.height, c.mode, 1);
    EXPECT_EQ(rt_image_width(handle, image_given), c.width);
    EXPECT_EQ(rt_image_height(handle, image_given), c.height);
    EXPECT_EQ(rt_pixel_size(handle, image_given), c.pixel_size);
    EXPECT_EQ(rt_transparent_colour(handle, image_given), c.transparent);
    EXPECT_EQ(rt_blending(handle, image_given), c.blending);
    EXPECT_EQ(rt_default_colour(handle, image_given), c.fg);
    EXPECT_EQ(rt_background_colour(handle, image_given), c.bg);
    EXPECT_EQ(rt_image_font(handle, image_given), c.font);
    EXPECT_EQ(rt_print_mode(handle, image_given), 3);
    EXPECT_EQ(take_error(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    kinds, image_queries,
    testing::Values(query_case{"text", 0, 80, 25, 0, -1, 0, 7, 0, 16},
                    query_case{"sixteen_colours", 12, 64, 48, 1, -1, 0, 15, 0, 16},
                    query_case{"two_colours", 2, 64, 16, 1, -1, 0, 1, 0, 8},
                    query_case{"custom_8_bit", 256, 33, 17, 1, -1, 0, 15, 0, 16},
                    query_case{"custom_32_bit", 32, 40, 20, 4, 0, -1, 0xFFFFFFFF, 0xFF000000, 16}),
    [](const testing::TestParamInfo<query_case>& info) { return info.param.name; });

TEST(image_argument, defaults_to_the_destination_and_creates_missing_pages) {
    start_screen();
    new_dest(123, 45, 13);
    EXPECT_EQ(rt_image_width(0, 0), 123);
    EXPECT_EQ(rt_image_width(0, image_given), 80) << "page 0, the text screen";
    ASSERT_LT(image_state.page_list_size, 10);
    EXPECT_EQ(rt_image_height(9, image_given), 25) << "page 9 is made like page 0";
    ASSERT_GE(image_state.page_list_size, 10);
    EXPECT_NE(image_state.page_list[9], 0);
}

TEST(image_argument, dead_handle_raises_258_and_answers_0) {
    start_screen();
    const int32_t handle = rt_new_image(10, 10, 32, 1);
    rt_free_image(handle, 1);
    EXPECT_EQ(rt_image_width(handle, image_given), 0);
    EXPECT_EQ(take_error(), err_invalid_handle);
    rt_set_print_mode(2, handle, 2);
    EXPECT_EQ(take_error(), err_invalid_handle);
}

TEST(pending_error, makes_every_query_answer_0_and_every_setting_do_nothing) {
    start_screen();
    const int32_t handle = new_dest(10, 10, 32);
    rt_raise_error(err_illegal_function_call);
    EXPECT_EQ(rt_image_width(0, 0), 0);
    EXPECT_EQ(rt_default_colour(0, 0), 0u);
    EXPECT_EQ(rt_palette_colour(1, 0, 0), 0u);
    EXPECT_EQ(rt_font_height(16, 1), 0);
    rt_blend_off(0, 0);
    rt_set_alpha(7, 0, 0, 0, 0);
    rt_set_print_mode(2, 0, 0);
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_EQ(rt_blending(handle, image_given), -1);
    EXPECT_EQ(pixels32(handle)[0], 0u);
    EXPECT_EQ(rt_print_mode(handle, image_given), 3);
}

TEST(blending, switches_only_on_32_bit_images) {
    start_screen();
    const int32_t deep = rt_new_image(4, 4, 32, 1);
    const int32_t paletted = rt_new_image(4, 4, 13, 1);
    rt_blend_off(deep, image_given);
    EXPECT_EQ(rt_blending(deep, image_given), 0);
    rt_blend_on(deep, image_given);
    EXPECT_EQ(rt_blending(deep, image_given), -1);
    rt_blend_off(paletted, image_given);
    EXPECT_EQ(take_error(), 0u) << "blending off on a palette image does nothing";
    rt_blend_on(paletted, image_given);
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

TEST(transparent_colour, is_set_and_cleared_on_palette_images) {
    start_screen();
    const int32_t handle = rt_new_image(4, 4, 13, 1);
    rt_set_transparent(200, handle, 1 | 2);
    EXPECT_EQ(rt_transparent_colour(handle, image_given), 200);
    rt_set_transparent(0, handle, 2);
    EXPECT_EQ(rt_transparent_colour(handle, image_given), -1);
    rt_set_transparent(256, handle, 1 | 2);
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_EQ(rt_transparent_colour(handle, image_given), -1);
}

TEST(transparent_colour, text_pages_accept_only_the_form_without_colour) {
    start_screen();
    rt_set_transparent(0, 0, 0);
    EXPECT_EQ(take_error(), 0u);
    rt_set_transparent(3, 0, 1);
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

TEST(transparent_colour, on_32_bit_images_clears_the_alpha_of_every_pixel_of_that_colour) {
    start_screen();
    const int32_t handle = new_dest(4, 1, 32);
    uint32_t* p = pixels32(handle);
    const uint32_t before[4] = {0xFF000000, 0x80000000, 0xFF000001, 0xFF102030};
    std::copy(before, before + 4, p);
    rt_set_transparent(0xFF000000, 0, 1);
    EXPECT_EQ(p[0], 0x00000000u);
    EXPECT_EQ(p[1], 0x00000000u) << "black at any alpha";
    EXPECT_EQ(p[2], 0xFF000001u);
    EXPECT_EQ(p[3], 0xFF102030u);
    EXPECT_EQ(rt_transparent_colour(0, 0), 0);
    rt_set_transparent(0, 0, 0);
    EXPECT_EQ(take_error(), err_illegal_function_call) << "no colour on a 32-bit image";
}

TEST(print_mode, stores_the_mapped_mode_and_answers_it) {
    start_screen();
    const int32_t handle = rt_new_image(8, 8, 12, 1);
    const struct {
        int32_t n, stored;
    } steps[] = {{2, 1}, {3, 2}, {1, 3}, {3, 2}, {0, 2}, {4, 2}, {-1, 2}};
    for (const auto& step : steps) {
        rt_set_print_mode(step.n, handle, 2);
        EXPECT_EQ(rt_print_mode(handle, image_given), step.stored) << "after " << step.n;
    }
    EXPECT_EQ(take_error(), 0u);
}

TEST(print_mode, text_pages_accept_only_both_colours) {
    start_screen();
    rt_set_print_mode(1, 0, 0);
    EXPECT_EQ(take_error(), 0u);
    for (int32_t n : {2, 3, 0}) {
        rt_set_print_mode(n, 0, 0);
        EXPECT_EQ(take_error(), err_illegal_function_call) << n;
        EXPECT_EQ(rt_print_mode(0, 0), 3);
    }
}

TEST(palette_colour, stores_all_32_bits_and_reads_back_opaque) {
    start_screen();
    const int32_t handle = rt_new_image(4, 4, 13, 1);
    rt_set_palette_colour(255, 0x12345678, handle, 1);
    EXPECT_EQ(image_state.table[-handle].palette[255], 0x12345678u);
    EXPECT_EQ(rt_palette_colour(255, handle, 1), 0xFF345678u);
    EXPECT_EQ(rt_palette_colour(4, handle, 1), 0xFFAA0000u);
    EXPECT_EQ(take_error(), 0u);
}

TEST(palette_colour, refuses_indices_outside_the_palette_and_32_bit_images) {
    start_screen();
    const int32_t paletted = rt_new_image(4, 4, 13, 1);
    const int32_t deep = rt_new_image(4, 4, 32, 1);
    const struct { int32_t index, image; } refused[] = {{256, paletted}, {-1, paletted}, {0, deep}};
    for (const auto& r : refused) {
        EXPECT_EQ(rt_palette_colour(r.index, r.image, 1), 0u);
        EXPECT_EQ(take_error(), err_illegal_function_call);
        rt_set_palette_colour(r.index, 1, r.image, 1);
        EXPECT_EQ(take_error(), err_illegal_function_call);
    }
}

TEST(copy_palette, copies_every_entry_from_the_source_image) {
    start_screen();
    const int32_t from = rt_new_image(4, 4, 13, 1);
    const int32_t to = rt_new_image(4, 4, 13, 1);
    for (int32_t i = 0; i < 256; ++i) rt_set_palette_colour(i, uint32_t(i) * 0x010203, from, 1);
    rt_select_source(from);
    rt_select_dest(to);
    rt_copy_palette(0, 0, 0);
    for (int32_t i = 0; i < 256; ++i)
        ASSERT_EQ(image_state.table[-to].palette[i], uint32_t(i) * 0x010203) << i;
    const int32_t deep = rt_new_image(4, 4, 32, 1);
    rt_copy_palette(from, deep, 1 | 2);
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

struct alpha_case {
    const char* name;
    int32_t alpha;
    uint32_t first, second, given;
    uint32_t after[6];
};

// The same six pixels before every case.
constexpr uint32_t alpha_pixels[6] = {0xFF000000, 0xFFFF0000, 0xFF800000,
                                      0xFF000100, 0x80FF0000, 0xFF0000FF};

class set_alpha : public testing::TestWithParam<alpha_case> {};

TEST_P(set_alpha, changes_the_alpha_of_exactly_the_chosen_pixels) {
    start_screen();
    const alpha_case c = GetParam();
    const int32_t handle = new_dest(6, 1, 32);
    uint32_t* p = pixels32(handle);
    std::copy(alpha_pixels, alpha_pixels + 6, p);
    rt_set_alpha(c.alpha, c.first, c.second, 0, c.given);
    EXPECT_EQ(take_error(), 0u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p[i], c.after[i]) << "pixel " << i;
}

INSTANTIATE_TEST_SUITE_P(
    colours, set_alpha,
    testing::Values(
        alpha_case{"every_pixel",
                   9,
                   0,
                   0,
                   0,
                   {0x09000000, 0x09FF0000, 0x09800000, 0x09000100, 0x09FF0000, 0x090000FF}},
        alpha_case{"one_colour",
                   0,
                   0xFFFF0000,
                   0,
                   1,
                   {0xFF000000, 0x00FF0000, 0xFF800000, 0xFF000100, 0x80FF0000, 0xFF0000FF}},
        alpha_case{"two_equal_colours",
                   5,
                   0xFF000000,
                   0xFF000000,
                   3,
                   {0x05000000, 0xFFFF0000, 0xFF800000, 0xFF000100, 0x80FF0000, 0xFF0000FF}},
        // Green and blue must be 0; any red, any alpha.
        alpha_case{"range_of_red_and_alpha",
                   128,
                   0x00000000,
                   0xFFFF0000,
                   3,
                   {0x80000000, 0x80FF0000, 0x80800000, 0xFF000100, 0x80FF0000, 0xFF0000FF}},
        alpha_case{"range_given_high_first",
                   1,
                   0xFF900000,
                   0x80000000,
                   3,
                   {0x01000000, 0xFFFF0000, 0x01800000, 0xFF000100, 0x80FF0000, 0xFF0000FF}}),
    [](const testing::TestParamInfo<alpha_case>& info) { return info.param.name; });

TEST(set_alpha_refusals, need_a_32_bit_image_and_an_alpha_of_0_to_255) {
    start_screen();
    const int32_t deep = rt_new_image(2, 1, 32, 1);
    const int32_t paletted = rt_new_image(2, 1, 13, 1);
    const struct {
        int32_t alpha, image;
    } refused[] = {{256, deep}, {-1, deep}, {0, paletted}, {0, 0}};
    for (const auto& r : refused) {
        rt_set_alpha(r.alpha, 0, 0, r.image, 4);
        EXPECT_EQ(take_error(), err_illegal_function_call) << r.alpha << " on " << r.image;
    }
    EXPECT_EQ(pixels32(deep)[0], 0u);
}

TEST(font_size_queries, answer_the_cell_of_a_given_or_the_destination_font) {
    start_screen();
    const struct { int32_t font, width, height; } fonts[] = {{8, 8, 8}, {14, 8, 14}, {16, 8, 16}};
    for (const auto& f : fonts) {
        EXPECT_EQ(rt_font_width(f.font, 1), f.width);
        EXPECT_EQ(rt_font_height(f.font, 1), f.height);
    }
    rt_width(0, 40, 25, 3); // the 40-column screen's double-width font
    EXPECT_EQ(rt_font_width(0, 0), 16);
    EXPECT_EQ(rt_font_height(0, 0), 16);
    for (int32_t refused : {9, 15, 17, 0, 32, -1}) {
        EXPECT_EQ(rt_font_width(refused, 1), 0);
        EXPECT_EQ(take_error(), err_invalid_handle) << refused;
    }
}

} // namespace

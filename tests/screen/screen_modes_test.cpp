// Screen modes, pages, colours and palettes as the program and the display see them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"

#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/screen_start.h"

namespace {

rt_image& page(int n) {
    return image_state.table[image_state.page_list[n]];
}
uint32_t opaque(uint32_t rgb) {
    return 0xFF000000u | rgb;
}

std::vector<uint32_t> standard_colours() {
    return {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
            0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
}

struct mode_case {
    int32_t mode;
    int width, height, bits, font, columns, rows;
    int32_t fg;
    std::vector<uint32_t> palette_head; // the first entries after the mode change
    int palette_from = 0;               // index of the first entry of palette_head
};

std::vector<mode_case> mode_cases() {
    std::vector<uint32_t> standard;
    for (uint32_t c : standard_colours()) standard.push_back(opaque(c));
    const std::vector<uint32_t> mode9 = {
        opaque(0x000000), opaque(0x0000AA), opaque(0x00AA00), opaque(0x00AAAA),
        opaque(0xAA0000), opaque(0xAA00AA), opaque(0xAA5500), opaque(0xAAAAAA),
        opaque(0x555555), opaque(0x5555FF), opaque(0x55FF55), opaque(0x55FFFF),
        opaque(0xFF5555), opaque(0xFF55FF), opaque(0xFFFF55), opaque(0xFFFFFF)};
    return {
        {0, 80, 25, 16, 16, 80, 25, 7, standard},
        {1, 320, 200, 2, 8, 40, 25, 3, {standard[0], standard[3], standard[5], standard[7]}},
        {2, 640, 200, 1, 8, 80, 25, 1, {0x000000, 0xFFFFFF}},
        {7, 320, 200, 4, 8, 40, 25, 15, standard},
        {8, 640, 200, 4, 8, 80, 25, 15, standard},
        {9, 640, 350, 4, 14, 80, 25, 15, mode9},
        {10, 640, 350, 2, 14, 80, 25, 3, {0, 4, 6, 8}, 4},
        {11, 640, 480, 1, 16, 80, 30, 1, {0x000000, 0xFFFFFF}},
        {12, 640, 480, 4, 16, 80, 30, 15, standard},
        {13, 320, 200, 8, 8, 40, 25, 15, standard},
    };
}

class ScreenModeTable : public ::testing::TestWithParam<mode_case> {
  protected:
    void SetUp() override { start_screen(); }
};

TEST_P(ScreenModeTable, PageSizeGridColoursAndPalette) {
    const mode_case& c = GetParam();
    rt_screen(c.mode, 0, 0, 0, 0, 1);
    ASSERT_EQ(error_state.error_pending, 0u);
    const rt_image& screen = page(0);
    EXPECT_EQ(screen.mode, c.mode);
    EXPECT_EQ(screen.width, c.width);
    EXPECT_EQ(screen.height, c.height);
    EXPECT_EQ(screen.bits_per_pixel, c.bits);
    EXPECT_EQ(screen.colour_mask, (1u << c.bits) - 1);
    EXPECT_EQ(screen.font, c.font);
    EXPECT_EQ(image_columns(screen), c.columns);
    EXPECT_EQ(image_rows(screen), c.rows);
    EXPECT_EQ(screen.fg_colour, c.fg);
    EXPECT_EQ(screen.bg_colour, 0u);
    EXPECT_EQ(screen.print_top, 1);
    EXPECT_EQ(screen.print_bottom, c.rows - 1);
    EXPECT_EQ(screen.cursor_row, 1);
    EXPECT_EQ(screen.cursor_col, 1);
    for (size_t i = 0; i < c.palette_head.size(); ++i)
        EXPECT_EQ(screen.palette[c.palette_from + i], c.palette_head[i]) << "entry " << i;
    EXPECT_EQ(image_state.dest_image, image_state.page_list[0]);
    EXPECT_EQ(image_state.source_image, image_state.page_list[0]);
    EXPECT_EQ(image_state.visible_page.load(), image_state.page_list[0]);
    EXPECT_TRUE(screen.flags & image_screen_page);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ScreenModeTable, ::testing::ValuesIn(mode_cases()),
                         [](const auto& info) { return "mode" + std::to_string(info.param.mode); });

class ScreenModes : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
};

TEST_F(ScreenModes, StartUpScreenIsEightTextPagesInVideoMemory) {
    ASSERT_GE(image_state.page_list_size, 8);
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(page(n).pixels, low_memory + 0xB8000 + n * 4096) << "page " << n;
        EXPECT_EQ(page(n).palette, page(0).palette);
    }
    EXPECT_EQ(page(0).cursor_visible, 0);
    EXPECT_EQ(low_memory[0xB8000], ' ');
    EXPECT_EQ(low_memory[0xB8001], 7);
    EXPECT_EQ(low_memory[0xB8000 + 65535], 7);
}

TEST_F(ScreenModes, Mode13PageLivesInVideoMemory) {
    std::memset(low_memory + 0xA0000, 9, 64000);
    rt_screen(13, 0, 0, 0, 0, 1);
    EXPECT_EQ(page(0).pixels, low_memory + 0xA0000);
    EXPECT_EQ(low_memory[0xA0000 + 63999], 0);
    EXPECT_EQ(page(0).palette[200], opaque(default_palette_256[200]));
}

TEST_F(ScreenModes, DefaultPaletteHasGreyRampAndColourWheel) {
    EXPECT_EQ(image_state.default_palette[16], opaque(0x000000));
    EXPECT_EQ(image_state.default_palette[24], opaque(0x717171));
    EXPECT_EQ(image_state.default_palette[31], opaque(0xFFFFFF));
    EXPECT_EQ(image_state.default_palette[32], opaque(0x0000FF));
    EXPECT_EQ(image_state.default_palette[33], opaque(0x4100FF));
    EXPECT_EQ(image_state.default_palette[55], opaque(0x0041FF));
    EXPECT_EQ(image_state.default_palette[104], opaque(0x000071));
    EXPECT_EQ(image_state.default_palette[247], opaque(0x2D3141));
    EXPECT_EQ(image_state.default_palette[255], opaque(0x000000));
    EXPECT_EQ(image_state.ega_palette[20], opaque(0xAA5500));
    EXPECT_EQ(image_state.ega_palette[63], opaque(0xFFFFFF));
    EXPECT_EQ(image_state.mono_attribute_colours[5][0], opaque(0x808080)); // 5 / 3 = 1
    EXPECT_EQ(image_state.mono_attribute_colours[5][1], opaque(0xFFFFFF)); // 5 mod 3 = 2
}

TEST_F(ScreenModes, ModeChangeHoldsTheFrameLockOnceAndReleasesIt) {
    run_control.display_running.store(1);
    std::atomic<bool> stop{false};
    std::atomic<int> grants{0};
    std::thread frame_builder([&] {
        while (!stop.load()) {
            if (run_control.frame_lock.load() == 1) {
                rt_frame_lock_acknowledge();
                grants.fetch_add(1);
            }
            rt_sleep_ms(0);
        }
    });
    rt_screen(12, 0, 2, 0, 0, 1 | 4);
    const int32_t lock_after = run_control.frame_lock.load();
    stop.store(true);
    frame_builder.join();
    run_control.display_running.store(0);
    EXPECT_EQ(lock_after, 0);
    EXPECT_EQ(grants.load(), 1);
    EXPECT_EQ(image_state.visible_page.load(), image_state.page_list[2]);
}

TEST_F(ScreenModes, TextModeAloneKeepsTheText) {
    rt_print("KEEP ME", true);
    const uint32_t generation = image_state.screen_generation.load();
    rt_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(text_row(page(0), 1), "KEEP ME");
    EXPECT_EQ(image_state.screen_generation.load(), generation);
}

TEST_F(ScreenModes, ModeChangeTellsTheDisplayAndClearsThePages) {
    rt_print("GONE", true);
    const uint32_t generation = image_state.screen_generation.load();
    rt_screen(12, 0, 0, 0, 0, 1);
    EXPECT_NE(image_state.screen_generation.load(), generation);
    rt_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(text_rows(page(0)), std::vector<std::string>{});
}

TEST_F(ScreenModes, ModeChangeResetsTheViewPrintRegion) {
    rt_view_print(3, 10, 3);
    rt_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(page(0).print_top, 1);
    EXPECT_EQ(page(0).print_bottom, 29);
    rt_view_print(0, 0, 0);
    rt_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(page(0).print_top, 1);
    EXPECT_EQ(page(0).print_bottom, 24);
}

TEST_F(ScreenModes, BadModesAndPagesRaiseErrors) {
    for (int32_t mode : {3, 4, 5, 6, 14, 32, 256}) {
        rt_screen(mode, 0, 0, 0, 0, 1);
        EXPECT_EQ(take_error(), 5u) << "mode " << mode;
    }
    rt_screen(-77, 0, 0, 0, 0, 1);
    EXPECT_EQ(take_error(), 258u);
    rt_screen(0, 0, -1, 0, 0, 4);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(page(0).mode, 0);
}

TEST_F(ScreenModes, ActivePageAloneAlsoShowsIt) {
    rt_screen(0, 0, 2, 0, 0, 4);
    EXPECT_EQ(image_state.dest_image, image_state.page_list[2]);
    EXPECT_EQ(image_state.visible_page.load(), image_state.page_list[2]);
    rt_screen(0, 0, 1, 0, 0, 4 | 8);
    EXPECT_EQ(image_state.dest_image, image_state.page_list[1]);
    EXPECT_EQ(image_state.visible_page.load(), image_state.page_list[0]);
}

TEST_F(ScreenModes, NewPageIsCreatedOnDemandSharingThePalette) {
    rt_screen(12, 0, 0, 0, 0, 1);
    ASSERT_EQ(image_state.page_list_size, 1);
    rt_screen(0, 0, 3, 0, 0, 4 | 8);
    ASSERT_EQ(image_state.page_list_size, 4);
    EXPECT_EQ(image_state.page_list[1], 0);
    const rt_image& third = page(3);
    EXPECT_EQ(third.width, 640);
    EXPECT_EQ(third.height, 480);
    EXPECT_EQ(third.palette, page(0).palette);
    EXPECT_FALSE(third.flags & image_palette_owned);
    EXPECT_TRUE(third.flags & image_screen_page);
    rt_palette(1, 0x3F, 3); // shows on every page
    EXPECT_EQ(third.palette[1], 0xFF0000u);
}

TEST_F(ScreenModes, PageSelectionCopiesTheGraphicsState) {
    rt_screen(12, 0, 0, 0, 0, 1);
    page(0).gfx_x = 17;
    page(0).view_x2 = 99;
    rt_screen(0, 0, 1, 0, 0, 4 | 8);
    EXPECT_EQ(page(1).gfx_x, 17);
    EXPECT_EQ(page(1).view_x2, 99);
}

TEST_F(ScreenModes, ColourOnTextScreenBuildsTheAttribute) {
    rt_color(7, 9, 0, 3);
    EXPECT_EQ(image_state.dest->bg_colour, 1u);
    EXPECT_EQ(text_attribute_of(*image_state.dest), 0x17);
    rt_print("A", false);
    EXPECT_EQ(attribute_at(page(0), 1, 1), 0x17);
    rt_color(30, 0, 0, 1); // blinking yellow
    rt_print("B", false);
    EXPECT_EQ(attribute_at(page(0), 1, 2), 0x9E);
    rt_color(32, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);
    rt_color(1, 16, 0, 3);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(image_state.dest->fg_colour, 30); // a failed call changes nothing
    rt_color(1, 1, 99, 7);                      // the third argument is accepted
    EXPECT_EQ(take_error(), 0u);
}

TEST_F(ScreenModes, ColourPerPixelMode) {
    rt_screen(1, 0, 0, 0, 0, 1);
    rt_color(4, 1, 0, 3);
    EXPECT_EQ(page(0).palette[0], opaque(0xAA0000));
    EXPECT_EQ(page(0).palette[1], opaque(0x00AAAA));
    rt_color(0, 2, 0, 2);
    EXPECT_EQ(page(0).palette[3], opaque(0xAA5500));
    rt_color(0, 0, 1, 4);
    EXPECT_EQ(take_error(), 5u);

    rt_screen(9, 0, 0, 0, 0, 1);
    rt_color(3, 20, 0, 3);
    EXPECT_EQ(image_state.dest->fg_colour, 3);
    EXPECT_EQ(page(0).palette[0], opaque(0xAA5500));

    rt_screen(10, 0, 0, 0, 0, 1);
    rt_color(2, 8, 0, 3);
    EXPECT_EQ(page(0).palette[4], 8u);
    rt_color(4, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);

    rt_screen(12, 0, 0, 0, 0, 1);
    rt_color(14, 4, 0, 3);
    EXPECT_EQ(image_state.dest->fg_colour, 14);
    EXPECT_EQ(image_state.dest->bg_colour, 4u);
    rt_color(16, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, PaletteConvertsAdapterLevels) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_palette(256, 0x2A152A, 3); // attribute 256 is entry 0
    EXPECT_EQ(page(0).palette[0], 0xAA55AAu);
    rt_palette(15, 0x3F3F3F, 3);
    EXPECT_EQ(page(0).palette[15], 0xFFFFFFu);
    rt_palette(1, 0x40, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_palette(16, 0, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_palette(0, 0, 0); // restore
    EXPECT_EQ(page(0).palette[0], opaque(0));
    EXPECT_EQ(page(0).palette[15], opaque(0xFFFFFF));
}

TEST_F(ScreenModes, PaletteOnTextScreenUsesAdapterColours) {
    rt_palette(1, 20, 3);
    EXPECT_EQ(page(0).palette[1], opaque(0xAA5500));
    rt_palette(1, 64, 3);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, ColourRegisterPortsWriteThePalette) {
    rt_screen(13, 0, 0, 0, 0, 1);
    rt_out(0x3C8, 255);
    for (int v : {63, 21, 42, 0, 0, 63}) rt_out(0x3C9, v);
    EXPECT_EQ(page(0).palette[255] & 0xFFFFFF, 0xFF55AAu);
    EXPECT_EQ(page(0).palette[0] & 0xFFFFFF, 0x0000FFu); // the index wrapped to 0
    rt_out(0x60, 1);                                     // other ports do nothing
    EXPECT_EQ(take_error(), 0u);
}

TEST_F(ScreenModes, WidthFortyOnMode2SwitchesToTheFortyColumnTextMode) {
    rt_screen(2, 0, 0, 0, 0, 1);
    rt_width(0, 40, 0, 1);
    ASSERT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(page(0).mode, 0);
    EXPECT_EQ(page(0).width, 40);
    EXPECT_EQ(page(0).height, 25);
    EXPECT_EQ(page(0).font, 17);
    EXPECT_EQ(page(1).pixels, low_memory + 0xB8000 + 2048);
}

TEST_F(ScreenModes, WidthOnTextScreenPicksTheFont) {
    rt_width(0, 80, 43, 3);
    EXPECT_EQ(page(0).height, 43);
    EXPECT_EQ(page(0).font, 14);
    EXPECT_EQ(page(0).print_bottom, 42);
    rt_width(0, 40, 0, 1);
    EXPECT_EQ(page(0).width, 40);
    EXPECT_EQ(page(0).height, 43);
    EXPECT_EQ(page(0).font, 15);
    rt_width(0, 0, 25, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_width(0, 0, 0, 0);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, WidthOnPixelScreenChangesOnlyTheFont) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_width(0, 80, 60, 3);
    EXPECT_EQ(page(0).mode, 12);
    EXPECT_EQ(page(0).font, 8);
    EXPECT_EQ(page(0).print_bottom, 59);
    rt_screen(11, 0, 0, 0, 0, 1); // an 80 x 60 screen keeps the small font
    EXPECT_EQ(page(0).font, 8);
    rt_width(0, 80, 33, 3);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, FortyThreeRowsOnA350LineScreenAndBackToText) {
    rt_screen(9, 0, 0, 0, 0, 1);
    rt_width(0, 80, 43, 3);
    EXPECT_EQ(page(0).mode, 9);
    EXPECT_EQ(page(0).font, 8);
    EXPECT_EQ(image_rows(page(0)), 43);
    rt_screen(10, 0, 0, 0, 0, 1); // the 80 x 43 grid carries over
    EXPECT_EQ(page(0).font, 8);
    rt_screen(0, 0, 0, 0, 0, 1); // and into the text mode
    EXPECT_EQ(page(0).width, 80);
    EXPECT_EQ(page(0).height, 43);
    EXPECT_EQ(page(0).font, 8);
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_screen(0, 0, 0, 0, 0, 1); // 80 x 30 is not kept
    EXPECT_EQ(page(0).height, 25);
    EXPECT_EQ(page(0).font, 16);
}

TEST_F(ScreenModes, CustomScreenResizesToTheTextGrid) {
    rt_screen(rt_new_image(100, 100, 256, 1), 0, 0, 0, 0, 1);
    rt_width(0, 30, 0, 1);
    EXPECT_EQ(page(0).width, 240);
    EXPECT_EQ(page(0).height, 100);
    EXPECT_EQ(page(0).print_bottom, 5);
    rt_width(0, 0, 4, 3);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, PrinterWidth) {
    rt_width(2, 132, 0, 1);
    EXPECT_EQ(printer_line_width, 132);
    rt_width(2, 256, 0, 1);
    EXPECT_EQ(take_error(), 5u);
    rt_width(1, 80, 0, 1);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, NewImagesHaveHandlesFromSlotTwo) {
    const int32_t first = rt_new_image(10, 10, 12, 1);
    EXPECT_LE(first, -2);
    const int32_t second = rt_new_image(10, 10, 32, 1);
    EXPECT_EQ(second, first - 1);
    rt_free_image(first, 1);
    EXPECT_EQ(rt_new_image(5, 5, 13, 1), first); // the freed slot is taken first
    for (auto bad : {std::vector<int32_t>{0, 10, 12}, {10, 0, 12}, {10, 10, 4}}) {
        rt_new_image(bad[0], bad[1], bad[2], 1);
        EXPECT_EQ(take_error(), 5u);
    }
}

TEST_F(ScreenModes, NewImageWithoutModeCopiesTheDestination) {
    rt_screen(13, 0, 0, 0, 0, 1);
    rt_palette(3, 0x3F, 3);
    rt_color(9, 2, 0, 3);
    const int32_t handle = rt_new_image(16, 16, 0, 0);
    const rt_image& image = image_state.table[-handle];
    EXPECT_EQ(image.mode, 13);
    EXPECT_EQ(image.palette[3], 0xFF0000u);
    EXPECT_NE(image.palette, page(0).palette);
    EXPECT_EQ(image.fg_colour, 9);
    EXPECT_EQ(image.bg_colour, 2u);
    EXPECT_FALSE(image.flags & image_screen_page);
}

TEST_F(ScreenModes, ThirtyTwoBitImageIsWhiteOnOpaqueBlack) {
    const rt_image& image = image_state.table[-rt_new_image(4, 3, 32, 1)];
    EXPECT_EQ(image.bytes_per_pixel, 4);
    EXPECT_EQ(image.colour_mask, 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<uint32_t>(image.fg_colour), 0xFFFFFFFFu);
    EXPECT_EQ(image.bg_colour, 0xFF000000u);
    EXPECT_EQ(image.palette, nullptr);
    EXPECT_EQ(image.print_bottom, 1);
}

TEST_F(ScreenModes, FreeingImages) {
    const int32_t handle = rt_new_image(8, 8, 12, 1);
    rt_select_dest(handle);
    rt_free_image(0, 0); // the destination
    EXPECT_EQ(take_error(), 0u);
    EXPECT_EQ(image_state.dest_image, image_state.visible_page.load());
    rt_free_image(handle, 1);
    EXPECT_EQ(take_error(), 258u);
    rt_free_image(3, 1);
    EXPECT_EQ(take_error(), 5u);
    rt_free_image(-image_state.page_list[0], 1); // screen pages stay
    EXPECT_EQ(take_error(), 5u);
    rt_select_dest(-999999);
    EXPECT_EQ(take_error(), 258u);
}

TEST_F(ScreenModes, HandleAsScreenBecomesPageZeroAndSurvivesTheNextMode) {
    const int32_t handle = rt_new_image(200, 100, 32, 1);
    rt_screen(handle, 0, 0, 0, 0, 1);
    ASSERT_EQ(take_error(), 0u);
    EXPECT_EQ(image_state.page_list[0], -handle);
    EXPECT_EQ(image_state.visible_page.load(), -handle);
    const uint32_t generation = image_state.screen_generation.load();
    rt_screen(handle, 0, 0, 0, 0, 1); // the screen's own image again: nothing changes
    EXPECT_EQ(image_state.screen_generation.load(), generation);
    EXPECT_EQ(image_state.page_list[0], -handle);
    rt_screen(0, 0, 1, 0, 0, 4); // a second page of the same kind
    EXPECT_EQ(page(1).width, 200);
    EXPECT_EQ(page(1).mode, 32);
    rt_width(0, 50, 10, 3); // custom screens resize to the text grid
    EXPECT_EQ(image_state.table[-handle].width, 400);
    EXPECT_EQ(image_state.table[-handle].height, 160);
    rt_screen(12, 0, 0, 0, 0, 1);
    const rt_image& kept = image_state.table[-handle];
    EXPECT_TRUE(kept.in_use);
    EXPECT_FALSE(kept.flags & image_screen_page);
    EXPECT_EQ(page(0).mode, 12);
}

TEST_F(ScreenModes, AnotherScreenPageCannotBecomeTheScreen) {
    rt_screen(12, 0, 1, 0, 0, 1 | 4 | 8);
    rt_screen(-image_state.page_list[1], 0, 0, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(page(0).mode, 12);
}

TEST_F(ScreenModes, PageCopyCopiesEveryCell) {
    rt_print("COPY", true);
    rt_pcopy(0, 5);
    EXPECT_EQ(text_row(page(5), 1), "COPY");
    const int32_t other = rt_new_image(10, 10, 12, 1);
    rt_pcopy(0, other);
    EXPECT_EQ(take_error(), 5u);
    rt_pcopy(-12345, 0);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(ScreenModes, PageCopyNeedsRoomForTheColours) {
    const int32_t wide = rt_new_image(4, 4, 13, 1);
    const int32_t narrow = rt_new_image(4, 4, 2, 1);
    image_state.table[-wide].pixels[0] = 200;
    rt_pcopy(wide, narrow);
    EXPECT_EQ(take_error(), 5u);
    rt_pcopy(narrow, wide);
    EXPECT_EQ(take_error(), 0u);
    EXPECT_EQ(image_state.table[-wide].pixels[0], 0);
}

TEST_F(ScreenModes, PutPixelMasksAndBlends) {
    rt_select_dest(rt_new_image(4, 1, 2, 1));
    put_pixel(0, 0, 0xFF);
    EXPECT_EQ(image_state.dest->pixels[0], 1);

    rt_select_dest(rt_new_image(4, 1, 32, 1));
    auto* p = reinterpret_cast<uint32_t*>(image_state.dest->pixels);
    std::fill(p, p + 4, 0xFF204060u);
    put_pixel(0, 0, 0x00FFFFFFu); // transparent: nothing
    put_pixel(1, 0, 0xFF010203u); // opaque: stored
    put_pixel(2, 0, 0x80A0C0E0u); // half: the average
    put_pixel(3, 0, 0x40FFFFFFu); // a quarter towards white
    EXPECT_EQ(p[0], 0xFF204060u);
    EXPECT_EQ(p[1], 0xFF010203u);
    EXPECT_EQ(p[2], 0xFF6080A0u);
    EXPECT_EQ(p[3] >> 24, 0xFFu);
    EXPECT_EQ(p[3] >> 16 & 255, 88u); // round(0.25098 * 255 + 0.74902 * 32)
    EXPECT_EQ(p[3] >> 8 & 255, 112u); // ... * 64
    EXPECT_EQ(p[3] & 255, 136u);      // ... * 96
    image_state.dest->no_blend = 1;
    put_pixel(0, 0, 0x12345678u);
    EXPECT_EQ(p[0], 0x12345678u);
}

TEST_F(ScreenModes, BlendTablesFollowTheirFormulas) {
    rt_new_image(1, 1, 32, 1);
    ASSERT_NE(image_state.blend_table, nullptr);
    EXPECT_EQ(image_state.blend_table[255 << 16 | 200 << 8 | 10], 200);
    EXPECT_EQ(image_state.blend_table[0 << 16 | 200 << 8 | 10], 10);
    EXPECT_EQ(image_state.alpha_table[0 << 8 | 0], 0);
    EXPECT_EQ(image_state.alpha_table[128 << 8 | 128], 192); // (1 - 0.498 * 0.498) * 255 = 191.7
    EXPECT_EQ(image_state.alpha_table[255 << 8 | 3], 255);
}

TEST_F(ScreenModes, ImageTableGrowsAndKeepsTheDestination) {
    rt_screen(0, 0, 1, 0, 0, 4);
    const int32_t dest_slot = image_state.dest_image;
    int32_t last = 0;
    for (int i = 0; i < 5000; ++i) last = rt_new_image(1, 1, 13, 1);
    EXPECT_EQ(take_error(), 0u);
    EXPECT_LE(last, -5000);
    EXPECT_EQ(image_state.dest, &image_state.table[dest_slot]);
    EXPECT_TRUE(image_state.table[-last].in_use);
}

} // namespace

// Frames built from the visible page: change detection, blinking, cursor, sizes, ring.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <thread>
#include <vector>

#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/loaded_fonts.h"
#include "runtime/window/cursor_shape.h"
#include "runtime/window/frame_ring.h"
#include "tests/support/screen_start.h"

namespace {

constexpr uint32_t black = 0xFF000000, blue = 0xFF0000AA, white = 0xFFFFFFFF, grey = 0xFFAAAAAA;

class Frames : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    rt_image& page() { return image_state.table[image_state.visible_page.load()]; }
    void put_cell(int col, int row, uint8_t code, uint8_t attribute) {
        uint8_t* cell = page().pixels + (row * page().width + col) * 2;
        cell[0] = code;
        cell[1] = attribute;
    }
    const frame_slot& newest() { return frame_ring[frame_newest.load()]; }
    uint32_t pixel(int x, int y) { return newest().pixels[y * newest().width + x]; }
    // True when every pixel of the 8x16 cell is the colour.
    bool cell_is(int col, int row, uint32_t colour) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                if (pixel(col * 8 + x, row * 16 + y) != colour) return false;
        return true;
    }
    // A visible cursor of rows first to last in the cell at 1-based col, row; the blink
    // count set so that its phase is on.
    void show_cursor(int col, int row, uint8_t first, uint8_t last) {
        page().cursor_visible = 1;
        page().cursor_start = first;
        page().cursor_stop = last;
        page().cursor_col = col;
        page().cursor_row = row;
        run_control.refresh_count.store(8);
    }
    void display_takes_everything() {
        for (int s = 1; s <= frame_ring_slots; ++s) frame_ring[s].done.store(1);
    }
};

TEST_F(Frames, TextScreenBecomesA640By400PictureOfGlyphs) {
    put_cell(0, 0, 219, 0x1F); // full block, white on blue
    put_cell(1, 0, 'A', 0x70);
    frame_builder();
    ASSERT_NE(frame_newest.load(), 0);
    EXPECT_EQ(newest().width, 640);
    EXPECT_EQ(newest().height, 400);
    EXPECT_TRUE(cell_is(0, 0, white));
    EXPECT_TRUE(cell_is(2, 0, black)); // empty cell 0x0720: space, grey on black
    // 'A' in black on light grey: its glyph rows mix both colours, nothing else.
    int inked = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x) {
            const uint32_t p = pixel(x, y);
            ASSERT_TRUE(p == black || p == grey);
            inked += p == black;
        }
    EXPECT_GT(inked, 10);
    EXPECT_EQ(frame_cells_drawn(), 80 * 25);
}

TEST_F(Frames, AnUnchangedTextPageBuildsNoFrame) {
    frame_builder();
    const int32_t first = frame_newest.load();
    frame_builder();
    frame_builder();
    EXPECT_EQ(frame_newest.load(), first);
    EXPECT_EQ(frame_built.load(), 1);
}

TEST_F(Frames, OnlyChangedCellsAreDrawnAgain) {
    frame_builder();
    put_cell(5, 5, 219, 0x1E);
    put_cell(6, 5, 219, 0x1E);
    put_cell(79, 24, 219, 0x1E);
    frame_builder();
    EXPECT_EQ(frame_cells_drawn(), 3);
    EXPECT_TRUE(cell_is(79, 24, 0xFFFFFF55));
    EXPECT_TRUE(cell_is(4, 5, black)); // copied from the previous picture
}

TEST_F(Frames, ABlinkingCellAlternatesWithItsBackground) {
    put_cell(3, 2, 219, 0x9F); // blinking white full block on blue
    run_control.refresh_count.store(0);
    frame_builder();
    EXPECT_TRUE(cell_is(3, 2, white));
    run_control.refresh_count.store(8);
    frame_builder();
    EXPECT_TRUE(cell_is(3, 2, blue));
    EXPECT_EQ(frame_cells_drawn(), 2); // the blinking cell and the cursor cell, whose phase turned
    run_control.refresh_count.store(16);
    frame_builder();
    EXPECT_TRUE(cell_is(3, 2, white));
}

TEST_F(Frames, AttributeBackgroundUsesOnlyThreeBits) {
    put_cell(0, 0, ' ', 0x8F); // blinking, white on black
    put_cell(1, 0, ' ', 0x70); // black on light grey
    run_control.refresh_count.store(0);
    frame_builder();
    EXPECT_TRUE(cell_is(0, 0, black));
    EXPECT_TRUE(cell_is(1, 0, grey));
}

TEST_F(Frames, CursorShowsByItsShapeInTheOnPhase) {
    show_cursor(10, 3, 0, 7);
    frame_builder();
    EXPECT_TRUE(cell_is(9, 2, grey)); // full block in the cell's foreground
    run_control.refresh_count.store(16);
    frame_builder();
    EXPECT_TRUE(cell_is(9, 2, black));
}

TEST_F(Frames, CursorMovedWithinItsOnPhaseShowsInItsNewCellAtOnce) {
    show_cursor(10, 3, 0, 7);
    frame_builder();
    page().cursor_col = 11; // as after typing a blank: no cell changes
    frame_builder();
    EXPECT_TRUE(cell_is(10, 2, grey));
    EXPECT_TRUE(cell_is(9, 2, black));
}

TEST_F(Frames, CursorUnderAPendingWrapShowsAtTheStartOfTheNextRow) {
    show_cursor(80, 5, 0, 15);
    page().pending_wrap = 2;
    frame_builder();
    EXPECT_TRUE(cell_is(0, 5, grey));
    EXPECT_TRUE(cell_is(79, 4, black));
}

TEST_F(Frames, ShowNowBuildsAtOnceWithoutAutomaticRefreshAndWaitsForTheNextBuildWithIt) {
    run_control.auto_display.store(0);
    rt_display_now();
    EXPECT_NE(frame_newest.load(), 0);
    EXPECT_EQ(run_control.auto_display.load(), 0);

    // With automatic refresh on, a builder on another thread switches it off after its build.
    run_control.auto_display.store(1);
    run_control.display_running.store(1);
    put_cell(0, 0, 'X', 0x07);
    const int32_t before = frame_newest.load();
    std::thread builder([] {
        while (run_control.auto_display.load() != 0) {
            frame_builder();
            rt_sleep_ms(1);
        }
    });
    rt_display_now();
    builder.join();
    run_control.display_running.store(0);
    EXPECT_EQ(run_control.auto_display.load(), 0);
    EXPECT_NE(frame_newest.load(), before);
}

TEST(CursorShape, RowsFilledForEveryCaseOfTheTable) {
    struct row {
        int s, e, h, first, count;
    } const table[] = {
        {0, 0, 16, 0, 1},    {5, 0, 16, 0, 0},  {7, 4, 16, 4, 12}, {2, 2, 16, 2, 1},
        {3, 3, 16, 3, 1},    {4, 4, 16, 14, 1}, {4, 4, 8, 7, 1},   {0, 3, 16, 0, 4},
        {1, 2, 16, 1, 2},    {1, 7, 16, 1, 15}, {0, 7, 16, 0, 16}, {2, 3, 16, 2, 2},
        {2, 4, 16, 12, 3},   {2, 4, 8, 5, 3},   {2, 9, 16, 2, 14}, {6, 7, 16, 13, 2},
        {6, 7, 14, 12, 2},   {3, 5, 16, 12, 3}, {3, 9, 16, 7, 8},  {3, 9, 14, 7, 7},
        {20, 20, 16, 14, 1}, {31, 31, 8, 7, 1}, {20, 0, 16, 0, 0},
    };
    for (const auto& r : table) {
        const cursor_rows rows = cursor_shape(r.s, r.e, r.h);
        EXPECT_EQ(rows.count, r.count) << r.s << "," << r.e << " in " << r.h;
        if (r.count) {
            EXPECT_EQ(rows.first, r.first) << r.s << "," << r.e << " in " << r.h;
        }
    }
    EXPECT_EQ(cursor_shape(4, 20, 8).count, 0 + 4); // lower half of an 8-row cell
    EXPECT_EQ(cursor_shape(20, 2, 8).count, 6);     // from row 2 to the bottom
    EXPECT_EQ(cursor_shape(12, 10, 8).count, 0);    // first row below the cell
}

TEST_F(Frames, PixelPagesFollowTheirSizeAndPalette) {
    frame_builder();
    EXPECT_EQ(newest().width, 640);
    rt_screen(12, 0, 0, 0, 0, 1);
    page().pixels[0] = 14;
    page().pixels[640 * 480 - 1] = 1;
    frame_builder();
    EXPECT_EQ(newest().width, 640);
    EXPECT_EQ(newest().height, 480);
    EXPECT_EQ(pixel(0, 0), 0xFFFFFF55u);
    EXPECT_EQ(pixel(639, 479), blue);
    const int32_t built = frame_newest.load();
    frame_builder();
    EXPECT_EQ(frame_newest.load(), built); // unchanged pixels and palette: no frame
    page().palette[14] = 0x00123456;
    frame_builder();
    EXPECT_NE(frame_newest.load(), built);
    EXPECT_EQ(pixel(0, 0), 0xFF123456u);
}

TEST_F(Frames, AFullRingSkipsBuildsUntilTheDisplayReleasesSlots) {
    for (int i = 0; i < 70; ++i) {
        put_cell(0, 0, static_cast<uint8_t>(i), 0x07);
        frame_builder();
    }
    EXPECT_EQ(frame_newest.load(), frame_ring_slots); // 64 slots, the rest were dropped
    display_takes_everything();
    put_cell(0, 0, 'Z', 0x07);
    frame_builder();
    EXPECT_EQ(frame_newest.load(), 1);
    EXPECT_NE(frame_ring[1].pixels, nullptr);
}

TEST_F(Frames, TextScreenInALoadedMonospaceFontShowsItsShadedGlyphs) {
    const int32_t font =
        rt_load_font(rt_string_from_text("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"), 20,
                     rt_string_from_text("MONOSPACE"), 1);
    rt_set_font(font, 0, 0);
    const int32_t w = font_width(font);
    ASSERT_GT(w, 0);
    put_cell(0, 0, 219, 0x1F); // full block, white on blue
    put_cell(1, 0, 'A', 0x1F);
    frame_builder();
    EXPECT_EQ(newest().width, 80 * w);
    EXPECT_EQ(newest().height, 25 * 20);
    EXPECT_EQ(pixel(w / 2, 10), white) << "inside the full block";
    std::set<uint32_t> shades;
    for (int y = 0; y < 20; ++y)
        for (int x = w; x < 2 * w; ++x) shades.insert(pixel(x, y));
    EXPECT_TRUE(shades.count(white) && shades.count(blue)) << "the A in white on blue";
    EXPECT_GT(shades.size(), 2u) << "with shades between at its edges";
    for (int y = 0; y < 20; ++y)
        for (int x = 2 * w; x < 3 * w; ++x) ASSERT_EQ(pixel(x, y), black) << "an empty cell";
}

std::vector<int32_t> as_list(const picture_rect& r) {
    return {r.x, r.y, r.width, r.height};
}

// What each frame tells the display to draw again: its own changes, and those of a frame
// the display never took.
TEST_F(Frames, EachFrameNamesWhatChangedSinceTheFrameTheDisplayTook) {
    show_cursor(20, 17, 0, 15);
    run_control.refresh_count.store(0);
    frame_builder();
    EXPECT_EQ(as_list(newest().unshown), (std::vector<int32_t>{0, 0, 640, 400}));
    frame_ring[frame_newest.load()].shown.store(1);
    put_cell(5, 5, 219, 0x1E);
    frame_builder();
    EXPECT_EQ(as_list(newest().change), (std::vector<int32_t>{40, 80, 8, 16}));
    EXPECT_EQ(as_list(newest().unshown), (std::vector<int32_t>{40, 80, 8, 16}));
    put_cell(70, 20, 219, 0x1E); // the display has not taken the last frame
    frame_builder();
    EXPECT_EQ(as_list(newest().change), (std::vector<int32_t>{560, 320, 8, 16}));
    EXPECT_EQ(as_list(newest().unshown), (std::vector<int32_t>{40, 80, 528, 256}));
    frame_ring[frame_newest.load()].shown.store(1);
    run_control.refresh_count.store(8); // the cursor blinks on in its cell alone
    frame_builder();
    EXPECT_EQ(as_list(newest().unshown), (std::vector<int32_t>{152, 256, 8, 16}));
    // A taller picture the display never took leaves nothing outside the text screen.
    rt_screen(12, 0, 0, 0, 0, 1);
    frame_builder();
    rt_screen(0, 0, 0, 0, 0, 1);
    frame_builder();
    EXPECT_EQ(as_list(newest().unshown), (std::vector<int32_t>{0, 0, 640, 400}));
}

// Buffers come back from the display holding pictures several frames old; each new frame
// must still show every cell as the page holds it.
TEST_F(Frames, FramesInRecycledBuffersShowTheWholePage) {
    page().cursor_visible = 0;
    run_control.refresh_count.store(0);
    std::mt19937 random(20261209);
    std::vector<uint8_t> attribute_of(80 * 25, 0); // 0: never written, a black space
    for (int build = 0; build < 40; ++build) {
        for (int n = 0; n < 1 + build % 5; ++n) {
            const int cell = static_cast<int>(random() % attribute_of.size());
            attribute_of[cell] = static_cast<uint8_t>(1 + random() % 15);
            put_cell(cell % 80, cell / 80, 219, attribute_of[cell]);
        }
        frame_builder();
        // The display takes frames in bursts: fresh buffers meanwhile, then old ones again.
        if (build % 4 == 3) display_takes_everything();
        for (int cell = 0; cell < 80 * 25; ++cell) {
            const uint32_t expected =
                attribute_of[cell] ? page().palette[attribute_of[cell]] | black : black;
            ASSERT_TRUE(cell_is(cell % 80, cell / 80, expected))
                << "cell " << cell % 80 << ", " << cell / 80 << " after build " << build;
        }
    }
}

} // namespace

// Every pixel of a built frame against the picture a user expects: the committed glyph bits
// and the page's palette, over every text size, attribute, blink phase and cursor shape,
// and over every palette screen mode.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/glyphs.h"
#include "runtime/screen/image.h"
#include "runtime/window/cursor_shape.h"
#include "runtime/window/frame_ring.h"
#include "tests/support/screen_start.h"

namespace {

constexpr uint32_t opaque = 0xFF000000u;
constexpr uint32_t blink_on = 8; // refresh_count with the blink and cursor phase on

class FramePixels : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    static rt_image& page() { return image_state.table[image_state.visible_page.load()]; }
    static const frame_slot& newest() { return frame_ring[frame_newest.load()]; }
    static void display_takes_everything() {
        for (int s = 1; s <= frame_ring_slots; ++s) frame_ring[s].done.store(1);
    }
    // Builds a frame and answers the first pixel that differs from the expected picture.
    static testing::AssertionResult frame_matches(const std::vector<uint32_t>& expected, int width,
                                                  int height) {
        display_takes_everything();
        frame_builder();
        const frame_slot& slot = newest();
        if (slot.width != width || slot.height != height)
            return testing::AssertionFailure() << "picture " << slot.width << "x" << slot.height
                                               << ", not " << width << "x" << height;
        for (int i = 0; i < width * height; ++i)
            if (slot.pixels[i] != expected[i])
                return testing::AssertionFailure()
                       << "pixel (" << i % width << "," << i / width << ") is " << std::hex
                       << slot.pixels[i] << ", not " << expected[i];
        return testing::AssertionSuccess();
    }
};

// A text screen as the user sees it: ink from the committed glyph rows (leftmost pixel in
// bit 7), the cell's colours from the palette, a blinking cell plain in the on phase, the
// cursor's rows in the foreground.
struct text_screen {
    int columns, rows, cell_w, cell_h;

    bool ink(uint8_t code, int x, int y) const {
        const int column = x * 8 / cell_w; // double-width cells show each bit twice
        const uint8_t bits = cell_h == 8 ? glyph_rows_8x8[code * 8 + y]
                                         : glyph_rows_8x16[code * 16 + y + (16 - cell_h) / 2];
        return (bits & (0x80 >> column)) != 0;
    }

    std::vector<uint32_t> picture(const rt_image& page, bool phase_on) const {
        std::vector<uint32_t> out(size_t(columns) * cell_w * rows * cell_h);
        const cursor_rows cursor = cursor_shape(page.cursor_start, page.cursor_stop, cell_h);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const uint8_t* cell = page.pixels + (row * columns + column) * 2;
                const uint32_t background = page.palette[(cell[1] >> 4) & 7] | opaque;
                const bool hidden = (cell[1] & 0x80) && phase_on;
                const uint32_t foreground =
                    hidden ? background : page.palette[cell[1] & 15] | opaque;
                const bool cursor_here = page.cursor_visible && phase_on &&
                                         column == page.cursor_col - 1 &&
                                         row == page.cursor_row - 1;
                for (int y = 0; y < cell_h; ++y)
                    for (int x = 0; x < cell_w; ++x) {
                        const bool in_cursor =
                            cursor_here && y >= cursor.first && y < cursor.first + cursor.count;
                        out[size_t(row * cell_h + y) * columns * cell_w + column * cell_w + x] =
                            in_cursor || ink(cell[0], x, y) ? foreground : background;
                    }
            }
        return out;
    }
};

// Cells with every code and every attribute (so every blink, foreground and background
// combination), shifted by seed so that a later fill changes them.
void fill_cells(rt_image& page, int seed) {
    for (int i = 0; i < page.width * page.height; ++i) {
        page.pixels[i * 2] = static_cast<uint8_t>(i * 7 + seed);
        page.pixels[i * 2 + 1] = static_cast<uint8_t>(i + seed * 3);
    }
}

// Every entry a colour of its own, alpha bytes left clear: the frame must be opaque.
void distinct_palette(uint32_t* palette, int entries) {
    for (int i = 0; i < entries; ++i) palette[i] = 0x00102030u * (i + 1) ^ 0x00C0FFEEu;
}

TEST_F(FramePixels, TextScreensShowGlyphBitsInPaletteColoursWithBlinkAndCursor) {
    struct size_case {
        int columns, rows;
        text_screen screen;
    } const sizes[] = {
        {80, 25, {80, 25, 8, 16}},  {40, 25, {40, 25, 16, 16}}, {80, 43, {80, 43, 8, 14}},
        {40, 43, {40, 43, 16, 14}}, {80, 50, {80, 50, 8, 8}},   {40, 50, {40, 50, 16, 8}},
    };
    struct cursor_case {
        int start, stop, column, row;
    } const cursors[] = {{0, 7, 1, 1}, {6, 7, 40, 13}, {3, 12, 7, 2}, {2, 4, 33, 20}};
    for (const size_case& size : sizes) {
        rt_width(0, size.columns, size.rows, 3);
        rt_image& p = page();
        distinct_palette(p.palette, 256);
        const text_screen& screen = size.screen;
        const int width = screen.columns * screen.cell_w, height = screen.rows * screen.cell_h;
        int seed = 0;
        for (const cursor_case& cursor : cursors) {
            p.cursor_visible = 1;
            p.cursor_start = static_cast<uint8_t>(cursor.start);
            p.cursor_stop = static_cast<uint8_t>(cursor.stop);
            p.cursor_col = static_cast<int16_t>(cursor.column);
            p.cursor_row = static_cast<int16_t>(cursor.row);
            // A whole new page, then the phase turning, then a few changed cells: full and
            // partial builds alike.
            fill_cells(p, ++seed);
            for (const uint32_t phase : {0u, blink_on}) {
                run_control.refresh_count.store(phase);
                EXPECT_TRUE(frame_matches(screen.picture(p, phase != 0), width, height))
                    << size.columns << "x" << size.rows << " cursor " << cursor.start << ","
                    << cursor.stop << " phase " << phase;
            }
            for (int i = 0; i < p.width * p.height; i += 37) p.pixels[i * 2] ^= 0x55;
            EXPECT_TRUE(frame_matches(screen.picture(p, true), width, height))
                << size.columns << "x" << size.rows << " after a few cells changed";
            EXPECT_LT(frame_cells_drawn(), p.width * p.height / 2);
        }
    }
}

// Each pixel byte shows its palette entry; mode 10 shows its four attributes through the
// two-phase monochrome table, in the phase of the moment of the build.
TEST_F(FramePixels, PalettePagesShowEachPixelAsItsPaletteEntry) {
    const int modes[] = {1, 2, 7, 8, 9, 10, 11, 12, 13};
    for (const int mode : modes) {
        rt_screen(mode, 0, 0, 0, 0, 1);
        rt_image& p = page();
        const int entries = 1 << p.bits_per_pixel;
        if (mode != 10) distinct_palette(p.palette, entries);
        const int width = p.width, height = p.height;
        for (int seed = 0; seed < 2; ++seed) {
            for (int i = 0; i < width * height; ++i)
                p.pixels[i] = static_cast<uint8_t>((i * 5 + i / width + seed) & p.colour_mask);
            const auto expected_in_phase = [&](int phase) {
                std::vector<uint32_t> colours(entries);
                for (int v = 0; v < entries; ++v)
                    colours[v] = (mode == 10 ? mono_attribute_table[p.palette[4 + v] % 9][phase]
                                             : p.palette[v]) |
                                 opaque;
                std::vector<uint32_t> expected(size_t(width) * height);
                for (int i = 0; i < width * height; ++i) expected[i] = colours[p.pixels[i]];
                return expected;
            };
            // The mode-10 phase may turn during a build: compare again until it holds still.
            const auto phase_now = [] { return (rt_clock_ms() & 512) ? 1 : 0; };
            int phase = 0, attempts = 0;
            testing::AssertionResult matches = testing::AssertionFailure();
            do {
                phase = phase_now();
                matches = frame_matches(expected_in_phase(phase), width, height);
            } while (mode == 10 && phase != phase_now() && ++attempts < 5);
            EXPECT_TRUE(matches) << "mode " << mode << " seed " << seed;
        }
    }
}

} // namespace

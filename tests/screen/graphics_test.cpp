// Points, lines, circles, fills, the view port and the world window, read back from the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numbers>
#include <vector>

#include "runtime/core/error_numbers.h"
#include "runtime/screen/graphics.h"
#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/screen_start.h"

namespace {

constexpr double pi = std::numbers::pi;

class Graphics : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    rt_image& screen() { return image_state.table[image_state.page_list[0]]; }
    uint8_t pixel(int x, int y) { return screen().pixels[size_t(y) * screen().width + x]; }
    std::vector<uint8_t> snapshot() {
        return {screen().pixels, screen().pixels + size_t(screen().width) * screen().height};
    }
    struct box {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    };
    // The smallest rectangle holding every non-zero pixel.
    box set_pixels() {
        box b;
        for (int y = 0; y < screen().height; ++y)
            for (int x = 0; x < screen().width; ++x)
                if (pixel(x, y)) {
                    b.left = std::min(b.left, x);
                    b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y);
                    b.bottom = std::max(b.bottom, y);
                }
        return b;
    }
};

TEST_F(Graphics, SketchOfEveryPrimitiveInMode2) {
    rt_screen(2, 0, 0, 0, 0, 1);
    rt_line(10, 10, 300, 10, 0, line_plain, 0, line_first_point);
    rt_line(10, 14, 300, 14, 1, line_plain, 0xF0F0, line_first_point | line_colour | line_style);
    rt_line(10, 20, 110, 60, 1, line_box, 0xCCCC, line_first_point | line_colour | line_style);
    rt_line(120, 20, 160, 60, 1, line_filled_box, 0, line_first_point | line_colour);
    rt_line(-50, 190, 700, -20, 1, line_plain, 0, line_first_point | line_colour);
    rt_circle(400, 60, 50, 1, 0, 0, 0, circle_colour);
    rt_circle(560, 60, 50, 1, -pi / 2, -pi, 0, circle_colour | circle_start | circle_end);
    rt_circle(400, 150, 40, 1, 3 * pi / 2, pi / 2, 0, circle_colour | circle_start | circle_end);
    rt_circle(560, 150, 40, 1, 0, 0, 1.0, circle_colour | circle_aspect);
    rt_paint(400, 60, 1, 1, paint_fill | paint_border);
    for (int i = 0; i < 20; ++i) rt_pset(200 + i * 3, 120 + i, 1, pset_colour);
    rt_line(0, 0, 40, 0, 0, line_plain, 0, line_second_relative); // on from the last point
    EXPECT_TRUE(page_matches_expected(screen(), "screen/graphics_mode2.pgm"));
}

TEST_F(Graphics, ClippedStyledLineKeepsTheDashPhase) {
    rt_screen(2, 0, 0, 0, 0, 1);
    const uint32_t given = line_first_point | line_style;
    rt_line(-100, 50, 100, 50, 0, line_plain, 0xF0F0, given); // clipped at the left edge
    rt_line(100, 60, 300, 60, 0, line_plain, 0xF0F0, given);  // the same line, 200 further on
    rt_line(-101, 70, 300, 70, 0, line_plain, 0xF0F0, given); // a cut that is not whole dashes
    for (int x = 0; x <= 100; ++x) {
        EXPECT_EQ(pixel(x, 50), pixel(x + 200, 60)) << "x " << x;
        EXPECT_EQ(pixel(x, 70),
                  ((x + 101) % 16) < 4 || ((x + 101) % 16 >= 8 && (x + 101) % 16 < 12))
            << "x " << x;
    }
}

struct arc_case {
    const char* name;
    double start, end;
    uint32_t given;
    int left, top, right, bottom; // offsets of the drawn extent from the centre
};

TEST_F(Graphics, CirclesAndArcsCoverTheirShare) {
    rt_screen(2, 0, 0, 0, 0, 1);
    const arc_case cases[] = {
        {"whole circle, 100 wide each side, 41.67 high", 0, 0, 0, -100, -42, 100, 42},
        // The point before the top is tested at the top's angle, so both arcs reach one pixel
        // past the vertical there.
        {"quarter arc with both radius lines", -pi / 2, -pi, circle_start | circle_end, -100, -42,
         1, 0},
        {"right half through angle 0", 3 * pi / 2, pi / 2, circle_start | circle_end, -1, -42, 100,
         42},
    };
    for (const arc_case& c : cases) {
        rt_cls(0, 0, 0);
        rt_circle(320, 100, 100, 0, c.start, c.end, 0, c.given);
        const box b = set_pixels();
        EXPECT_EQ(b.left - 320, c.left) << c.name;
        EXPECT_EQ(b.right - 320, c.right) << c.name;
        EXPECT_EQ(b.top - 100, c.top) << c.name;
        EXPECT_EQ(b.bottom - 100, c.bottom) << c.name;
    }
    // The radius lines of the quarter arc reach from the centre to the top and to the left.
    rt_cls(0, 0, 0);
    rt_circle(320, 100, 100, 0, -pi / 2, -pi, 0, circle_start | circle_end);
    for (int y = 60; y <= 100; ++y) EXPECT_EQ(pixel(320, y), 1) << "y " << y;
    for (int x = 220; x <= 320; ++x) EXPECT_EQ(pixel(x, 100), 1) << "x " << x;
}

TEST_F(Graphics, PaintStopsOnlyAtTheBorderColour) {
    rt_screen(12, 0, 0, 0, 0, 1);
    // A border of colour 4 round a room with a one-pixel gap, a closed cell inside it,
    // and pixels of other colours that the fill paints over.
    rt_line(100, 100, 300, 300, 4, line_box, 0, line_first_point | line_colour);
    rt_pset(200, 100, 0, pset_colour); // the gap
    rt_line(150, 150, 170, 170, 4, line_box, 0, line_first_point | line_colour);
    rt_line(200, 200, 250, 250, 2, line_filled_box, 0, line_first_point | line_colour);
    rt_pset(250, 120, 1, pset_colour); // already in the fill colour
    const std::vector<uint8_t> before = snapshot();

    rt_paint(100, 200, 1, 4, paint_fill | paint_border); // on the border: nothing
    EXPECT_EQ(snapshot(), before);

    rt_paint(120, 120, 1, 4, paint_fill | paint_border);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool border = before[size_t(y) * 640 + x] == 4;
            const bool closed_cell = x > 150 && x < 170 && y > 150 && y < 170;
            const uint8_t expected = border ? 4 : closed_cell ? 0 : 1;
            ASSERT_EQ(pixel(x, y), expected) << x << "," << y;
        }
    }
}

struct mapping_case {
    const char* name;
    uint32_t view_given;
    uint32_t window_given;
    float wx, wy;         // a world point ...
    int pixel_x, pixel_y; // ... and the pixel it lands on (-1: outside, not drawn)
};

TEST_F(Graphics, ViewPortAndWorldWindowMapPoints) {
    const mapping_case cases[] = {
        {"window inverted: origin at the centre", 0, window_coordinates, 0, 0, 320, 240},
        {"window inverted: larger y higher", 0, window_coordinates, 0, 1, 320, 0},
        {"window not inverted: larger y lower", 0, window_coordinates | window_no_inversion, 0, 1,
         320, 479},
        {"view port shifts the origin", view_coordinates, 0, 0, 0, 100, 50},
        {"view port clips", view_coordinates, 0, 200, 0, -1, -1},
        {"absolute view port: no shift", view_coordinates | view_absolute, 0, 150, 60, 150, 60},
        {"absolute view port clips", view_coordinates | view_absolute, 0, 0, 0, -1, -1},
        {"window inside a view port", view_coordinates, window_coordinates, 1, -1, 199, 149},
    };
    for (const mapping_case& c : cases) {
        rt_screen(0, 0, 0, 0, 0, 1); // a fresh page each time
        rt_screen(12, 0, 0, 0, 0, 1);
        if (c.view_given) rt_view(100, 50, 199, 149, 0, 0, c.view_given);
        if (c.window_given) rt_window(-1, 1, 1, -1, c.window_given);
        rt_pset(c.wx, c.wy, 15, pset_colour);
        const box b = set_pixels();
        if (c.pixel_x < 0) {
            EXPECT_EQ(b.right, -1) << c.name;
            continue;
        }
        EXPECT_EQ(b.left, c.pixel_x) << c.name;
        EXPECT_EQ(b.top, c.pixel_y) << c.name;
        EXPECT_EQ(rt_point(c.wx, c.wy), 15) << c.name;
        EXPECT_EQ(rt_point(0), float(c.pixel_x)) << c.name;
        EXPECT_EQ(rt_point(1), float(c.pixel_y)) << c.name;
        EXPECT_EQ(rt_point(2), c.wx) << c.name;
        EXPECT_EQ(rt_point(3), c.wy) << c.name;
    }
}

TEST_F(Graphics, ViewWithoutArgumentsKeepsTheWindowButDropsTheShift) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_view(100, 50, 199, 149, 0, 0, view_coordinates);
    rt_window(0, 0, 99, 99, window_coordinates | window_no_inversion);
    rt_view(0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(screen().coord_mode, 2);
    rt_pset(99, 99, 15, pset_colour); // the window now spans the whole page
    EXPECT_EQ(pixel(639, 479), 15);
}

TEST_F(Graphics, ViewFillsItselfAndFramesWhereThePageAllows) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_view(0, 10, 20, 20, 2, 4, view_coordinates | view_fill | view_border);
    for (int y = 8; y <= 22; ++y) {
        for (int x = 0; x <= 22; ++x) {
            const bool inside = x <= 20 && y >= 10 && y <= 20;
            const bool frame = !inside && x <= 21 && y >= 9 && y <= 21;
            EXPECT_EQ(pixel(x, y), inside ? 2 : frame ? 4 : 0) << x << "," << y;
        }
    }
}

TEST_F(Graphics, WindowReexpressesTheGraphicsCursor) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_pset(480, 120, 15, pset_colour);
    rt_window(0, 0, 639, 479, window_coordinates); // inverted: y counts up from the bottom
    EXPECT_FLOAT_EQ(rt_point(2), 480);
    EXPECT_FLOAT_EQ(rt_point(3), 359);
    rt_window(0, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(rt_point(3), 120);
    EXPECT_EQ(screen().coord_mode, 0);
}

struct refused_case {
    const char* name;
    void (*call)();
};

TEST_F(Graphics, BadArgumentsRaiseIllegalFunctionCall) {
    const refused_case cases[] = {
        {"line on a text page", [] { rt_line(0, 0, 1, 1, 0, line_plain, 0, line_first_point); }},
        {"circle angle above 2 pi", [] { rt_circle(10, 10, 5, 0, 7, 0, 0, circle_start); }},
        {"view outside the page", [] { rt_view(0, 0, 640, 100, 0, 0, view_coordinates); }},
        {"view options without coordinates", [] { rt_view(0, 0, 0, 0, 1, 0, view_fill); }},
        {"window of no width", [] { rt_window(1, 0, 1, 5, window_coordinates); }},
        {"window no-inversion alone", [] { rt_window(0, 0, 0, 0, window_no_inversion); }},
        {"point form 4", [] { rt_point(4); }},
        {"paint with the tile bit", [] { rt_paint(1, 1, 1, 1, paint_tile_form); }},
    };
    for (const refused_case& c : cases) {
        rt_screen(c.name == cases[0].name ? 0 : 12, 0, 0, 0, 0, 1);
        c.call();
        EXPECT_EQ(take_error(), err_illegal_function_call) << c.name;
    }
}

TEST_F(Graphics, TilePaintRepeatsThePatternAndHonoursTheBackground) {
    rt_screen(2, 0, 0, 0, 0, 1);
    rt_line(0, 0, 31, 15, 1, line_box, 0, line_first_point | line_colour);
    rt_string* stripes = rt_string_from_bytes("\xAA\x00", 2);
    // Without a background every pixel that already holds its tile value (0 here) stops it.
    const std::vector<uint8_t> before = snapshot();
    rt_paint_tile(5, 5, stripes, 1, nullptr, paint_border);
    EXPECT_EQ(snapshot(), before);
    rt_paint_tile(5, 5, stripes, 1, rt_string_from_bytes("\x00", 1),
                  paint_border | paint_background);
    for (int y = 1; y < 15; ++y)
        for (int x = 1; x < 31; ++x)
            EXPECT_EQ(pixel(x, y), (y % 2 == 0) && (x % 2 == 0) ? 1 : 0) << x << "," << y;
    EXPECT_EQ(take_error(), 0u);
    rt_paint_tile(5, 5, rt_string_from_text(""), 1, nullptr, 0);
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

} // namespace

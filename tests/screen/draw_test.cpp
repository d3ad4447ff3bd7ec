// The drawing-command language: each command string against the same figure drawn with the
// primitives, the number reader, variable references and substrings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/error_numbers.h"
#include "runtime/core/low_memory.h"
#include "runtime/screen/draw.h"
#include "runtime/screen/graphics_internal.h"
#include "tests/support/screen_start.h"

namespace {

using namespace std::literals;

uint8_t* data_segment() {
    return low_memory + default_segment_offset;
}

class Draw : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    rt_image& screen() { return image_state.table[image_state.page_list[0]]; }
    std::vector<uint8_t> snapshot() {
        return {screen().pixels, screen().pixels + size_t(screen().width) * screen().height};
    }
    void fresh_page(int32_t mode) {
        rt_screen(0, 0, 0, 0, 0, 1);
        rt_screen(mode, 0, 0, 0, 0, 1);
    }
};

void line(float x1, float y1, float x2, float y2) {
    rt_line(x1, y1, x2, y2, 0, line_plain, 0, line_first_point);
}

struct figure_case {
    const char* commands;
    int32_t mode;
    float start_x, start_y;
    void (*expected)(); // the same figure drawn with the primitives
    float end_x, end_y; // graphics cursor afterwards
};

TEST_F(Draw, CommandsDrawTheirFigures) {
    const figure_case cases[] = {
        {"R200 U35 L200 D35", 2, 10, 180, [] { rt_line(10, 145, 210, 180, 0, line_box, 0, 1); }, 10,
         180},
        {"E20", 2, 10, 100, [] { line(10, 100, 30, 80); }, 30, 80},
        {"TA90 R10", 2, 100, 100, [] { line(100, 100, 100, 96); }, 100, 100 - 10 * 0.41666667f},
        {"A1 U10", 2, 100, 100, [] { line(100, 100, 76, 100); }, 76, 100},
        {"BM+10,0 NU10", 2, 100, 100, [] { line(110, 100, 110, 90); }, 110, 100},
        {"S8R10", 12, 100, 100, [] { line(100, 100, 120, 100); }, 120, 100},
        {"r20u5", 12, 100, 100, [] { line(100, 100, 120, 100), line(120, 100, 120, 95); }, 120, 95},
        {"M300,50 M-10,+20", 12, 100, 100, [] { line(100, 100, 300, 50), line(300, 50, 290, 70); },
         290, 70},
        {"F 1 0 ; G10 H10", 12, 100, 100,
         [] { line(100, 100, 110, 110), line(110, 110, 100, 120), line(100, 120, 90, 110); }, 90,
         110},
        {"C2 R10 C 5 D10", 12, 100, 100,
         [] {
             rt_line(100, 100, 110, 100, 2, line_plain, 0, line_first_point | line_colour);
             rt_line(110, 100, 110, 110, 5, line_plain, 0, line_first_point | line_colour);
         },
         110, 110},
        {"R10D10L10U10 BM+5,5 P9,15", 12, 100, 100,
         [] {
             rt_line(100, 100, 110, 110, 15, line_box, 0, line_first_point | line_colour);
             rt_line(101, 101, 109, 109, 9, line_filled_box, 0, line_first_point | line_colour);
         },
         105, 105},
    };
    for (const figure_case& c : cases) {
        fresh_page(c.mode);
        rt_pset(c.start_x, c.start_y, 0, 0);
        c.expected();
        const std::vector<uint8_t> expected = snapshot();
        fresh_page(c.mode);
        rt_pset(c.start_x, c.start_y, 0, 0);
        rt_draw(c.commands);
        EXPECT_EQ(take_error(), 0u) << c.commands;
        EXPECT_TRUE(snapshot() == expected) << c.commands;
        EXPECT_FLOAT_EQ(screen().gfx_x, c.end_x) << c.commands;
        EXPECT_FLOAT_EQ(screen().gfx_y, c.end_y) << c.commands;
    }
}

TEST_F(Draw, ScaleAndAngleStayForLaterStrings) {
    fresh_page(12);
    rt_pset(100, 100, 0, 0);
    rt_draw("S8 TA90");
    rt_draw("R10"); // 20 pixels, turned up
    EXPECT_FLOAT_EQ(screen().gfx_x, 100);
    EXPECT_FLOAT_EQ(screen().gfx_y, 80);
    EXPECT_EQ(screen().draw_scale, 2.0);
    EXPECT_EQ(screen().draw_angle, 90.0);
}

struct refused_string {
    std::string_view commands;
    uint32_t error;
};

TEST_F(Draw, ErrorsStopAtOnceAndKeepTheCursor) {
    const refused_string cases[] = {
        {"C2.5", err_illegal_function_call},        {"A4", err_illegal_function_call},
        {"R10 Q", err_illegal_function_call},       {"M10", err_illegal_function_call},
        {"M10,", err_illegal_function_call},        {"S-1", err_illegal_function_call},
        {"U-", err_illegal_function_call},          {"R10.", err_illegal_function_call},
        {"T 5", err_illegal_function_call},         {"P1", err_illegal_function_call},
        {"X", err_illegal_function_call},           {"TA", err_illegal_function_call},
        {"C", err_illegal_function_call},           {"=", err_illegal_function_call},
        {"X\x03\x00"sv, err_illegal_function_call}, {"X\x04\x00\x00"sv, err_illegal_function_call},
        {"P1,15 Q", err_illegal_function_call}, // the fill point does not become the cursor
    };
    for (const refused_string& c : cases) {
        fresh_page(12);
        rt_pset(100, 100, 0, 0);
        rt_draw(std::string("R5 ") + std::string(c.commands));
        EXPECT_EQ(take_error(), c.error) << c.commands;
        EXPECT_FLOAT_EQ(screen().gfx_x, 100) << c.commands;
        EXPECT_EQ(screen().pixels[100 * 640 + 105], 15) << c.commands; // drawn before the error
    }
    fresh_page(0);
    rt_draw("R10");
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

struct number_case {
    std::string_view text;
    double value;
    bool bad, absent;
    size_t stop; // position after reading
};

TEST_F(Draw, NumberReaderSignsPointsAndBlanks) {
    const number_case cases[] = {
        {"12", 12, false, false, 2},
        {"-5", -5, false, false, 2},
        {"--5", 5, false, false, 3},
        {"+-5", -5, false, false, 3},
        {" 1 2 R", 12, false, false, 5},
        {"1.5", 1.5, false, false, 3},
        {".25", 0.25, false, false, 3},
        {"-.5", -0.5, false, false, 3},
        {"5-3", 5, false, false, 1},
        {"1.2.3", 1.2, false, false, 3},
        {"10.", 10, true, false, 3},
        {"10.R", 10, true, false, 3},
        {"-", 0, true, true, 1},
        {"-R", 0, true, true, 1},
        {"", 0, false, true, 0},
        {"R", 0, false, true, 0},
        {".", 0, false, true, 1},
        {"=\x01", 0, true, false, 1},
        {"=\x07\x00\x00"sv, 0, true, false, 4},
    };
    for (const number_case& c : cases) {
        size_t at = 0;
        const draw_number n = draw_read_number(c.text, at, data_segment());
        EXPECT_DOUBLE_EQ(n.value, c.value) << c.text;
        EXPECT_EQ(n.bad, c.bad) << c.text;
        EXPECT_EQ(n.absent, c.absent) << c.text;
        EXPECT_EQ(at, c.stop) << c.text;
    }
}

struct reference_case {
    uint8_t type;
    std::vector<uint8_t> bytes; // the variable as stored
};

std::vector<uint8_t> bytes_of(const void* value, size_t size) {
    const auto* p = static_cast<const uint8_t*>(value);
    return {p, p + size};
}

TEST_F(Draw, NumberReferencesOfEveryType) {
    const float single = 30.0f;
    const double dbl = 30.0;
    const reference_case cases[] = {
        {1, {30}},
        {129, {30}},
        {2, {30, 0}},
        {130, {30, 0}},
        {20, {30, 0, 0, 0}},
        {148, {30, 0, 0, 0}},
        {5, {30, 0, 0, 0, 0, 0, 0, 0}},
        {133, {30, 0, 0, 0, 0, 0, 0, 0}},
        {4, bytes_of(&single, sizeof single)},
        {8, bytes_of(&dbl, sizeof dbl)},
        {6, {0, 0, 0, 0, 0, 0, 0, 0xF0, 0x03, 0x40}}, // 1.875 x 2^4 in the 80-bit format
    };
    constexpr uint16_t offset = 0x1234;
    for (const reference_case& c : cases) {
        fresh_page(12);
        std::memcpy(data_segment() + offset, c.bytes.data(), c.bytes.size());
        rt_pset(100, 100, 0, 0);
        const char commands[] = {'R', '=', char(c.type), char(offset & 255), char(offset >> 8)};
        rt_draw(std::string_view(commands, sizeof commands));
        EXPECT_EQ(take_error(), 0u) << "type " << int(c.type);
        EXPECT_FLOAT_EQ(screen().gfx_x, 130) << "type " << int(c.type);
    }
    // Signed types read negative values as such.
    fresh_page(12);
    data_segment()[offset] = 0xF6; // -10 as a signed byte, 246 unsigned
    rt_pset(300, 100, 0, 0);
    rt_draw(std::string_view("R=\x01\x34\x12", 5));
    EXPECT_FLOAT_EQ(screen().gfx_x, 290);
    rt_draw(std::string_view("R=\x81\x34\x12", 5));
    EXPECT_FLOAT_EQ(screen().gfx_x, 536);
}

// A substring descriptor at offset: its length and the offset of its text.
void put_substring(uint16_t offset, uint16_t text_offset, const std::string& text) {
    uint8_t* d = data_segment() + offset;
    d[0] = uint8_t(text.size());
    d[1] = uint8_t(text.size() >> 8);
    d[2] = uint8_t(text_offset);
    d[3] = uint8_t(text_offset >> 8);
    std::memcpy(data_segment() + text_offset, text.data(), text.size());
}

TEST_F(Draw, SubstringsRunInPlace) {
    fresh_page(12);
    put_substring(0x100, 0x200, "R10");
    rt_pset(100, 100, 0, 0);
    rt_draw(std::string_view("X\x03\x00\x01U5", 6));
    EXPECT_EQ(take_error(), 0u);
    EXPECT_FLOAT_EQ(screen().gfx_x, 110);
    EXPECT_FLOAT_EQ(screen().gfx_y, 95);
}

TEST_F(Draw, SubstringCallingItselfEndsWithOverflow) {
    fresh_page(12);
    put_substring(0x100, 0x200, std::string("R1X\x03\x00\x01", 6)); // draws, then calls itself
    rt_pset(0, 100, 0, 0);
    rt_draw(std::string_view("X\x03\x00\x01", 4));
    EXPECT_EQ(take_error(), err_overflow);
    EXPECT_FLOAT_EQ(screen().gfx_x, 0); // the cursor stays
    // One step per level before the nesting ran out, clipped at the right edge.
    EXPECT_EQ(screen().pixels[100 * 640 + 639], 15);
}

} // namespace

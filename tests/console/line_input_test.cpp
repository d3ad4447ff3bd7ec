// Typed line input driven through the real key path: the runtime runs headless, a program
// routine reads lines with rt_input, and the test types keys as the window thread would.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/console/line_input.h"
#include "runtime/console/startup.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/key_identifiers.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"
#include "runtime/window/frame_ring.h"
#include "runtime/window/keyboard.h"
#include "tests/support/page_reader.h"

namespace {

constexpr uint32_t double_type = input_type_float | 64;
constexpr int32_t max_lines = 8;
constexpr host_modifiers no_modifiers{}, ctrl_held{false, true, false};

// What the program routine does, set by the test before the runtime starts.
struct input_script {
    uint32_t types[3] = {input_integer};
    int32_t count = 1;
    int32_t fixed_length = 0; // a fixed-length string target of this many bytes
    bool new_line = true;
    int32_t screen_mode = 0;
    int32_t prompt_row = 0;  // located there first when non-zero
    int32_t filled_rows = 0; // rows 1.. filled with "line N" first
    int32_t auto_display = 1;
    int32_t lines = 1; // rt_input calls before the routine idles
};

// What each finished rt_input left in the targets, written by the program thread before
// lines_read is raised.
struct line_result {
    int64_t integer;
    float single;
    double real;
    char text[256];
    int32_t text_length;
    int32_t auto_display;
};

input_script script;
line_result results[max_lines];
std::atomic<int32_t> lines_read{0};

int16_t integer_target;
float single_target;
double double_target;
rt_string* string_target;
uint8_t fixed_buffer[16];

void* target_of(uint32_t type) {
    if (type & input_type_string) return string_target;
    if (type == double_type) return &double_target;
    if (type & input_type_float) return &single_target;
    return &integer_target;
}

template <class Body> void fenced(Body body) {
    hold_frames();
    body();
    release_frames();
}

void prepare_page() {
    if (script.screen_mode) rt_screen(script.screen_mode, 0, 0, 0, 0, 1);
    fenced([] {
        for (int32_t row = 1; row <= script.filled_rows; ++row)
            rt_print("line " + std::to_string(row), true);
        if (script.prompt_row) rt_locate(script.prompt_row, 1, 0, 0, 0, 3);
        rt_print("? ", false);
    });
}

void record(line_result& result) {
    result.integer = integer_target;
    result.single = single_target;
    result.real = double_target;
    result.text_length = string_target->len;
    std::memcpy(result.text, string_target->data, static_cast<size_t>(string_target->len));
    result.auto_display = run_control.auto_display.load();
}

void set_targets() {
    string_target = script.fixed_length
                        ? rt_string_fixed(fixed_buffer, script.fixed_length, false)
                        : rt_string_assign(rt_string_new(0, false), rt_string_from_text("old"));
    integer_target = 99;
    for (int32_t i = 0; i < script.count; ++i)
        rt_input_target(i + 1, target_of(script.types[i]), script.types[i]);
}

// As the application does it: statements through the frame, which parks at shutdown.
void input_routine() {
    rt_routine routine;
    routine.statement(1, [] {
        set_targets();
        prepare_page();
    });
    for (int32_t line = 0; line < script.lines; ++line) {
        routine.statement(2, [] {
            run_control.auto_display.store(script.auto_display);
            rt_input(script.count, script.new_line);
        });
        record(results[line]);
        lines_read.store(line + 1);
    }
    for (;;) routine.statement(3, [] { rt_sleep_ms(20); });
}

class LineInput : public ::testing::Test {
  protected:
    // Typing starts once the service thread builds frames, as with a window on the screen.
    static void start() {
        rt_start_headless(input_routine);
        const int64_t give_up = rt_clock_ms() + 10000;
        while (!run_control.display_running.load() && rt_clock_ms() < give_up) rt_sleep_ms(1);
    }

    static int32_t keys_waiting() {
        const int head = std::atomic_ref<uint8_t>(low_memory[key_queue_head_address]).load();
        const int tail = std::atomic_ref<uint8_t>(low_memory[key_queue_tail_address]).load();
        return (tail - head + 32) % 32 / 2;
    }
    // The queue holds 15 keys; typing waits for room as a person would.
    static void wait_for_room() {
        const int64_t give_up = rt_clock_ms() + 20000;
        while (keys_waiting() >= 8 && rt_clock_ms() < give_up) rt_sleep_ms(2);
    }
    static void type(std::string_view keys) {
        for (const char key : keys) {
            wait_for_room();
            host_key(static_cast<unsigned char>(key), true, no_modifiers);
            host_key(static_cast<unsigned char>(key), false, no_modifiers);
        }
    }
    static void type_with_ctrl(unsigned char code) {
        wait_for_room();
        host_key(key_left_ctrl, true, no_modifiers);
        host_key(code, true, ctrl_held);
        host_key(code, false, ctrl_held);
        host_key(key_left_ctrl, false, ctrl_held);
    }
    // Waits until n lines have been read.
    static bool lines(int32_t n) {
        const int64_t give_up = rt_clock_ms() + 60000;
        while (lines_read.load() < n)
            if (rt_clock_ms() > give_up)
                return false;
            else
                rt_sleep_ms(5);
        return true;
    }
    static const rt_image& page() { return image_state.table[image_state.visible_page.load()]; }
    static std::string text(const line_result& r) { return std::string(r.text, r.text_length); }
};

TEST_F(LineInput, KeysThatSpoilANumberAreTakenBack) {
    script.lines = 6;
    start();
    type("12a\r05\r40000\r-32768\r32768\r1,2\r");
    ASSERT_TRUE(lines(6));
    EXPECT_EQ(results[0].integer, 12);
    EXPECT_EQ(results[1].integer, 0);
    EXPECT_EQ(results[2].integer, 4000);
    EXPECT_EQ(results[3].integer, -32768);
    EXPECT_EQ(results[4].integer, 3276);
    EXPECT_EQ(results[5].integer, 12);
    EXPECT_EQ(text_rows(page()),
              (std::vector<std::string>{"? 12", "0", "4000", "-32768", "3276", "12"}));
}

TEST_F(LineInput, EmptyLineAndLoneMinusGiveZeroAndEmpty) {
    script.types[1] = input_string;
    script.count = 2;
    script.lines = 2;
    start();
    type("\r-\r");
    ASSERT_TRUE(lines(2));
    EXPECT_EQ(results[0].integer, 0); // was 99
    EXPECT_EQ(text(results[0]), "");  // was "old"
    EXPECT_EQ(results[1].integer, 0);
    EXPECT_EQ(text_rows(page()), (std::vector<std::string>{"?", "-"}));
}

TEST_F(LineInput, SingleTakesAPointAfterZeroButNoDoubleExponent) {
    script.types[0] = input_single;
    script.lines = 2;
    start();
    type("0.5\r1D5\r");
    ASSERT_TRUE(lines(2));
    EXPECT_EQ(results[0].single, 0.5f);
    EXPECT_EQ(results[1].single, 15.0f);
    EXPECT_EQ(text_rows(page()), (std::vector<std::string>{"? 0.5", "15"}));
}

TEST_F(LineInput, DoubleTakesTheDExponent) {
    script.types[0] = double_type;
    start();
    type("1D5\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(results[0].real, 1e5);
    EXPECT_EQ(text_rows(page()), (std::vector<std::string>{"? 1D5"}));
}

TEST_F(LineInput, SeveralTargetsOnOneLine) {
    script.types[0] = input_single;
    script.types[1] = input_integer;
    script.types[2] = input_string;
    script.count = 3;
    start();
    type("-2.5,7,\"a,b\"x\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(results[0].single, -2.5f);
    EXPECT_EQ(results[0].integer, 7);
    EXPECT_EQ(text(results[0]), "a,b");
    EXPECT_EQ(text_row(page(), 1), "? -2.5,7,\"a,b\"");
}

TEST_F(LineInput, TabSpacesToTheNextEighthCharacter) {
    script.types[0] = input_string;
    script.types[1] = input_integer;
    script.count = 2;
    start();
    type("ab\tc,1\t2\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(text(results[0]), "ab      c");
    EXPECT_EQ(results[0].integer, 12); // each space of the Tab is taken back in the number
    EXPECT_EQ(text_row(page(), 1), "? ab      c,12");
}

TEST_F(LineInput, ControlAndExtendedKeysAddNothing) {
    start();
    type("1");
    for (const unsigned char code : {10, 11, 12, 28, 29, 30, 31, 7}) type_with_ctrl(code);
    host_key(key_left, true, no_modifiers);
    host_key(key_left, false, no_modifiers);
    type("2\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(results[0].integer, 12);
    EXPECT_EQ(text_rows(page()), (std::vector<std::string>{"? 12"}));
}

TEST_F(LineInput, BackspaceErasesAndEmptyBackspaceDoesNothing) {
    script.types[0] = input_string;
    start();
    type("\babc\b\bd\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(text(results[0]), "ad");
    EXPECT_EQ(text_rows(page()), (std::vector<std::string>{"? ad"}));
}

TEST_F(LineInput, FixedLengthStringRefusesALongerField) {
    script.types[0] = input_string;
    script.fixed_length = 5;
    script.lines = 2;
    start();
    type("abcdefg\rxy\r");
    ASSERT_TRUE(lines(2));
    EXPECT_EQ(text(results[0]), "abcde");
    EXPECT_EQ(text(results[1]), "xy   ");
}

TEST_F(LineInput, TheLineHoldsAtMost255Characters) {
    script.types[0] = input_string;
    start();
    type(std::string(256, 'x') + "y\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(text(results[0]), std::string(255, 'x'));
    // "? " and 255 characters wrap over four rows of 80.
    EXPECT_EQ(text_rows(page()),
              (std::vector<std::string>{"? " + std::string(78, 'x'), std::string(80, 'x'),
                                        std::string(80, 'x'), std::string(17, 'x')}));
}

std::vector<std::string> filled_lines(int first, int last) {
    std::vector<std::string> rows;
    for (int row = first; row <= last; ++row) rows.push_back("line " + std::to_string(row));
    return rows;
}

TEST_F(LineInput, BackspaceAfterAScrolledLineRestoresThePage) {
    script.types[0] = input_string;
    script.filled_rows = 22;
    script.prompt_row = 23;
    script.new_line = false;
    start();
    type(std::string(200, 'x')); // rows 23 and 24 fill, the region scrolls once
    type(std::string(150, '\b'));
    type("\r");
    ASSERT_TRUE(lines(1));
    std::vector<std::string> expected = filled_lines(1, 22);
    expected.push_back("? " + std::string(50, 'x'));
    EXPECT_EQ(text_rows(page()), expected);
    EXPECT_EQ(page().cursor_row, 23);
    EXPECT_EQ(page().cursor_col, 53);
}

TEST_F(LineInput, BackspaceThatKeepsTheWrapKeepsTheScroll) {
    script.types[0] = input_string;
    script.filled_rows = 22;
    script.prompt_row = 23;
    script.new_line = false;
    start();
    type(std::string(200, 'x') + std::string(10, '\b') + "\r");
    ASSERT_TRUE(lines(1));
    std::vector<std::string> expected = filled_lines(2, 22);
    expected.push_back("? " + std::string(78, 'x'));
    expected.push_back(std::string(80, 'x'));
    expected.push_back(std::string(32, 'x'));
    EXPECT_EQ(text_rows(page()), expected);
}

TEST_F(LineInput, RefreshOnRequestIsKeptAndTheLineShown) {
    script.auto_display = 0;
    start();
    type("5\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(results[0].auto_display, 0);
    EXPECT_NE(frame_newest.load(), 0);
}

TEST_F(LineInput, PixelPageShowsTheAcceptedLineOnly) {
    script.screen_mode = 12;
    script.new_line = false;
    start();
    type("12a\r");
    ASSERT_TRUE(lines(1));
    EXPECT_EQ(results[0].integer, 12);
    // The same text printed in one go onto a clean page of the mode.
    const int32_t reference = image_create(page().width, page().height, page().mode, nullptr);
    ASSERT_GT(reference, 0);
    const int32_t saved = image_state.dest_image;
    select_dest_slot(reference);
    rt_print("? 12", false);
    select_dest_slot(saved);
    const size_t bytes = size_t{page().width} * page().height;
    EXPECT_EQ(std::memcmp(page().pixels, image_state.table[reference].pixels, bytes), 0);
}

void close_while_waiting() {
    script.lines = max_lines;
    rt_start_headless(input_routine);
    rt_sleep_ms(200);
    run_control.close_request.fetch_or(1);
    for (;;) rt_sleep_ms(100);
}

TEST(LineInputShutdown, ClosingTheWindowEndsTheWaitForKeys) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(close_while_waiting(), ::testing::ExitedWithCode(0), "");
}

} // namespace

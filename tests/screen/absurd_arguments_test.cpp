// Arguments no calculator screen can produce but one runtime call can: each is refused
// with its error (or harmlessly ignored) at once, without a crash, a hang or a huge
// allocation, and leaves what the caller can see as the documented rules say.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>

#include "runtime/core/error_numbers.h"
#include "runtime/core/low_memory.h"
#include "runtime/screen/draw.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/graphics.h"
#include "runtime/screen/loaded_fonts.h"
#include "runtime/sound/sound.h"
#include "tests/support/screen_start.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr int32_t active_page_given = 4;
constexpr uint32_t options_given = 1;
const char* const mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// A chain of substrings in the data segment, each running the next one twice: the work
// doubles with every level while the segment holds 12 bytes per level.
void run_doubling_substrings() {
    constexpr int32_t levels = 40;
    constexpr size_t level_bytes = 12; // descriptor, then "X" reference twice
    constexpr size_t first = 0x100;
    uint8_t* segment = low_memory + default_segment_offset;
    for (int32_t level = 0; level < levels; ++level) {
        const size_t at = first + size_t(level) * level_bytes;
        const size_t next = at + level_bytes;
        const size_t text = at + 4;
        const size_t length = level + 1 < levels ? 8 : 0;
        const uint8_t descriptor[4] = {uint8_t(length), 0, uint8_t(text), uint8_t(text >> 8)};
        const uint8_t calls[8] = {'X', 3, uint8_t(next), uint8_t(next >> 8),
                                  'X', 3, uint8_t(next), uint8_t(next >> 8)};
        std::memcpy(segment + at, descriptor, sizeof descriptor);
        std::memcpy(segment + text, calls, sizeof calls);
    }
    const char start[4] = {'X', 3, char(first), char(first >> 8)};
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_draw(std::string_view(start, sizeof start));
}

void monospace_giant_on_the_text_screen() {
    const int32_t font = rt_load_font(rt_string_from_text(mono), largest_font_size,
                                      rt_string_from_text("MONOSPACE"), options_given);
    ASSERT_GE(font, first_loaded_font);
    rt_set_font(font, 0, 1);
}

void tiny_arc_between_the_quadrant_starts() {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_circle(320, 100, 0.1, 15, pi / 4, pi / 2, 0, circle_colour | circle_start | circle_end);
}

bool centre_left_clear() {
    return image_state.dest->pixels[100 * size_t(image_state.dest->width) + 320] == 0;
}

struct absurd_case {
    const char* name;
    void (*call)();
    uint32_t error;            // what the call ends with; 0 when it is ignored
    bool (*holds)() = nullptr; // what the caller must also find afterwards
};

const absurd_case absurd_cases[] = {
    {"page_2147483647_as_the_active_page",
     [] { rt_screen(0, 0, INT32_MAX, 0, 0, active_page_given); }, err_illegal_function_call},
    {"page_above_the_limit_as_destination", [] { rt_select_dest(largest_page_number + 1); },
     err_illegal_function_call},
    {"substrings_doubling_40_levels_deep", run_doubling_substrings, err_illegal_function_call},
    {"tone_of_1e21_hz", [] { rt_tone(1e21, 0.1, false); }, err_illegal_function_call},
    {"tone_of_1e9_hz", [] { rt_tone(1e9, 0.1, false); }, err_illegal_function_call},
    {"tone_of_1e15_seconds", [] { rt_tone(440, 1e15, false); }, err_illegal_function_call},
    {"monospace_font_of_2048_pixels_on_the_text_screen", monospace_giant_on_the_text_screen,
     err_illegal_function_call},
    {"note_string_that_is_no_string", [] { rt_play(nullptr); }, 0},
    {"arc_smaller_than_one_step", tiny_arc_between_the_quadrant_starts, 0, centre_left_clear},
};

void PrintTo(const absurd_case& c, std::ostream* out) {
    *out << c.name;
}

class AbsurdArguments : public ::testing::TestWithParam<absurd_case> {
  protected:
    void SetUp() override { start_screen(); }
};

TEST_P(AbsurdArguments, EndWithTheirError) {
    const absurd_case& c = GetParam();
    c.call();
    EXPECT_EQ(take_error(), c.error);
    if (c.holds) {
        EXPECT_TRUE(c.holds());
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, AbsurdArguments, ::testing::ValuesIn(absurd_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

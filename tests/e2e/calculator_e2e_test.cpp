// The calculator as a welder uses it: the real executable, typed keys, the window read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/page_reader.h"
#include "tests/support/wave_output.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int graphics_cell_height = 8;
constexpr int quiet_rest_ms = 1500; // longer than the quiet second after which the output rests

class RealCalculator : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        ASSERT_TRUE(xvfb.ready());
        window = start_calculator(xvfb, MIRVA_EXECUTABLE, program, 20000, audio_environment());
        ASSERT_NE(window, 0u);
    }

    // OpenAL Soft's silent null output unless a test wants to hear the program.
    virtual std::vector<std::string> audio_environment() const { return {}; }

    std::vector<std::string> screen() {
        return window_text_rows(xvfb.display_name(), window, background, cell_height);
    }

    // Reads the window as the two-colour graphics screen from now on: white on black in cells
    // 8 pixels high.
    void read_graphics_screen() {
        background = 0x000000;
        cell_height = graphics_cell_height;
    }

    bool wait_for_row(const std::string& text, int timeout_ms = 10000) {
        const int64_t end = rt_clock_ms() + timeout_ms;
        while (rt_clock_ms() < end) {
            for (const auto& row : screen())
                if (row == text) return true;
            rt_sleep_ms(50);
        }
        return false;
    }

    // A key at the closing screen ends the program: its exit code, or -1 when it did not end.
    int press_a_key_to_end() {
        press_final_key(xvfb.display_name(), window, "space");
        return program->wait_exit(5000).value_or(-1);
    }

    void enter(const std::string& text) {
        ASSERT_TRUE(type_text(xvfb.display_name(), window, text));
        ASSERT_TRUE(press_key(xvfb.display_name(), window, "Return"));
    }

    xvfb_session xvfb;
    std::unique_ptr<child_process> program;
    x_window_id window = 0;
    std::optional<uint32_t> background = 0x0000AA; // the menu's blue
    int cell_height = 16;
};

TEST_F(RealCalculator, MenuReadsBackExactly) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    const std::vector<std::string>& expected = expected_menu_rows();
    std::vector<std::string> rows = screen();
    // The cursor may be showing in the prompt row; compare the rows above it exactly.
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 16),
              std::vector<std::string>(expected.begin(), expected.begin() + 16));
    EXPECT_EQ(rows[16].substr(0, 18), "SELECT AN OPTION ?");
    const char* shot_path = std::getenv("MIRVA_MENU_SCREENSHOT");
    if (shot_path) write_png(capture_window(xvfb.display_name(), window), shot_path);
}

TEST_F(RealCalculator, CarbonEquivalentOfTheWorkedExample) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("1");
    ASSERT_TRUE(wait_for_row("ENTER PERCENTAGE OF CARBON?"));
    for (const char* value : {".18", ".9", ".2", ".1", ".05", ".4"}) enter(value);
    EXPECT_TRUE(wait_for_row("THE CARBON EQUIVELANT IS  0.365 %"));
}

// The fillet weld's sketch as the window shows it: the lower part of the screenshot equals the
// committed picture of the in-process test, pixel for pixel (black background, one
// foreground colour).
::testing::AssertionResult sketch_matches(const rgba_image& shot, const grey_map& expected,
                                          int first_row) {
    if (expected.values.empty()) return ::testing::AssertionFailure() << "no expected picture";
    if (shot.width != expected.width || shot.height != expected.height)
        return ::testing::AssertionFailure() << "window " << shot.width << "x" << shot.height;
    std::optional<uint32_t> foreground;
    for (int y = first_row; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t colour = shot.rgb(x, y);
            const bool lit = expected.values[static_cast<size_t>(y) * expected.width + x] != 0;
            if (lit && !foreground && colour != 0) foreground = colour;
            const bool matches = lit ? colour != 0 && colour == foreground : colour == 0;
            if (!matches)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << colour;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(RealCalculator, FilletWeldShowsItsSketchAndBothResults) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("4");
    read_graphics_screen();
    ASSERT_TRUE(wait_for_row("ENTER 1st LEG SIZE?"));
    enter(".25");
    enter(".25");
    ASSERT_TRUE(wait_for_row("WOULD YOU LIKE TO CONTINUE ?"));
    const std::vector<std::string> rows = screen();
    ASSERT_GE(rows.size(), 7u);
    EXPECT_EQ(
        std::vector<std::string>(rows.begin(), rows.begin() + 6),
        (std::vector<std::string>{"ENTER 1st LEG SIZE? .25", "ENTER 2nd LEG SIZE? .25", "",
                                  "THE CROSS SECTIONAL AREA OF THIS WELD IS   0.031 SQUARE INCHES",
                                  "", "THIS WELD WILL REQUIRE    0.106 POUNDS PER FOOT"}));
    const rgba_image shot = capture_window(xvfb.display_name(), window);
    ASSERT_EQ(shot.width, 640);
    ASSERT_EQ(shot.height, 200);
    // Below the text: from the row under the continue question (row 8) to the bottom.
    constexpr int rows_of_text = 8;
    EXPECT_TRUE(sketch_matches(shot, read_expected_grey_map("app/fillet_weld.pgm"),
                               rows_of_text * graphics_cell_height));
    if (const char* shot_path = std::getenv("MIRVA_WELD_SCREENSHOT")) write_png(shot, shot_path);
}

TEST_F(RealCalculator, QuitShowsTheClosingScreenAndAKeyEndsTheProgram) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("13");
    ASSERT_TRUE(wait_for_row("PRESS ANY KEY TO CONTINUE"));
    const auto rows = screen();
    EXPECT_EQ(rows[0], std::string(80, '*'));
    EXPECT_EQ(rows[5],
              " <<<<<<<<<<<<<<<<<< MIRVALENTOPRAXIUS  VER. 1.3 Rev 2020 >>>>>>>>>>>>>>>>>>>>> *");
    EXPECT_EQ(press_a_key_to_end(), 0);
}

// Entry 12 as a welder hears it: OpenAL Soft's wave output, chosen by its configuration
// file alone, writes what the program plays.
class RealCalculatorHeard : public RealCalculator {
  protected:
    std::vector<std::string> audio_environment() const override { return output.environment(); }
    wave_output output;
};

TEST_F(RealCalculatorHeard, UltrasonicThirdLegShowsItsBandAndBeeps) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("12");
    ASSERT_TRUE(wait_for_row("Press Enter to continue?"));
    enter("");
    for (const char* value : {"5", "45", "1.5", "60", ".0625", ".0625", "2"}) enter(value);
    // The picture's background is not the menu's blue: each cell's own corner tells it.
    background.reset();
    ASSERT_TRUE(wait_for_row("Would you like to do another?"));
    const std::vector<std::string> rows = screen();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[0], "The Graphics for the Third Leg are not programmed");
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 24, rows.begin() + 27),
              (std::vector<std::string>{
                  "Transducer Angle 45 \xF8   Material Thickness 1.5 in.   Sound Path 5 in",
                  "Depth of Indication .535 in  Distance from Trans. 3.535 in",
                  "Groove Angle 60 \xF8     Root Opening .0625     Root Face .062"}));
    if (const char* shot_path = std::getenv("MIRVA_ULTRASONIC_SCREENSHOT"))
        write_png(capture_window(xvfb.display_name(), window), shot_path);
    // The output rests after a quiet second; the file must stay whole across the rest.
    rt_sleep_ms(quiet_rest_ms);

    enter("no");
    background = 0x0000AA;
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("13");
    ASSERT_TRUE(wait_for_row("PRESS ANY KEY TO CONTINUE"));
    ASSERT_EQ(press_a_key_to_end(), 0); // closing the device completes the file
    const auto samples = read_wave_file(output.file());
    ASSERT_TRUE(samples.has_value());
    const std::vector<sound_segment> sounds = sound_segments(*samples);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_NEAR(sounds[0].frequency, 783.99, 2.0);
    EXPECT_NEAR(sounds[0].duration(), 0.2, 0.01);
}

} // namespace

// The calculator as a welder uses it: the real executable, typed keys, the window read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

class RealCalculator : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        ASSERT_TRUE(xvfb.ready());
        window = start_calculator(xvfb, MIRVA_EXECUTABLE, program, 20000);
        ASSERT_NE(window, 0u);
    }

    std::vector<std::string> screen() {
        return window_text_rows(xvfb.display_name(), window, 0x0000AA);
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

    void enter(const std::string& text) {
        ASSERT_TRUE(type_text(xvfb.display_name(), window, text));
        ASSERT_TRUE(press_key(xvfb.display_name(), window, "Return"));
    }

    xvfb_session xvfb;
    std::unique_ptr<child_process> program;
    x_window_id window = 0;
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

TEST_F(RealCalculator, QuitShowsTheClosingScreenAndAKeyEndsTheProgram) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?"));
    enter("13");
    ASSERT_TRUE(wait_for_row("PRESS ANY KEY TO CONTINUE"));
    const auto rows = screen();
    EXPECT_EQ(rows[0], std::string(80, '*'));
    EXPECT_EQ(rows[5],
              " <<<<<<<<<<<<<<<<<< MIRVALENTOPRAXIUS  VER. 1.3 Rev 2020 >>>>>>>>>>>>>>>>>>>>> *");
    ASSERT_TRUE(press_key(xvfb.display_name(), window, "space"));
    const auto status = program->wait_exit(5000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

} // namespace

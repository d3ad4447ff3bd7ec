// The calculator as a welder uses it: the real executable, typed keys, the window read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/child_process.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

std::string trimmed(std::string row) {
    row.erase(row.find_last_not_of(' ') + 1);
    return row;
}

class RealCalculator : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        ASSERT_TRUE(xvfb.ready());
        program = std::make_unique<child_process>(std::vector<std::string>{MIRVA_EXECUTABLE},
                                                  process_options{"", xvfb.environment(), true});
        window = find_window_by_title(xvfb.display_name(), "Untitled", 10000);
        ASSERT_NE(window, 0u);
        // Without a window manager the window sits at (-1, -1), partly off the screen,
        // where it cannot be read back whole.
        run_command({"xdotool", "windowmove", std::to_string(window), "0", "0"},
                    xvfb.environment(), 5000);
    }

    // The window's text rows, trailing blanks removed; empty while it is not 640 x 400.
    std::vector<std::string> screen() {
        const rgba_image shot = capture_window(xvfb.display_name(), window);
        if (shot.width != 640 || shot.height != 400) return {};
        std::vector<std::string> rows =
            decode_text_screen(shot.bytes.data(), shot.width, shot.height, 4, 0x0000AA);
        for (auto& row : rows) row = trimmed(row);
        return rows;
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
    const std::vector<std::string> expected = {
        "                      SELECT AN OPTION",
        "",
        "  1) CALCULATE CARBON EQUIVELENT.",
        "  2) CALCULATE CARBON EQUIVELANT PER ASTM A-20",
        "  3) COMPARE COST OF TWO DIFFERENT WELDING PROCEDURES",
        "  4) CALCULATE THE POUNDS PER FOOT OF FILLET WELD",
        "  5) CALCULATE THE POUNDS PER FOOT OF SINGLE VEE GROOVE WELD",
        "  6) CALCULATE THE POUNDS PER FOOT OF DOUBLE VEE GROOVE WELD",
        "  7) CALCULATE THE POUNDS PER FOOT OF SINGLE BEVEL GROOVE WELD",
        "  8) CALCULATE THE POUNDS PER FOOT OF DOUBLE BEVEL GROOVE WELD",
        "  9) CALCULATE THE POUNDS PER A GIVEN AMOUNT OF PLUG WELDS",
        " 10) CALCULATE THE POUNDS PER FOOT FOR SQUARE GROOVE WELDS",
        " 11) CALCULATE HEAT INPUT IN JOULES PER INCH",
        " 12) ULTRASONIC SIMULATION",
        " 13) QUIT",
        "",
        "SELECT AN OPTION ?",
    };
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

// The cost comparison typed into the real calculator, its table read back from the window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/cost_example.h"
#include "tests/support/printed_pages.h"
#include "tests/support/private_cups.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

class RealCostComparison : public private_display_test {
  protected:
    void start() {
        window = start_calculator(*x_, MIRVA_EXECUTABLE, program, 20000);
        ASSERT_NE(window, 0u);
    }

    std::vector<std::string> screen() {
        return window_text_rows(x_->display_name(), window, 0x0000AA);
    }

    // Waits until row (1-based) reads text; the screen last read is kept in shown.
    bool wait_for_row(int row, const std::string& text, int timeout_ms = 10000) {
        const int64_t end = rt_clock_ms() + timeout_ms;
        while (rt_clock_ms() < end) {
            shown = screen();
            if (static_cast<int>(shown.size()) >= row && shown[row - 1] == text) return true;
            rt_sleep_ms(50);
        }
        return false;
    }

    void enter(const std::string& text) {
        if (!text.empty()) {
            ASSERT_TRUE(type_text(x_->display_name(), window, text));
        }
        ASSERT_TRUE(press_key(x_->display_name(), window, "Return"));
    }

    // Types the worked example through to the printed-copy question.
    void type_worked_example() {
        ASSERT_TRUE(wait_for_row(17, "SELECT AN OPTION ?"));
        enter("3");
        ASSERT_TRUE(wait_for_row(20, "ENTER THE LABOR COST PER HOUR?"));
        enter(example_labour_rate);
        for (const procedure_answers* answers : {&flux_cored_answers(), &stick_answers()})
            for (const std::string& answer : *answers) ASSERT_NO_FATAL_FAILURE(enter(answer));
        ASSERT_TRUE(wait_for_row(22, expected_cost_table().back()))
            << ::testing::PrintToString(shown);
    }

    std::unique_ptr<child_process> program;
    x_window_id window = 0;
    std::vector<std::string> shown;
};

TEST_F(RealCostComparison, TableReadsBackFromTheWindow) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(type_worked_example());
    EXPECT_EQ(std::vector<std::string>(shown.begin(), shown.begin() + 22), expected_cost_table());
    // The question below the table may show the cursor after it.
    EXPECT_EQ(shown[22].substr(0, 31), "Would you like a printed copy ?");
    if (const char* shot_path = std::getenv("MIRVA_COST_SCREENSHOT")) {
        EXPECT_TRUE(write_png(capture_window(x_->display_name(), window), shot_path));
    }
    enter("n");
    ASSERT_TRUE(wait_for_row(24, "WOULD YOU LIKE TO CONTINUE ?"));
    enter("n");
    EXPECT_TRUE(wait_for_row(17, "SELECT AN OPTION ?"));
}

// The printed copy goes to the default destination of the test's own scheduler; quitting
// sends the pending page at once instead of after the idle time. The Windows build under
// Wine reaches the same scheduler through Wine's printing, as PostScript.
TEST_F(RealCostComparison, PrintedCopyArrivesFromTheDefaultQueue) {
    MIRVA_SKIP_WITHOUT("cupsd");
    MIRVA_SKIP_WITHOUT("lpadmin");
    const program_print_path path = print_path_of_program_under_test();
    if (path.postscript) MIRVA_SKIP_WITHOUT("gs");
    private_cups cups;
    ASSERT_TRUE(cups.ready());
    ASSERT_TRUE(path.add_default_queue(cups));
    cups.use_for_this_process(); // the calculator inherits the test's environment
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(type_worked_example());
    enter("y");
    ASSERT_TRUE(wait_for_row(2, "WOULD YOU LIKE TO CONTINUE ?")) << ::testing::PrintToString(shown);
    enter("n");
    ASSERT_TRUE(wait_for_row(17, "SELECT AN OPTION ?"));
    enter("13");
    ASSERT_TRUE(wait_for_row(22, "PRESS ANY KEY TO CONTINUE"));
    press_final_key(x_->display_name(), window, "space");
    EXPECT_EQ(program->wait_exit(10000), 0);

    ASSERT_TRUE(cups.wait_for_completed_jobs(1, 30000));
    const std::vector<printed_job> jobs = cups.completed_jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].title, "Document");
    const std::vector<raster_page> pages = path.pages(jobs[0].document);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(margins_are_white(pages[0].sheet, path.paper));
    std::vector<std::string> rows = printed_rows(pages[0].sheet, path.paper);
    EXPECT_EQ(rows, expected_cost_table());
}

} // namespace

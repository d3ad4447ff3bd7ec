// Closing the window at any moment of a session: in each kind of prompt, over a sketch, in
// the error trap and the error dialog, while a tone sounds and while a printed page waits
// for the printer. Every time the process ends at once with exit code 0, and a waiting page
// is printed first. And the error dialog answered from the keyboard.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/cost_example.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/printed_pages.h"
#include "tests/support/private_cups.h"
#include "tests/support/wave_output.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

// Counted from the moment the server holds the close request, so neither the start nor the
// typing before it is measured.
constexpr int exit_bound_ms = 1000;
constexpr int start_timeout_ms = 20000;
constexpr int reach_timeout_ms = 15000;
constexpr int look_again_ms = 20;
constexpr int printed_job_timeout_ms = 30000;
constexpr int two_colour_screen_height = 200;
constexpr int two_colour_cell_height = 8;
constexpr int text_cell_height = 16;
constexpr double beep_hz = 783.99;
constexpr double pitch_tolerance_hz = 5;

// What is typed at a prompt: the row that shows the prompt (none: type ahead), then the
// text, ended with Return unless it is a single key for a "press any key".
struct answer {
    const char* prompt;
    const char* text;
    bool ends_line = true;
};

// Where the moment shows besides the window's text.
enum class moment_kind { screen, error_dialog, tone, printed_page };

struct close_moment {
    const char* name;
    std::vector<answer> answers; // from the menu on
    const char* shown;           // the row (for the error dialog: the title) of the moment
    moment_kind kind = moment_kind::screen;
};

void PrintTo(const close_moment& moment, std::ostream* os) {
    *os << moment.name;
}

// Carbon and manganese at the top of the single range: no template can show the result,
// which is an illegal function call for the error trap.
const std::vector<answer> carbon_equivalent_overflow = {{"SELECT AN OPTION ?", "1"},
                                                        {"ENTER PERCENTAGE OF CARBON?", "3E+38"},
                                                        {nullptr, "3E+38"},
                                                        {nullptr, "0"},
                                                        {nullptr, "0"},
                                                        {nullptr, "0"},
                                                        {nullptr, "0"}};

// The trap never resumes: after its key the same error goes to the dialog.
std::vector<answer> overflow_trapped_then_in_the_dialog() {
    std::vector<answer> answers = carbon_equivalent_overflow;
    answers.push_back({"PRESS ANY KEY TO CONTINUE", "k", false});
    answers.insert(answers.end(), carbon_equivalent_overflow.begin(),
                   carbon_equivalent_overflow.end());
    return answers;
}

// The worked cost comparison up to its printed copy, which leaves the page pending.
std::vector<answer> cost_comparison_with_printed_copy() {
    std::vector<answer> answers = {{"SELECT AN OPTION ?", "3"},
                                   {"ENTER THE LABOR COST PER HOUR?", example_labour_rate}};
    for (const procedure_answers* procedure : {&flux_cored_answers(), &stick_answers()})
        for (const std::string& text : *procedure) answers.push_back({nullptr, text.c_str()});
    answers.push_back({"Would you like a printed copy ?", "y"});
    return answers;
}

// Sound path 5 at 45 degrees through 1.5 inches ends in the third leg, which beeps.
const std::vector<answer> ultrasonic_third_leg = {{"SELECT AN OPTION ?", "12"},
                                                  {"Press Enter to continue?", ""},
                                                  {"Enter sound path?", "5"},
                                                  {nullptr, "45"},
                                                  {nullptr, "1.5"},
                                                  {nullptr, "60"},
                                                  {nullptr, ".0625"},
                                                  {nullptr, ".0625"},
                                                  {nullptr, "2"}};

std::vector<close_moment> close_moments() {
    return {
        {"MenuPrompt", {}, "SELECT AN OPTION ?"},
        {"CarbonEquivalentPrompt",
         {{"SELECT AN OPTION ?", "1"}, {"ENTER PERCENTAGE OF CARBON?", ".18"}},
         "ENTER PERCENTAGE OF MANGANESE?"},
        {"FilletWeldPromptOverItsSketch", {{"SELECT AN OPTION ?", "4"}}, "ENTER 1st LEG SIZE?"},
        {"HeatInputPrompt",
         {{"SELECT AN OPTION ?", "11"}, {"ENTER THE MAXIMUM JOULES PER INCH ALLOWED?", "40000"}},
         "ENTER AMPS?"},
        {"CostComparisonTextPrompt",
         {{"SELECT AN OPTION ?", "3"},
          {"ENTER THE LABOR COST PER HOUR?", "30"},
          {"WELDING PROCEDURE NUMBER?", "WPS-1"}},
         "PROCESS TYPE?"},
        {"ContinueQuestion",
         {{"SELECT AN OPTION ?", "1"},
          {"ENTER PERCENTAGE OF CARBON?", ".18"},
          {nullptr, ".9"},
          {nullptr, ".2"},
          {nullptr, ".1"},
          {nullptr, ".05"},
          {nullptr, ".4"}},
         "WOULD YOU LIKE TO CONTINUE ?"},
        {"ClosingScreen", {{"SELECT AN OPTION ?", "13"}}, "PRESS ANY KEY TO CONTINUE"},
        {"ErrorTrap", carbon_equivalent_overflow, "PRESS ANY KEY TO CONTINUE"},
        {"ErrorDialog", overflow_trapped_then_in_the_dialog(), "Unhandled Error #5",
         moment_kind::error_dialog},
        {"UltrasonicBeep", ultrasonic_third_leg, nullptr, moment_kind::tone},
        {"PrintedPagePending", cost_comparison_with_printed_copy(), "WOULD YOU LIKE TO CONTINUE ?",
         moment_kind::printed_page},
    };
}

// A prompt's row ends in the blinking input cursor or nothing.
std::string without_cursor(std::string row) {
    row.erase(row.find_last_not_of(std::string(" _\0", 3)) + 1);
    return row;
}

// The calculator driven to a moment of its session, and what the moment leaves behind.
class calculator_moments : public private_display_test {
  protected:
    const std::string& display() const { return x_->display_name(); }

    void start(moment_kind kind) {
        std::vector<std::string> environment;
        if (kind == moment_kind::printed_page) {
            MIRVA_SKIP_WITHOUT("cupsd");
            MIRVA_SKIP_WITHOUT("lpadmin");
            cups = std::make_unique<private_cups>();
            ASSERT_TRUE(cups->ready());
            ASSERT_TRUE(cups->add_raster_queue("rasterfile", true));
            cups->use_for_this_process(); // the calculator inherits the test's environment
        }
        if (kind == moment_kind::tone) {
            wave = std::make_unique<wave_output>();
            environment = wave->environment();
        }
        window = start_calculator(*x_, MIRVA_EXECUTABLE, program, start_timeout_ms, environment);
        ASSERT_NE(window, 0u);
    }

    // The window's rows of text; the two-colour screen has cells 8 pixels high.
    std::vector<std::string> screen() const {
        const rgba_image picture = capture_window(display(), window);
        if (picture.empty()) return {};
        const int cell_height =
            picture.height == two_colour_screen_height ? two_colour_cell_height : text_cell_height;
        std::vector<std::string> rows = decode_text_screen(picture.bytes.data(), picture.width,
                                                           picture.height, 4, {}, cell_height);
        for (std::string& row : rows) row = without_cursor(row);
        return rows;
    }

    bool shows_row(const std::string& text) const {
        for (const std::string& row : screen())
            if (row == text) return true;
        return false;
    }

    bool beep_heard() const {
        const std::optional<wave_samples> samples = read_wave_file(wave->file());
        if (!samples) return false;
        for (const sound_segment& segment : sound_segments(*samples))
            if (std::abs(segment.frequency - beep_hz) < pitch_tolerance_hz) return true;
        return false;
    }

    template <class Condition> bool wait_until(Condition condition) const {
        const int64_t end = rt_clock_ms() + reach_timeout_ms;
        while (rt_clock_ms() < end) {
            if (condition()) return true;
            rt_sleep_ms(look_again_ms);
        }
        return false;
    }

    void give(const answer& a) {
        if (a.prompt) {
            ASSERT_TRUE(wait_until([&] { return shows_row(a.prompt); }))
                << "no prompt " << a.prompt << "\n"
                << ::testing::PrintToString(screen());
        }
        if (*a.text) {
            ASSERT_TRUE(type_text(display(), window, a.text));
        }
        if (a.ends_line) {
            ASSERT_TRUE(press_key(display(), window, "Return"));
        }
    }

    bool moment_reached(const close_moment& moment) const {
        switch (moment.kind) {
        case moment_kind::error_dialog:
            return find_window_by_title(display(), moment.shown, reach_timeout_ms) != 0;
        case moment_kind::tone:
            return wait_until([&] { return beep_heard(); });
        case moment_kind::screen:
        case moment_kind::printed_page:
            break;
        }
        return wait_until([&] { return shows_row(moment.shown); });
    }

    // What the close must finish: a page not yet printed, an output still open.
    void check_before_close(moment_kind kind) const {
        if (kind == moment_kind::printed_page) {
            // The idle time that would print the page has not passed.
            ASSERT_EQ(cups->job_count(), 0u);
        }
        if (kind == moment_kind::tone) {
            // The file's header still waits for the output to be closed.
            ASSERT_FALSE(wave_file_finished(wave->file()));
        }
    }

    // What the moment leaves behind once the process has ended.
    void check_after_exit(moment_kind kind) {
        if (kind == moment_kind::tone) {
            // The audio device was closed in order although the tone was still sounding.
            EXPECT_TRUE(wave_file_finished(wave->file()));
        }
        if (kind == moment_kind::printed_page) {
            ASSERT_TRUE(cups->wait_for_completed_jobs(1, printed_job_timeout_ms));
            const std::vector<printed_job> jobs = cups->completed_jobs();
            ASSERT_EQ(jobs.size(), 1u);
            const std::vector<raster_page> pages = decode_pwg_raster(jobs[0].document);
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_EQ(printed_rows(pages[0].sheet), expected_cost_table());
        }
    }

    std::unique_ptr<private_cups> cups;
    std::unique_ptr<wave_output> wave;
    std::unique_ptr<child_process> program;
    x_window_id window = 0;
};

class ClosingTheWindow : public calculator_moments,
                         public ::testing::WithParamInterface<close_moment> {};

TEST_P(ClosingTheWindow, EndsTheProcessAtOnceWithExitCodeZero) {
    const close_moment& moment = GetParam();
    ASSERT_NO_FATAL_FAILURE(start(moment.kind));
    if (IsSkipped()) return;
    ASSERT_TRUE(wait_until([&] { return shows_row("SELECT AN OPTION ?"); }));
    for (const answer& a : moment.answers) ASSERT_NO_FATAL_FAILURE(give(a));
    ASSERT_TRUE(moment_reached(moment)) << ::testing::PrintToString(screen());
    ASSERT_NO_FATAL_FAILURE(check_before_close(moment.kind));

    ASSERT_TRUE(send_delete_window(display(), window));
    const int64_t sent = rt_clock_ms();
    const std::optional<int> status = program->wait_exit(exit_bound_ms);
    const int64_t took = rt_clock_ms() - sent;
    ASSERT_TRUE(status.has_value()) << "still running " << took << " ms after the close request";
    EXPECT_EQ(*status, 0);
    EXPECT_LE(took, exit_bound_ms);
    check_after_exit(moment.kind);
}

INSTANTIATE_TEST_SUITE_P(AnyMoment, ClosingTheWindow, ::testing::ValuesIn(close_moments()),
                         [](const ::testing::TestParamInfo<close_moment>& info) {
                             return std::string(info.param.name);
                         });

// The error dialog answered from the keyboard: Yes goes on with the next statement, No
// ends the program with exit code 0.
struct dialog_answer {
    const char* name;
    const char* key;
    const char* shown_after; // nullptr: the program ends
};

void PrintTo(const dialog_answer& answer, std::ostream* os) {
    *os << answer.name;
}

class AnsweringTheErrorDialog : public calculator_moments,
                                public ::testing::WithParamInterface<dialog_answer> {};

TEST_P(AnsweringTheErrorDialog, YesGoesOnAndNoEndsWithExitCodeZero) {
    const dialog_answer& reply = GetParam();
    ASSERT_NO_FATAL_FAILURE(start(moment_kind::error_dialog));
    ASSERT_TRUE(wait_until([&] { return shows_row("SELECT AN OPTION ?"); }));
    for (const answer& a : overflow_trapped_then_in_the_dialog()) ASSERT_NO_FATAL_FAILURE(give(a));
    const x_window_id dialog =
        find_window_by_title(display(), "Unhandled Error #5", reach_timeout_ms);
    ASSERT_NE(dialog, 0u);
    ASSERT_TRUE(press_key(display(), dialog, reply.key));
    if (reply.shown_after) {
        EXPECT_TRUE(wait_until([&] { return shows_row(reply.shown_after); }))
            << ::testing::PrintToString(screen());
        return;
    }
    EXPECT_EQ(program->wait_exit(reach_timeout_ms), 0);
}

INSTANTIATE_TEST_SUITE_P(ErrorDialog, AnsweringTheErrorDialog,
                         ::testing::Values(dialog_answer{"Yes", "y",
                                                         "WOULD YOU LIKE TO CONTINUE ?"},
                                           dialog_answer{"No", "n", nullptr}),
                         [](const ::testing::TestParamInfo<dialog_answer>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

// The main menu, the continue question, the error trap and the closing screen, driven
// key by key through the keyboard path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/core/run_control.h"
#include "runtime/core/scratch.h"
#include "runtime/core/string_heap.h"
#include "runtime/platform/clock.h"
#include "tests/support/app_session.h"
#include "tests/support/expected_menu.h"
#include "tests/support/page_reader.h"
#include "tests/support/scripted_boxes.h"

namespace {

// Read while the program waits at the menu (no lock: see tests/tsan.supp).
struct memory_marks {
    int64_t heap_used;
    int32_t heap_count, temporaries;
    uint8_t* scratch_top;
    bool operator==(const memory_marks&) const = default;
};
memory_marks read_memory_marks() {
    return {string_heap.used, heap_list.count, temp_list.count, rt_scratch.top};
}

const std::vector<std::string>& menu_screen = expected_menu_rows();

class Menu : public ::testing::Test {
  protected:
    void SetUp() override { script_message_boxes({}); }
    bool at_menu() { return app.wait_for_last_row("SELECT AN OPTION ?"); }
    // Answers the four heat-input prompts with the value and waits for the continue question.
    void run_heat_input(const char* value = "1") {
        ASSERT_TRUE(app.wait_for_last_row("ENTER THE MAXIMUM JOULES PER INCH ALLOWED?"))
            << screen_text(app.rows());
        for (int i = 0; i < 4; ++i) app.enter(value);
        ASSERT_TRUE(app.wait_for_last_row("WOULD YOU LIKE TO CONTINUE ?"))
            << screen_text(app.rows());
    }
    app_session app;
};

TEST_F(Menu, ShowsItsThirteenEntriesLightGreyOnBlue) {
    ASSERT_TRUE(at_menu()) << screen_text(app.rows());
    EXPECT_EQ(app.rows(), menu_screen);
    EXPECT_EQ(read_text_page(app.page()).text[16].substr(0, 20), "SELECT AN OPTION ?  ");
    const text_page_rows cells = read_text_page(app.page());
    for (const std::string& attributes : cells.attributes)
        for (const char a : attributes) ASSERT_EQ(static_cast<uint8_t>(a), 0x17);
    EXPECT_EQ(app.page().mode, 0);
    EXPECT_EQ(app.page().width, 80);
    EXPECT_EQ(app.page().height, 25);
}

TEST_F(Menu, InvalidSelectionsAreNamedAndThePromptComesAgain) {
    ASSERT_TRUE(at_menu());
    app.enter("0");
    ASSERT_TRUE(app.wait_for_row_text(" 0 IS NOT A VALID SELECTION")) << screen_text(app.rows());
    app.enter("-3");
    ASSERT_TRUE(app.wait_for_row_text("-3 IS NOT A VALID SELECTION")) << screen_text(app.rows());
    app.enter("14");
    ASSERT_TRUE(app.wait_for_row_text(" 14 IS NOT A VALID SELECTION"));
    ASSERT_TRUE(at_menu());
    const auto rows = app.rows();
    const std::vector<std::string> tail(rows.end() - 7, rows.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"SELECT AN OPTION ? 0", " 0 IS NOT A VALID SELECTION",
                                        "SELECT AN OPTION ? -3", "-3 IS NOT A VALID SELECTION",
                                        "SELECT AN OPTION ? 14", " 14 IS NOT A VALID SELECTION",
                                        "SELECT AN OPTION ?"}));
}

TEST_F(Menu, YesInAnyCaseRestartsTheCalculatorAndNoGoesBack) {
    ASSERT_TRUE(at_menu());
    app.enter("11");
    for (const char* answer : {"yEs", "Y", "y"}) {
        ASSERT_NO_FATAL_FAILURE(run_heat_input());
        app.enter(answer);
    }
    for (const char* answer : {"n", "No", "NO"}) {
        ASSERT_NO_FATAL_FAILURE(run_heat_input());
        app.enter(answer);
        ASSERT_TRUE(app.wait_for([&] { return app.rows() == menu_screen; }))
            << screen_text(app.rows());
        app.enter("11");
    }
}

TEST_F(Menu, ThreeUnrecognisedAnswersGoBackToTheMenu) {
    ASSERT_TRUE(at_menu());
    app.enter("11");
    ASSERT_NO_FATAL_FAILURE(run_heat_input());
    app.enter("maybe");
    app.enter("");
    ASSERT_TRUE(app.wait_for([&] {
        const auto r = app.rows();
        return std::count(r.begin(), r.end(), "PLEASE ENTER (Y)es OR (N)o") == 2 &&
               r.back() == "WOULD YOU LIKE TO CONTINUE ?";
    }));
    const auto rows = app.rows();
    const std::vector<std::string> tail(rows.end() - 5, rows.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "WOULD YOU LIKE TO CONTINUE ? maybe", "PLEASE ENTER (Y)es OR (N)o",
                        "WOULD YOU LIKE TO CONTINUE ?", "PLEASE ENTER (Y)es OR (N)o",
                        "WOULD YOU LIKE TO CONTINUE ?"}));
    app.enter("x");
    ASSERT_TRUE(app.wait_for([&] { return app.rows() == menu_screen; }));
}

TEST_F(Menu, TwoUnrecognisedAnswersThenYesRestartWithAFreshCount) {
    ASSERT_TRUE(at_menu());
    app.enter("11");
    for (int round = 0; round < 2; ++round) {
        ASSERT_NO_FATAL_FAILURE(run_heat_input());
        app.enter("a");
        app.enter("b");
        app.enter("Y");
    }
    // Two rounds of two unrecognised answers each: the count started again at 0.
    ASSERT_TRUE(app.wait_for_last_row("ENTER THE MAXIMUM JOULES PER INCH ALLOWED?"));
}

TEST_F(Menu, AnIllegalFunctionCallIsTrappedAndAKeyBringsTheMenu) {
    ASSERT_TRUE(at_menu());
    app.enter("1");
    // Carbon and manganese at the top of the single range: the equivalent overflows to
    // infinity, which no template can show.
    for (const char* value : {"3E+38", "3E+38", "0", "0", "0", "0"}) app.enter(value);
    ASSERT_TRUE(app.wait_for_last_row("PRESS ANY KEY TO CONTINUE")) << screen_text(app.rows());
    const auto rows = app.rows();
    // Nothing of the result line could be formatted; the trap prints where the cursor is.
    EXPECT_EQ(rows[rows.size() - 4], "ENTER PERCENTAGE OF COPPER? 0");
    EXPECT_EQ(rows[rows.size() - 3], "");
    EXPECT_EQ(rows[rows.size() - 2], "An illegal function call has been made.");
    app.type("k");
    ASSERT_TRUE(app.wait_for([&] { return app.rows() == menu_screen; }));

    // The trap never resumes: a second error is not trapped but reported in the dialog.
    script_message_boxes({box_answer::yes});
    app.enter("1");
    for (const char* value : {"3E+38", "3E+38", "0", "0", "0", "0"}) app.enter(value);
    ASSERT_TRUE(app.wait_for_last_row("WOULD YOU LIKE TO CONTINUE ?")) << screen_text(app.rows());
    ASSERT_EQ(recorded_boxes().size(), 1u);
    EXPECT_EQ(recorded_boxes()[0].caption, "Unhandled Error #5");
    EXPECT_EQ(recorded_boxes()[0].text, "Line:422\nIllegal function call\nContinue?");
}

// The closing screen's frame, its banner and its last row. Checked in the child, which
// ends with the program; the message matched below says it was seen.
bool is_closing_screen(const std::vector<std::string>& rows) {
    const std::string banner =
        " <<<<<<<<<<<<<<<<<< MIRVALENTOPRAXIUS  VER. 1.3 Rev 2020 >>>>>>>>>>>>>>>>>>>>>";
    return rows.size() > 2 && rows[0] == std::string(80, '*') &&
           rows[1] == "*" + std::string(78, ' ') + "*" &&
           std::any_of(rows.begin(), rows.end(),
                       [&](const std::string& row) { return row.starts_with(banner); }) &&
           rows.back() == "PRESS ANY KEY TO CONTINUE";
}

TEST(ClosingScreen, QuitShowsTheClosingScreenAndOneKeyEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            app_session session;
            session.wait_for_last_row("SELECT AN OPTION ?");
            session.enter("13");
            if (!session.wait_for_row_text("PRESS ANY KEY TO CONTINUE")) std::abort();
            const auto rows = session.rows();
            std::fputs(is_closing_screen(rows) ? "closing screen\n" : screen_text(rows).c_str(),
                       stderr);
            session.type(" ");
            for (;;) rt_sleep_ms(100);
        },
        ::testing::ExitedWithCode(0), "^closing screen\n$");
}

TEST_F(Menu, ManyRoundTripsUseBoundedMemory) {
    ASSERT_TRUE(at_menu());
    const auto round_trip = [&] {
        app.enter("11");
        for (int i = 0; i < 4; ++i) app.enter("2");
        app.enter("n");
        ASSERT_TRUE(app.wait_for([&] { return app.rows() == menu_screen; }, 20000));
        ASSERT_TRUE(app.wait_until_program_waits());
    };
    round_trip();
    const memory_marks before = read_memory_marks();
    for (int i = 0; i < 500; ++i) {
        round_trip();
        if (HasFatalFailure()) return;
    }
    const memory_marks after = read_memory_marks();
    EXPECT_EQ(after.heap_used, before.heap_used);
    EXPECT_EQ(after.heap_count, before.heap_count);
    EXPECT_EQ(after.temporaries, before.temporaries);
    EXPECT_EQ(after.scratch_top, before.scratch_top);
}

} // namespace

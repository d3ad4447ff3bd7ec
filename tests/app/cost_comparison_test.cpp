// The welding cost comparison: its prompts, the table of both procedures and the
// continue question, typed through the keyboard path.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "runtime/core/seconds_clock.h"
#include "runtime/printer/printer.h"
#include "tests/support/app_session.h"
#include "tests/support/cost_example.h"
#include "tests/support/expected_menu.h"
#include "tests/support/printer_page_text.h"
#include "tests/support/recording_printer.h"
#include "tests/support/scripted_boxes.h"

namespace {

enum answer_index {
    number,
    process,
    classification,
    size,
    trade_name,
    gas,
    deposition_rate,
    operating_factor
};

const procedure_answers& flux_cored = flux_cored_answers();
const procedure_answers& stick = stick_answers();

procedure_answers with(procedure_answers answers, answer_index index, const char* answer) {
    answers[index] = answer;
    return answers;
}

std::vector<std::string> tail(const std::vector<std::string>& rows, size_t count) {
    return {rows.end() - std::min(count, rows.size()), rows.end()};
}

std::atomic<int64_t> fake_ms{1000000};
int64_t read_fake_clock() {
    return fake_ms.load();
}

// The run's clock, which the tests move on, and a stand-in printer that records pages at
// the printer page's own size; installed before the runtime starts.
struct clock_and_printer {
    clock_and_printer() {
        rt_set_clock_reader(read_fake_clock);
        rt_set_start_time_of_day(12 * 3600000);
        install_recording_printer({printer_page_width, printer_page_height});
    }
    ~clock_and_printer() { platform_set_print_stand_in(nullptr); }
};

class CostComparison : public ::testing::Test {
  protected:
    void SetUp() override {
        script_message_boxes({});
        ASSERT_TRUE(app.wait_for_last_row("SELECT AN OPTION ?"));
        app.enter("3");
    }
    void type_answers(const procedure_answers& answers) {
        for (const std::string& answer : answers) app.enter(answer);
    }
    // Types a whole comparison and returns the screen at the printed-copy question.
    std::vector<std::string> table(const procedure_answers& first,
                                   const procedure_answers& second) {
        app.enter(example_labour_rate);
        type_answers(first);
        type_answers(second);
        EXPECT_TRUE(app.wait_for_last_row("Would you like a printed copy ?"))
            << screen_text(app.rows());
        return app.rows();
    }
    clock_and_printer clock_and_printer_;
    app_session app;
};

TEST_F(CostComparison, StartsBelowTheMenu) {
    ASSERT_TRUE(app.wait_for_last_row("ENTER THE LABOR COST PER HOUR?")) << screen_text(app.rows());
    std::vector<std::string> expected = expected_menu_rows();
    expected.back() += " 3";
    for (const char* row :
         {"                 WELDING COST COMPARISON PROGRAM", "", "ENTER THE LABOR COST PER HOUR?"})
        expected.push_back(row);
    EXPECT_EQ(app.rows(), expected);
}

TEST_F(CostComparison, EntryOfTheFirstProcedure) {
    app.enter(example_labour_rate);
    type_answers(procedure_answers(flux_cored.begin(), flux_cored.end() - 1));
    ASSERT_TRUE(app.wait_for_last_row("GAS COST PER CUBIC FOOT?")) << screen_text(app.rows());
    EXPECT_EQ(app.rows(), (std::vector<std::string>{
                              "          P R O C E S S   N U M B E R  O N E",
                              "",
                              "WELDING PROCEDURE NUMBER? WPS-1",
                              "PROCESS TYPE? FCAW",
                              "ELECTRODE CLASSIFICATION? E71T-1",
                              "SIZE OF THE ELECTRODE? 1/16",
                              "TRADE NAME OF THE ELECTRODE? DUAL SHIELD",
                              "TYPE OF SHIELDING GAS REQUIRED. (PRESS <ENTER> FOR NO GAS)? CO2",
                              "DEPOSITION RATE  LBS/HOUR? 10",
                              "OPERATING FACTOR",
                              "                  FCAW = .45",
                              "                  SMAW = .30",
                              "                  GMAW = .48",
                              "                              ? .5",
                              "COST PER POUND OF ELECTRODE? 2",
                              "DEPOSITION EFFICIENCY OF THE ELECTRODE? .8",
                              "GAS FLOW RATE IN CFH? 40",
                              "GAS COST PER CUBIC FOOT?",
                          }));
}

TEST_F(CostComparison, EntryOfTheSecondProcedure) {
    app.enter(example_labour_rate);
    type_answers(stick);
    const procedure_answers second = with(flux_cored, deposition_rate, "12.5");
    type_answers(procedure_answers(second.begin(), second.begin() + 10));
    ASSERT_TRUE(app.wait_for_last_row("GAS FLOW RATE IN CUBIC FEET PER HOUR?"))
        << screen_text(app.rows());
    const std::vector<std::string> rows = app.rows();
    EXPECT_EQ(rows[0], "              P R O C E S S   N U M B E R   T W O");
    EXPECT_EQ(rows[8], "DEPOSITION RATE IN LBS/ PER HOUR? 12.5");
    EXPECT_EQ(rows[12], "                  GMAW = .50");
    EXPECT_EQ(rows.size(), 17u);
}

TEST_F(CostComparison, TableOfBothProcedures) {
    const std::vector<std::string> rows = table(flux_cored, stick);
    std::vector<std::string> expected = expected_cost_table();
    expected.push_back("Would you like a printed copy ?");
    EXPECT_EQ(rows, expected);
}

// Rows 1 to 22 of the table, for the procedures given; each case names the rows it checks.
struct table_case {
    const char* name;
    procedure_answers first, second;
    std::vector<std::pair<int, std::string>> rows;
};

TEST_F(CostComparison, ShownValues) {
    const table_case cases[] = {
        {"an empty procedure number shows NONE",
         with(flux_cored, number, ""),
         with(stick, number, ""),
         {{3, "WELDING PROCEDURE NUMBER NONE                       NONE"}}},
        {"without gas no gas is charged",
         stick,
         stick,
         {{8, "TYPE OF SHIELDING GAS"},
          {14, "GAS FLOW RATE IN CFH      0 CFH                      0 CFH"},
          {15, "GAS COST PER CUBIC FT    $0.00                      $0.00"},
          {19, "GAS COST                 $0.00 PER LB WELD          $0.00 PER LB WELD"}}},
        {"an operating factor is shown in percent",
         with(flux_cored, operating_factor, ".45"),
         with(stick, operating_factor, "0.45"),
         {{11, "OPERATING FACTOR         45%                         45%"}}},
        {"trade names are cut to their columns",
         with(flux_cored, trade_name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
         with(stick, trade_name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
         {{7, "TRADE NAME               ABCDEFGHIJKLMNOP           ABCDEFGHIJKLMN"}}},
    };
    bool first_round = true;
    for (const table_case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!first_round) {
            app.enter("no");
            app.enter("Y");
        }
        first_round = false;
        const std::vector<std::string> rows = table(c.first, c.second);
        ASSERT_EQ(rows.size(), 23u) << screen_text(rows);
        for (const auto& [row, text] : c.rows) EXPECT_EQ(rows[row - 1], text) << "row " << row;
    }
}

TEST_F(CostComparison, PrintedCopyForYesOnly) {
    struct answer_case {
        const char* answer;
        size_t pages_printed; // so far
    };
    const answer_case cases[] = {{"no", 0}, {"", 0}, {"y", 1}, {"NO", 1}, {"yes", 2}};
    bool first_round = true;
    for (const answer_case& c : cases) {
        SCOPED_TRACE(std::string("answer \"") + c.answer + "\"");
        if (!first_round) app.enter("Y");
        first_round = false;
        table(flux_cored, stick);
        app.enter(c.answer);
        ASSERT_TRUE(app.wait_for_last_row("WOULD YOU LIKE TO CONTINUE ?"));
        // A page goes out once nothing has been printed for a while.
        fake_ms += static_cast<int64_t>(printer_idle_seconds * 1000);
        ASSERT_TRUE(app.wait_for([&] { return recorded_page_count() == c.pages_printed; }));
        ASSERT_TRUE(wait_for_service_pass()); // the flush that printed has finished
        ASSERT_TRUE(app.wait_until_program_waits());
        EXPECT_FALSE(printer_page_pending());
        EXPECT_EQ(recorded_page_count(), c.pages_printed);
        if (c.pages_printed == 0) {
            EXPECT_EQ(printer_page_slot(), -1) << "no printer page made";
        }
    }
    // The screen was cleared for printing; the question stands at its top.
    EXPECT_EQ(app.rows(), (std::vector<std::string>{"", "WOULD YOU LIKE TO CONTINUE ?"}));
    for (const rgba_image& page : recorded_pages())
        EXPECT_EQ(printer_page_text(printer_page_in(page, 0, 0, page.width, page.height)),
                  expected_cost_table());
}

TEST_F(CostComparison, ContinueQuestionAfterAnEmptyLineEveryTime) {
    table(flux_cored, stick);
    app.enter("no");
    ASSERT_TRUE(app.wait_for_last_row("WOULD YOU LIKE TO CONTINUE ?")) << screen_text(app.rows());
    EXPECT_EQ(tail(app.rows(), 3), (std::vector<std::string>{"Would you like a printed copy ? no",
                                                             "", "WOULD YOU LIKE TO CONTINUE ?"}));
    app.enter("maybe");
    app.enter("");
    ASSERT_TRUE(app.wait_for([&] {
        const auto rows = app.rows();
        return std::count(rows.begin(), rows.end(), "PLEASE ENTER (Y)es OR (N)o") == 2 &&
               rows.back() == "WOULD YOU LIKE TO CONTINUE ?";
    })) << screen_text(app.rows());
    EXPECT_EQ(tail(app.rows(), 7), (std::vector<std::string>{"WOULD YOU LIKE TO CONTINUE ? maybe",
                                                             "PLEASE ENTER (Y)es OR (N)o", "",
                                                             "WOULD YOU LIKE TO CONTINUE ?",
                                                             "PLEASE ENTER (Y)es OR (N)o", "",
                                                             "WOULD YOU LIKE TO CONTINUE ?"}));
    app.enter("x");
    ASSERT_TRUE(app.wait_for([&] { return app.rows() == expected_menu_rows(); }))
        << screen_text(app.rows());
}

TEST_F(CostComparison, YesStartsAgainBelowTheQuestionWithEmptyRecords) {
    table(flux_cored, flux_cored);
    app.enter("");
    app.enter("yes");
    ASSERT_TRUE(app.wait_for_last_row("ENTER THE LABOR COST PER HOUR?")) << screen_text(app.rows());
    EXPECT_EQ(tail(app.rows(), 5),
              (std::vector<std::string>{"", "WOULD YOU LIKE TO CONTINUE ? yes",
                                        "                 WELDING COST COMPARISON PROGRAM", "",
                                        "ENTER THE LABOR COST PER HOUR?"}));
    // Nothing of the first round's gas is left in the second.
    const std::vector<std::string> rows = table(stick, stick);
    EXPECT_EQ(rows[13], "GAS FLOW RATE IN CFH      0 CFH                      0 CFH");
    EXPECT_EQ(rows[18], "GAS COST                 $0.00 PER LB WELD          $0.00 PER LB WELD");
}

TEST_F(CostComparison, NoDepositionRateIsAnIllegalFunctionCall) {
    app.enter(example_labour_rate);
    type_answers(with(flux_cored, deposition_rate, "0"));
    type_answers(stick);
    ASSERT_TRUE(app.wait_for_last_row("PRESS ANY KEY TO CONTINUE")) << screen_text(app.rows());
    const std::vector<std::string> rows = app.rows();
    // The labour cost of row 17 is the first value no template can show.
    ASSERT_EQ(rows.size(), 18u) << screen_text(rows);
    EXPECT_EQ(rows[14], "GAS COST PER CUBIC FT    $0.05                      $0.00");
    EXPECT_EQ(rows[15], "");
    EXPECT_EQ(rows[16], "An illegal function call has been made.");
    app.type("k");
    ASSERT_TRUE(app.wait_for([&] { return app.rows() == expected_menu_rows(); }))
        << screen_text(app.rows());
}

} // namespace

// The carbon-equivalent and heat-input calculators with the worked examples.
#include <gtest/gtest.h>

#include "tests/support/app_session.h"
#include "tests/support/scripted_boxes.h"

namespace {

class Calculator : public ::testing::Test {
  protected:
    void SetUp() override {
        script_message_boxes({});
        ASSERT_TRUE(app.wait_for_last_row("SELECT AN OPTION ?"));
    }
    // Chooses the entry, answers the prompts and returns the screen at the continue question.
    std::vector<std::string> run(const char* entry, std::initializer_list<const char*> values) {
        app.enter(entry);
        for (const char* value : values) app.enter(value);
        EXPECT_TRUE(app.wait_for_last_row("WOULD YOU LIKE TO CONTINUE ?"))
            << screen_text(app.rows());
        return app.rows();
    }
    app_session app;
};

TEST_F(Calculator, CarbonEquivalentOfTheWorkedExample) {
    const auto rows = run("1", {".18", ".9", ".2", ".1", ".05", ".4"});
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "",
                        "**************** CARBON EQUIVELENT PROGRAM **************",
                        "",
                        "ENTER PERCENTAGE OF CARBON? .18",
                        "ENTER PERCENTAGE OF MANGANESE? .9",
                        "ENTER PERCENTAGE OF NICKEL? .2",
                        "ENTER PERCENTAGE OF CHROMIUM? .1",
                        "ENTER PERCENTAGE OF MOLYBDENUM? .05",
                        "ENTER PERCENTAGE OF COPPER? .4",
                        "",
                        "THE CARBON EQUIVELANT IS  0.365 %",
                        "",
                        "WOULD YOU LIKE TO CONTINUE ?",
                    }));
}

TEST_F(Calculator, CarbonEquivalentShowsThreeDecimals) {
    const auto rows = run("1", {".2", "1.2", "0", "0", "0", "0"});
    EXPECT_EQ(rows[rows.size() - 3], "THE CARBON EQUIVELANT IS  0.400 %");
}

TEST_F(Calculator, CarbonEquivalentOfTenOrMoreOverflowsItsField) {
    const auto rows = run("1", {"10", "0", "0", "0", "0", "0"});
    EXPECT_EQ(rows[rows.size() - 3], "THE CARBON EQUIVELANT IS  %10.000 %");
}

TEST_F(Calculator, AstmA20IgnoresSiliconAndBoron) {
    for (const auto& [silicon, boron] : {std::pair{"0", "0"}, std::pair{"5", "9.5"}}) {
        const auto rows = run("2", {".2", ".6", silicon, ".15", ".3", ".5", ".25", ".25", boron});
        EXPECT_EQ(rows[rows.size() - 3], "THE CARBON EQUIVALENT FOR THIS MATERIAL IS  0.530 %");
        app.enter("N");
        ASSERT_TRUE(app.wait_for_last_row("SELECT AN OPTION ?"));
    }
}

TEST_F(Calculator, AstmA20Screen) {
    const auto rows = run("2", {"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    const std::vector<std::string> head(rows.begin(), rows.begin() + 7);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "", "",
                        "This Program Calculates The Carbon Equivelent Using The Formulas Given in",
                        "ASTM A-20.", "", "", "ENTER CARBON? 1"}));
    EXPECT_EQ(rows[14], "ENTER BORON? 9");
}

TEST_F(Calculator, HeatInputAndSlowestTravelSpeed) {
    const auto rows = run("11", {"40000", "200", "25", "10"});
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "ENTER THE MAXIMUM JOULES PER INCH ALLOWED? 40000",
                        "ENTER AMPS? 200",
                        "ENTER VOLTS? 25",
                        "ENTER A POSSIBLE TRAVEL SPEED ? 10",
                        "",
                        "YOUR ACTUAL HEAT INPUT WOULD BE 30000 JOULES PER INCH.",
                        "",
                        "YOUR MINIMUM TRAVEL SPEED IS 7.5 INCHES PER MINUTE",
                        "",
                        "WOULD YOU LIKE TO CONTINUE ?",
                    }));
}

TEST_F(Calculator, HeatInputWithoutTravelSpeedUsesTwelveInchesPerMinute) {
    const auto rows = run("11", {"40000", "200", "25", "0"});
    EXPECT_EQ(rows[5], "YOUR ACTUAL HEAT INPUT WOULD BE 25000 JOULES PER INCH.");
}

TEST_F(Calculator, HeatInputWithoutALimitShowsAnInfiniteOrUndefinedSpeed) {
    struct case_row {
        const char* amps;
        const char* speed_line;
    };
    // 0 over 0 is a not-a-number with its sign bit set on this processor: no sign shows.
    for (const case_row& c :
         {case_row{"200", "YOUR MINIMUM TRAVEL SPEED IS inf INCHES PER MINUTE"},
          case_row{"0", "YOUR MINIMUM TRAVEL SPEED IS nan INCHES PER MINUTE"}}) {
        const auto rows = run("11", {"0", c.amps, "25", "10"});
        EXPECT_EQ(rows[7], c.speed_line) << "amps " << c.amps;
        app.enter("n");
        ASSERT_TRUE(app.wait_for_last_row("SELECT AN OPTION ?"));
    }
}

} // namespace

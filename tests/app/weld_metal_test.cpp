// The weld-metal calculators on the two-colour graphics screen: each sketch against its
// committed picture, and the worked examples read back from the page's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "tests/support/app_session.h"
#include "tests/support/page_reader.h"
#include "tests/support/scripted_boxes.h"

namespace {

class WeldMetal : public ::testing::Test {
  protected:
    void SetUp() override {
        script_message_boxes({});
        ASSERT_TRUE(back_at_menu());
    }

    // True once the program waits for a key with the prompt on the row before it.
    bool waiting_at_prompt(int row, const std::string& prompt) const {
        return app.wait_until_program_waits() && app.row(row) == prompt + "?";
    }

    // Back at the menu's prompt. Pages are read only while the program waits: on the way
    // it changes screen modes, which frees the pages it leaves.
    bool back_at_menu() const {
        return app.wait_until_program_waits() && app.rows().back() == "SELECT AN OPTION ?";
    }

    // Chooses the entry, answers the prompts and returns the screen at the continue question.
    std::vector<std::string> run(const char* entry, const std::vector<const char*>& values) {
        app.enter(entry);
        for (const char* value : values) app.enter(value);
        EXPECT_TRUE(app.wait_until_program_waits());
        return app.rows();
    }

    app_session app;
};

struct sketch_case {
    const char* entry;
    const char* first_prompt;
    int prompts;
    const char* picture;
};

// The screen each calculator shows while it waits for its first answer: its sketch in the
// lower part and the first prompt at the top.
TEST_F(WeldMetal, EachCalculatorDrawsItsSketch) {
    constexpr sketch_case cases[] = {
        {"4", "ENTER 1st LEG SIZE", 2, "app/fillet_weld.pgm"},
        {"5", "ENTER THE MATERIAL THICKNESS", 4, "app/single_vee_groove.pgm"},
        {"6", "ENTER THICKNESS", 5, "app/double_vee_groove.pgm"},
        {"7", "ENTER THICKNESS", 4, "app/single_bevel_groove.pgm"},
        {"8", "THICKNESS", 5, "app/double_bevel_groove.pgm"},
        {"9", "DIAMETER PLUG HOLES", 3, "app/plug_welds.pgm"},
        {"10", "MATERIAL THICKNESS", 2, "app/square_groove.pgm"},
    };
    for (const sketch_case& c : cases) {
        SCOPED_TRACE(c.entry);
        app.enter(c.entry);
        ASSERT_TRUE(waiting_at_prompt(1, c.first_prompt)) << screen_text(app.rows());
        EXPECT_EQ(app.page().mode, 2);
        EXPECT_EQ(app.page().width, 640);
        EXPECT_EQ(app.page().height, 200);
        EXPECT_TRUE(page_matches_expected(app.page(), c.picture));
        for (int i = 0; i < c.prompts; ++i) app.enter("0");
        ASSERT_TRUE(app.wait_until_program_waits());
        app.enter("N");
        ASSERT_TRUE(back_at_menu()) << screen_text(app.rows());
    }
}

struct worked_example {
    const char* name;
    const char* entry;
    std::vector<const char*> values;
    std::vector<std::string> rows; // the screen from row 1 to the continue question
};

TEST_F(WeldMetal, WorkedExamples) {
    const worked_example examples[] = {
        {"fillet",
         "4",
         {".25", ".25"},
         {"ENTER 1st LEG SIZE? .25", "ENTER 2nd LEG SIZE? .25", "",
          "THE CROSS SECTIONAL AREA OF THIS WELD IS   0.031 SQUARE INCHES", "",
          "THIS WELD WILL REQUIRE    0.106 POUNDS PER FOOT", "", "WOULD YOU LIKE TO CONTINUE ?"}},
        {"single vee",
         "5",
         {"1", "0", "60", "0"},
         {"ENTER THE MATERIAL THICKNESS? 1", "ENTER THE ROOT FACE? 0", "ENTER THE GROOVE ANGLE? 60",
          "ENTER THE ROOT OPENING? 0", "", "THE CROSS SECTIONAL AREA IS   0.577 SQUARE INCHES.", "",
          "THE THEORETICAL WEIGHT PER LINEAR FOOT IS   1.962 POUNDS PER FOOT.", "",
          "THE ESTIMATED WEIGHT PER LINEAR FOOT IS   2.257 POUNDS PER FOOT", "", "",
          "WOULD YOU LIKE TO CONTINUE ?"}},
        // Only the results stay: the sketch and the questions are cleared away.
        {"double vee",
         "6",
         {"1", "0", ".5", "0", "60"},
         {"", "", "THE CROSS SECTIONAL AREA IS   0.289 SQUARE INCHES.", "",
          "THE THEORETICAL WEIGHT PER LINEAR FOOT IS   0.981 POUNDS.", "",
          "THE ESTIMATED WEIGHT PER LINEAR FOOT IS   1.226 POUNDS.", "",
          "WOULD YOU LIKE TO CONTINUE ?"}},
        {"single bevel",
         "7",
         {"1", "0", "0", "45"},
         {"ENTER THICKNESS? 1", "ENTER ROOT FACE? 0", "ENTER ROOT OPENING? 0",
          "ENTER GROOVE ANGLE? 45", "",
          "THE CROSS SECTIONAL AREA OF THIS JOINT IS   0.500 SQUARE INCHES", "",
          "THIS JOINT REQUIRES   1.699 POUNDS OF WELD METAL PER FOOT", "",
          "WOULD YOU LIKE TO CONTINUE ?"}},
        {"double bevel",
         "8",
         {"1", ".4", ".2", ".1", "45"},
         {"THICKNESS? 1", "DEPTH OF GROOVE FROM EITHER SIDE? .4", "ROOT FACE? .2",
          "ROOT OPENING? .1", "GROOVE ANGLE? 45", "",
          "THE CROSS SECTIONAL AREA OF THIS JOINT IS   0.260 SQUARE INCHES", "",
          "THIS WELD WILL REQUIRE   0.884 POUNDS OF WELD METAL PER FOOT. (THEORETICAL)", "",
          "THE ESTIMATED POUNDS PER FOOT REQUIRED IS   0.999", "", "WOULD YOU LIKE TO CONTINUE ?"}},
        {"plug welds",
         "9",
         {"1", ".5", "3"},
         {"DIAMETER PLUG HOLES? 1", "MATERIAL THICKNESS? .5", "NUMBER OF HOLES? 3",
          "THESE   3 WILL REQUIRE   0.334 POUNDS OF WELD METAL", "WOULD YOU LIKE TO CONTINUE ?"}},
        {"square groove at the caution thickness",
         "10",
         {".25", ".125"},
         {"MATERIAL THICKNESS? .25", "ROOT OPENING? .125", "", "",
          "THE CROSS SECTIONAL AREA OF THIS WELD IS   0.031 SQUARE INCHES",
          "AND WILL REQUIRE   0.106 POUNDS OF WELD METAL PER FOOT.", "",
          "WOULD YOU LIKE TO CONTINUE ?"}},
        {"square groove past it",
         "10",
         {".2501", ".125"},
         {"MATERIAL THICKNESS? .2501", "ROOT OPENING? .125", "",
          " USE CAUTION WITH SQUARE GROOVE JOINTS GREATER THAN 1/4", "",
          "THE CROSS SECTIONAL AREA OF THIS WELD IS   0.031 SQUARE INCHES",
          "AND WILL REQUIRE   0.106 POUNDS OF WELD METAL PER FOOT.", "",
          "WOULD YOU LIKE TO CONTINUE ?"}},
    };
    for (const worked_example& example : examples) {
        SCOPED_TRACE(example.name);
        const std::vector<std::string> rows = run(example.entry, example.values);
        // Rows below the results belong to the sketch.
        ASSERT_GE(rows.size(), example.rows.size()) << screen_text(rows);
        EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + example.rows.size()),
                  example.rows)
            << screen_text(rows);
        app.enter("N");
        ASSERT_TRUE(back_at_menu()) << screen_text(app.rows());
    }
}

TEST_F(WeldMetal, DoubleVeeLeavesOnlyItsResults) {
    const auto rows = run("6", {"1", "0", ".5", "0", "60"});
    // Nothing of the sketch is left below the continue question.
    EXPECT_EQ(rows.back(), "WOULD YOU LIKE TO CONTINUE ?") << screen_text(rows);
}

// 0.01745 is a little less than pi / 180, so half of 180 degrees stays short of a right
// angle: the tangent is large but finite and the template shows it with its overflow mark.
TEST_F(WeldMetal, StraightGrooveAngleOverflowsTheFieldInsteadOfFailing) {
    const std::regex overflowed("THE CROSS SECTIONAL AREA IS %\\d{4}\\.\\d{3} SQUARE INCHES\\.");
    struct vee_case {
        const char* entry;
        std::vector<const char*> values;
    };
    // Thickness 1 and no root face; the double vee takes the whole depth from its first side.
    const vee_case cases[] = {{"5", {"1", "0", "180", "0"}}, {"6", {"1", "0", "1", "0", "180"}}};
    for (const vee_case& c : cases) {
        SCOPED_TRACE(c.entry);
        const auto rows = run(c.entry, c.values);
        const auto area_row = std::find_if(rows.begin(), rows.end(), [](const std::string& row) {
            return row.starts_with("THE CROSS SECTIONAL AREA IS");
        });
        ASSERT_NE(area_row, rows.end()) << screen_text(rows);
        EXPECT_TRUE(std::regex_match(*area_row, overflowed)) << *area_row;
        app.enter("N");
        ASSERT_TRUE(back_at_menu()) << screen_text(app.rows());
    }
}

TEST_F(WeldMetal, YesStartsTheCalculatorAgainOnAFreshSketch) {
    run("4", {"1", "2"});
    app.enter("y");
    ASSERT_TRUE(waiting_at_prompt(1, "ENTER 1st LEG SIZE")) << screen_text(app.rows());
    EXPECT_TRUE(page_matches_expected(app.page(), "app/fillet_weld.pgm"));
}

} // namespace

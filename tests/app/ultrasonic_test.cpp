// The ultrasonic simulation: the worked examples read back from the picture's text band,
// the first-leg picture, the beep of the third leg and the "another" question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/app_session.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/page_reader.h"
#include "tests/support/recording_audio.h"
#include "tests/support/scripted_boxes.h"

namespace {

constexpr int picture_mode = 12;
constexpr int band_first_row = 25;

struct inspection_answers {
    const char* sound_path;
    const char* angle;
    const char* thickness = "1.5";
    const char* groove_angle = "60";
    const char* root_face = ".0625";
    const char* root_opening = ".0625";
    const char* weld_distance = "2";
};

class Ultrasonic : public ::testing::Test {
  protected:
    void SetUp() override {
        script_message_boxes({});
        ASSERT_TRUE(app.wait_for_last_row("SELECT AN OPTION ?"));
        app.enter("12");
        ASSERT_TRUE(app.wait_until_program_waits());
        intro = app.rows();
        ASSERT_FALSE(intro.empty());
        ASSERT_EQ(intro.back(), "Press Enter to continue?") << screen_text(intro);
        app.enter("");
    }
    // Answers the seven questions and waits at the "another" question under the picture.
    void simulate(const inspection_answers& in) {
        for (const char* value : {in.sound_path, in.angle, in.thickness, in.groove_angle,
                                  in.root_face, in.root_opening, in.weld_distance})
            app.enter(value);
        ASSERT_TRUE(app.wait_until_program_waits());
        ASSERT_EQ(app.page().mode, picture_mode);
    }
    // The picture's rows of text cells, trailing blanks dropped (read while the program
    // waits, so the page is still).
    std::vector<std::string> picture_rows() const {
        const rgba_image picture = page_picture(app.page());
        std::vector<std::string> rows =
            decode_text_screen(picture.bytes.data(), picture.width, picture.height, 4);
        for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
        return rows;
    }
    app_session app;
    std::vector<std::string> intro;
};

TEST_F(Ultrasonic, IntroductionAndQuestionsFromRowTen) {
    ASSERT_GE(intro.size(), 14u);
    EXPECT_EQ(std::vector<std::string>(intro.begin(), intro.begin() + 9),
              std::vector<std::string>(9, ""));
    EXPECT_EQ(intro[9], " This program provides a rough graphic representation of the Ultrasonic");
    EXPECT_EQ(intro[10], "Inpection process. Now so much more is built into a machine.");
    EXPECT_EQ(intro[13], "Press Enter to continue?");
    app.enter("2");
    ASSERT_TRUE(app.wait_for_last_row("Enter Angle?"));
    EXPECT_EQ(app.row(10), "Enter sound path? 2");
}

TEST_F(Ultrasonic, DepthAndDistanceByLeg) {
    struct example {
        inspection_answers in;
        const char* depth_line;
        bool third_leg;
        // The root opening is shown as typed, the root face cut to thousandths.
        const char* groove_line = "Groove Angle 60 \xF8     Root Opening .0625     Root Face .062";
    };
    const example examples[] = {
        {{"2", "60"}, "Depth of Indication 1 in  Distance from Trans. 1.732 in", false},
        {{"3", "45"}, "Depth of Indication .879 in  Distance from Trans. 2.121 in", false},
        {{"5", "45"}, "Depth of Indication .535 in  Distance from Trans. 3.535 in", true},
        // Past three thicknesses the beam is on its way up again: depth from the top.
        {{"8", "45"}, "Depth of Indication .344 in  Distance from Trans. 5.656 in", true},
        // Values cut to thousandths show as singles, each cut once.
        {{".5575", "0", "1.5", "60", ".5575"},
         "Depth of Indication .557 in  Distance from Trans. 0 in",
         false,
         "Groove Angle 60 \xF8     Root Opening .0625     Root Face .557"},
        {{".5575", "90"}, "Depth of Indication 0 in  Distance from Trans. .557 in", false},
    };
    for (const example& e : examples) {
        SCOPED_TRACE(std::string("sound path ") + e.in.sound_path + " at " + e.in.angle);
        const size_t buffers_before = recorded_buffers().size();
        simulate(e.in);
        const std::vector<std::string> rows = picture_rows();
        EXPECT_EQ(rows[0], e.third_leg ? "The Graphics for the Third Leg are not programmed" : "");
        EXPECT_EQ(recorded_buffers().size() > buffers_before, e.third_leg);
        EXPECT_EQ(rows[band_first_row - 1], std::string("Transducer Angle ") + e.in.angle +
                                                " \xF8   Material Thickness " + e.in.thickness +
                                                " in.   Sound Path " + e.in.sound_path + " in");
        EXPECT_EQ(rows[band_first_row], e.depth_line);
        EXPECT_EQ(rows[band_first_row + 1], e.groove_line);
        EXPECT_EQ(rows[band_first_row + 3], "Would you like to do another?");
        app.enter("y");
        ASSERT_TRUE(app.wait_until_program_waits());
        ASSERT_EQ(app.page().mode, 0);
        EXPECT_EQ(app.rows().back(), "Enter sound path?");
    }
}

TEST_F(Ultrasonic, FirstLegPicture) {
    simulate({"2", "60"});
    EXPECT_TRUE(page_matches_expected(app.page(), "app/ultrasonic_first_leg.pgm"));
}

TEST_F(Ultrasonic, AnythingButYesReturnsToTheMenuInTextMode) {
    for (const char* answer : {"no", ""}) {
        SCOPED_TRACE(std::string("answer '") + answer + "'");
        simulate({"2", "60"});
        app.enter(answer);
        ASSERT_TRUE(app.wait_until_program_waits());
        ASSERT_EQ(app.page().mode, 0);
        EXPECT_EQ(app.rows().back(), "SELECT AN OPTION ?");
        app.enter("12");
        ASSERT_TRUE(app.wait_for_last_row("Press Enter to continue?"));
        app.enter("");
    }
}

} // namespace

// Printing on text pages: wrapping, scrolling, control characters, zones, tabs, the cursor
// and region statements and clearing, read back from the page cells.
#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/clock.h"
#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/screen_start.h"

namespace {

class TextOutput : public ::testing::Test {
  protected:
    void SetUp() override { start_screen(); }
    rt_image& screen() { return image_state.table[image_state.page_list[0]]; }
    // Prints rows 1..n, each "ROW n".
    void print_numbered_rows(int n) {
        for (int i = 1; i <= n; ++i) rt_print("ROW " + std::to_string(i), true);
    }
};

TEST_F(TextOutput, PrintsAtTheCursorWithTheCurrentAttribute) {
    rt_print("HELLO", false);
    rt_print(" WORLD", true);
    EXPECT_EQ(text_row(screen(), 1), "HELLO WORLD");
    EXPECT_EQ(attribute_at(screen(), 1, 1), 0x07);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 1);
}

TEST_F(TextOutput, EightyCharactersLeaveAPendingWrapOnTheLastColumn) {
    rt_print(std::string(80, 'A'), false);
    EXPECT_EQ(screen().cursor_row, 1);
    EXPECT_EQ(screen().cursor_col, 80);
    EXPECT_EQ(screen().pending_wrap, 1);
    rt_print("", false); // an empty print keeps the owed new line
    EXPECT_EQ(screen().pending_wrap, 1);
    rt_print("B", false);
    EXPECT_EQ(screen().pending_wrap, 0);
    EXPECT_EQ(text_row(screen(), 1), std::string(80, 'A'));
    EXPECT_EQ(text_row(screen(), 2), "B");
    EXPECT_EQ(screen().cursor_col, 2);
}

TEST_F(TextOutput, EightyCharactersWithNewLineMakeExactlyOneNewLine) {
    rt_print(std::string(80, 'A'), true);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 1);
    rt_print(std::string(80, 'B'), false);
    rt_print("", true);
    EXPECT_EQ(screen().cursor_row, 3);
    EXPECT_EQ(screen().pending_wrap, 0);
}

TEST_F(TextOutput, LongTextWrapsOntoTheNextRow) {
    rt_print(std::string(85, 'X'), false);
    EXPECT_EQ(text_row(screen(), 1), std::string(80, 'X'));
    EXPECT_EQ(text_row(screen(), 2), "XXXXX");
    EXPECT_EQ(screen().cursor_col, 6);
}

TEST_F(TextOutput, EndingTheLineOnRow24ScrollsRows1To24AndKeepsRow25) {
    rt_locate(25, 1, 0, 0, 0, 3);
    rt_print("STATUS", false);
    rt_locate(1, 1, 0, 0, 0, 3);
    print_numbered_rows(24);
    EXPECT_EQ(screen().cursor_row, 24);
    EXPECT_EQ(text_row(screen(), 1), "ROW 2");
    EXPECT_EQ(text_row(screen(), 23), "ROW 24");
    EXPECT_EQ(text_row(screen(), 24), "");
    EXPECT_EQ(text_row(screen(), 25), "STATUS");
}

TEST_F(TextOutput, ScrollFillsTheNewRowWithTheCurrentAttribute) {
    rt_color(14, 1, 0, 3);
    print_numbered_rows(24);
    EXPECT_EQ(attribute_at(screen(), 24, 40), 0x1E);
    EXPECT_EQ(attribute_at(screen(), 1, 1), 0x1E);
}

TEST_F(TextOutput, ViewPrintWithoutArgumentsScrollsTheWholePage) {
    rt_view_print(0, 0, 0);
    EXPECT_EQ(screen().print_bottom, 25);
    print_numbered_rows(26);
    EXPECT_EQ(text_row(screen(), 1), "ROW 3");
    EXPECT_EQ(text_row(screen(), 24), "ROW 26");
    EXPECT_EQ(text_row(screen(), 25), "");
    EXPECT_EQ(screen().cursor_row, 25);
}

TEST_F(TextOutput, ViewPrintRegionScrollsOnlyItsRows) {
    print_numbered_rows(3);
    rt_view_print(5, 7, 3);
    EXPECT_EQ(screen().cursor_row, 5);
    print_numbered_rows(5);
    EXPECT_EQ(text_rows(screen()),
              (std::vector<std::string>{"ROW 1", "ROW 2", "ROW 3", "", "ROW 4", "ROW 5"}));
    rt_view_print(3, 26, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_view_print(6, 5, 3);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(screen().print_top, 5);
    EXPECT_EQ(screen().print_bottom, 7);
}

TEST_F(TextOutput, ControlCharactersMoveTheCursor) {
    rt_locate(5, 10, 0, 0, 0, 3);
    rt_print("\x1c\x1c", false); // right twice
    EXPECT_EQ(screen().cursor_col, 12);
    rt_print("\x1d", false); // left
    EXPECT_EQ(screen().cursor_col, 11);
    rt_print("\x1e\x1e", false); // up twice
    EXPECT_EQ(screen().cursor_row, 3);
    rt_print("\x1f", false); // down
    EXPECT_EQ(screen().cursor_row, 4);
    rt_print("\x0b", false); // home
    EXPECT_EQ(screen().cursor_row, 1);
    EXPECT_EQ(screen().cursor_col, 1);
    rt_print("\x1e\x1d", false); // neither up nor left from the top left corner
    EXPECT_EQ(screen().cursor_row, 1);
    EXPECT_EQ(screen().cursor_col, 1);
    EXPECT_EQ(text_rows(screen()), std::vector<std::string>{});
}

TEST_F(TextOutput, CursorRightWrapsWithoutScrollingAndStopsAtTheRegionEnd) {
    rt_locate(3, 80, 0, 0, 0, 3);
    rt_print("\x1c", false);
    EXPECT_EQ(screen().cursor_row, 4);
    EXPECT_EQ(screen().cursor_col, 1);
    rt_locate(24, 80, 0, 0, 0, 3);
    rt_print("\x1c", false);
    EXPECT_EQ(screen().cursor_row, 24);
    EXPECT_EQ(screen().cursor_col, 80);
    rt_locate(4, 1, 0, 0, 0, 3);
    rt_print("\x1d", false); // left from column 1 to the end of the row before
    EXPECT_EQ(screen().cursor_row, 3);
    EXPECT_EQ(screen().cursor_col, 80);
}

TEST_F(TextOutput, LineFeedAndCarriageReturnMakeNewLines) {
    rt_print("A\rB\nC", true);
    EXPECT_EQ(text_rows(screen()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(screen().cursor_row, 4);
}

TEST_F(TextOutput, TabStopsEveryEightColumns) {
    rt_print("\tX", false);
    EXPECT_EQ(text_row(screen(), 1), "        X");
    rt_locate(2, 8, 0, 0, 0, 3);
    rt_print("\tY", false);
    EXPECT_EQ(text_row(screen(), 2), "        Y");
    rt_locate(3, 9, 0, 0, 0, 3);
    rt_print("\t", false);
    EXPECT_EQ(screen().cursor_col, 17);
}

TEST_F(TextOutput, ControlSwitchPrintsControlBytesAsGlyphs) {
    control_char_mode = 2;
    rt_print("\x01\x0d\x1c", false);
    const text_page_rows rows = read_text_page(screen());
    EXPECT_EQ(rows.text[0].substr(0, 3), "\x01\x0d\x1c");
    EXPECT_EQ(screen().cursor_col, 4);
}

TEST_F(TextOutput, PictographBytesPrintAsGlyphs) {
    rt_print("\x01\x02\x1b\xc8", false);
    EXPECT_EQ(read_text_page(screen()).text[0].substr(0, 4), "\x01\x02\x1b\xc8");
}

TEST_F(TextOutput, BellPausesWithoutPrinting) {
    const int64_t start = rt_clock_ms();
    rt_print("A\x07"
             "B",
             false);
    EXPECT_GE(rt_clock_ms() - start, 245);
    EXPECT_EQ(text_row(screen(), 1), "AB");
}

TEST_F(TextOutput, FormFeedClearsThePage) {
    rt_print("OLD", true);
    rt_print("\x0cNEW", false);
    EXPECT_EQ(text_rows(screen()), std::vector<std::string>{"NEW"});
}

TEST_F(TextOutput, CommaMovesToTheNextZone) {
    rt_print("A", false);
    rt_print_comma();
    EXPECT_EQ(screen().cursor_col, 15);
    rt_print_comma();
    EXPECT_EQ(screen().cursor_col, 29);
    rt_locate(2, 1, 0, 0, 0, 3);
    rt_print_comma();
    EXPECT_EQ(screen().cursor_col, 15);
}

TEST_F(TextOutput, CommaFromColumn58OnMovesToColumn80) {
    rt_locate(1, 60, 0, 0, 0, 3);
    rt_print_comma();
    EXPECT_EQ(screen().cursor_col, 80);
    EXPECT_EQ(screen().cursor_row, 1);
    rt_locate(2, 44, 0, 0, 0, 3);
    rt_print_comma();
    EXPECT_EQ(screen().cursor_col, 57);
}

TEST_F(TextOutput, CommaWithPendingWrapMakesTheNewLine) {
    rt_print(std::string(80, 'Z'), false);
    rt_print_comma();
    EXPECT_EQ(screen().pending_wrap, 0);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 1);
}

TEST_F(TextOutput, WrapCheckMovesAnItemThatDoesNotFit) {
    rt_locate(1, 75, 0, 0, 0, 3);
    rt_string* fits = rt_string_from_text("ABCDEF");
    rt_print_wrap_check(fits);
    EXPECT_EQ(screen().cursor_row, 1);
    rt_string* too_long = rt_string_from_text("ABCDEFG");
    rt_print_wrap_check(too_long);
    EXPECT_EQ(screen().cursor_row, 2);
    EXPECT_EQ(screen().cursor_col, 1);
    rt_print_wrap_check(rt_string_from_text(std::string(120, 'L').c_str()));
    EXPECT_EQ(screen().cursor_row, 2); // at column 1 nothing moves
}

TEST_F(TextOutput, TabGivesSpacesOrACarriageReturn) {
    rt_locate(1, 5, 0, 0, 0, 3);
    EXPECT_EQ(rt_view(rt_tab(10)), std::string(5, ' '));
    EXPECT_EQ(rt_view(rt_tab(3)), "\r  ");
    EXPECT_EQ(rt_view(rt_tab(5)), "");
    EXPECT_EQ(rt_view(rt_tab(-4)), "\r"); // below 1 means column 1
    EXPECT_EQ(rt_view(rt_tab(85)), "");   // 85 mod 80 = 5
    EXPECT_EQ(rt_view(rt_tab(40000)), "");
    EXPECT_EQ(take_error(), 7u);
}

TEST_F(TextOutput, PrintedTabItemReachesTheColumn) {
    rt_print("AB", false);
    rt_print(rt_tab(20), false);
    rt_print("C", false);
    EXPECT_EQ(text_row(screen(), 1), "AB                 C");
}

TEST_F(TextOutput, LocateToRow25OutsideTheRegion) {
    rt_locate(25, 1, 0, 0, 0, 1);
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(screen().cursor_row, 25);
    rt_print("X", false);
    EXPECT_EQ(text_row(screen(), 25), "X");
}

TEST_F(TextOutput, LocateBelowTheStartUpScreenGrowsItTo80By50) {
    rt_color(14, 1, 0, 3);
    rt_print("FIRST ROW", true);
    rt_locate(25, 1, 0, 0, 0, 3);
    rt_print("ROW 25", false);
    rt_locate(26, 5, 0, 0, 0, 3);
    ASSERT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(screen().width, 80);
    EXPECT_EQ(screen().height, 50);
    EXPECT_EQ(screen().font, 8);
    EXPECT_EQ(text_row(screen(), 1), "FIRST ROW");
    EXPECT_EQ(attribute_at(screen(), 1, 1), 0x1E);
    EXPECT_EQ(text_row(screen(), 25), "ROW 25");
    EXPECT_EQ(screen().cursor_row, 26);
    EXPECT_EQ(screen().cursor_col, 5);
    EXPECT_EQ(image_state.dest->fg_colour, 14);
    // Only once.
    rt_screen(0, 0, 0, 0, 0, 1);
    rt_locate(51, 1, 0, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(TextOutput, LocateBelowTheScreenFailsAfterAnotherModeWasSet) {
    rt_screen(12, 0, 0, 0, 0, 1);
    rt_screen(0, 0, 0, 0, 0, 1);
    rt_locate(26, 1, 0, 0, 0, 1);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(screen().height, 25);
}

TEST_F(TextOutput, LocateRejectsBadArgumentsAndChangesNothing) {
    rt_locate(3, 4, 0, 0, 0, 3);
    rt_locate(0, 1, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_locate(2, 81, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5u);
    rt_locate(2, 2, 2, 0, 0, 7);
    EXPECT_EQ(take_error(), 5u);
    rt_locate(2, 2, 1, 32, 0, 15);
    EXPECT_EQ(take_error(), 5u);
    EXPECT_EQ(screen().cursor_row, 3);
    EXPECT_EQ(screen().cursor_col, 4);
    EXPECT_EQ(screen().cursor_visible, 0);
}

TEST_F(TextOutput, LocateCursorShapeReachesEveryScreenPage) {
    rt_locate(0, 0, 1, 6, 7, 4 | 8 | 16);
    for (int page = 0; page < 8; ++page) {
        const rt_image& image = image_state.table[image_state.page_list[page]];
        EXPECT_EQ(image.cursor_visible, 1);
        EXPECT_EQ(image.cursor_start, 6);
        EXPECT_EQ(image.cursor_stop, 7);
    }
}

TEST_F(TextOutput, LocateWithoutRowAndColumnTurnsAPendingWrapIntoTwo) {
    rt_print(std::string(80, 'A'), false);
    rt_locate(0, 0, 1, 0, 0, 4);
    EXPECT_EQ(screen().pending_wrap, 2);
    rt_locate(1, 0, 0, 0, 0, 1);
    EXPECT_EQ(screen().pending_wrap, 0);
}

TEST_F(TextOutput, ClsClearsRegionAndLastRowAndHomesTheCursor) {
    for (int row = 1; row <= 25; ++row) {
        rt_locate(row, 1, 0, 0, 0, 3);
        rt_print("TEXT", false);
    }
    rt_cls(0, 0, 0);
    EXPECT_EQ(text_rows(screen()), std::vector<std::string>{});
    EXPECT_EQ(screen().cursor_row, 1);
    EXPECT_EQ(screen().cursor_col, 1);
}

TEST_F(TextOutput, ClsMethodTwoClearsOnlyThePrintRegion) {
    for (int row = 1; row <= 25; ++row) {
        rt_locate(row, 1, 0, 0, 0, 3);
        rt_print("TEXT", false);
    }
    rt_view_print(2, 3, 3);
    rt_cls(2, 0, 1);
    const std::vector<std::string> rows = text_rows(screen());
    EXPECT_EQ(rows[0], "TEXT");
    EXPECT_EQ(rows[1], "");
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[3], "TEXT");
    EXPECT_EQ(screen().cursor_row, 2);
}

TEST_F(TextOutput, ClsWithColourPaintsTheBackground) {
    rt_color(15, 0, 0, 3);
    rt_cls(0, 4, 3);
    EXPECT_EQ(attribute_at(screen(), 10, 10), 0x4F);
    rt_cls(3, 0, 1);
    EXPECT_EQ(take_error(), 5u);
    rt_cls(0, 0x10000, 3);
    EXPECT_EQ(take_error(), 5u);
}

TEST_F(TextOutput, ConsolePageWritesToStandardOutput) {
    screen().console_page = 1;
    testing::internal::CaptureStdout();
    rt_print("LINE", true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LINE\n");
    EXPECT_EQ(text_rows(screen()), std::vector<std::string>{});
}

TEST_F(TextOutput, NothingHappensWhileAnErrorIsPending) {
    error_state.error_pending = 5;
    rt_print("X", true);
    rt_locate(5, 5, 0, 0, 0, 3);
    rt_cls(0, 0, 0);
    error_state.error_pending = 0;
    EXPECT_EQ(text_rows(screen()), std::vector<std::string>{});
    EXPECT_EQ(screen().cursor_row, 1);
}

} // namespace

namespace {

// A stand-in for the printer code: a 640 x 960 page of mode 13's kind as the destination.
int32_t printer_slot = 0;
int page_full_events = 0;
int form_feed_events = 0;
int character_events = 0;

bool fake_printer_hook(printer_event event) {
    if (image_state.dest_image != printer_slot) return false;
    if (event == printer_event::page_full) ++page_full_events;
    if (event == printer_event::form_feed) ++form_feed_events;
    if (event == printer_event::character) ++character_events;
    return true;
}

class PrinterPage : public ::testing::Test {
  protected:
    void SetUp() override {
        start_screen();
        const int32_t handle = rt_new_image(640, 960, 13, 1);
        printer_slot = -handle;
        rt_select_dest(handle);
        rt_cls(0, 15, 3);
        rt_color(0, 15, 0, 3);
        rt_view_print(1, 60, 3);
        printer_page_hook = fake_printer_hook;
    }
    void TearDown() override { printer_page_hook = nullptr; }
    rt_image& page() { return image_state.table[printer_slot]; }
    void print_many_screen_rows() {
        for (int i = 0; i < 30; ++i) rt_print("SCREEN", true);
    }
};

TEST_F(PrinterPage, NewLinePastTheLastRowHandsThePageOverInsteadOfScrolling) {
    for (int i = 0; i < 59; ++i) rt_print("X", true);
    EXPECT_EQ(page_full_events, 0);
    EXPECT_EQ(page().cursor_row, 60);
    rt_print("LAST", true);
    EXPECT_EQ(page_full_events, 1);
    EXPECT_EQ(page().cursor_row, 1);
    EXPECT_EQ(page().pixels[0], 15); // cleared to white
    EXPECT_EQ(character_events, 59 + 4);
}

TEST_F(PrinterPage, FormFeedHandsThePageOverAndClearsIt) {
    rt_print("TEXT\x0c", false);
    EXPECT_EQ(form_feed_events, 1);
    EXPECT_EQ(page().cursor_row, 1);
    for (int i = 0; i < 640 * 16; ++i) ASSERT_EQ(page().pixels[i], 15) << i;
}

TEST_F(PrinterPage, PrinterLineWidthWrapsEarlier) {
    printer_line_width = 40;
    rt_print(std::string(45, 'P'), false);
    EXPECT_EQ(page().cursor_row, 2);
    EXPECT_EQ(page().cursor_col, 6);
    rt_print(std::string(35, 'Q'), false); // ends the printer line: the new line is owed
    EXPECT_EQ(page().cursor_col, 40);
    EXPECT_EQ(page().pending_wrap, 1);
}

TEST_F(PrinterPage, OtherDestinationsAreNotThePrinterPage) {
    rt_select_dest(0);
    print_many_screen_rows();
    EXPECT_EQ(text_row(image_state.table[image_state.page_list[0]], 24), "");
    EXPECT_EQ(text_row(image_state.table[image_state.page_list[0]], 23), "SCREEN");
    EXPECT_EQ(page_full_events, 0);
    EXPECT_EQ(character_events, 0);
}

} // namespace

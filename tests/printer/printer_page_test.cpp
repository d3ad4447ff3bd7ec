// The printer page on a stand-in printer: stretching to the printable area, pages going
// out on a form feed, after the idle time or never (no printer), tab stops measured on the
// printer page, and printing other pages and images.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "runtime/core/error_numbers.h"
#include "runtime/core/seconds_clock.h"
#include "runtime/printer/printer.h"
#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/printer_page_text.h"
#include "tests/support/recording_printer.h"
#include "tests/support/screen_start.h"

namespace {

constexpr uint32_t white_rgb = 0xFFFFFF, black_rgb = 0x000000;
constexpr char full_block = '\xdb';

std::atomic<int64_t> fake_ms{1000000};
int64_t read_fake_clock() {
    return fake_ms.load();
}

class PrinterPage : public ::testing::Test {
  protected:
    void SetUp() override {
        rt_set_clock_reader(read_fake_clock);
        rt_set_start_time_of_day(12 * 3600000);
        start_screen();
        rt_cls(0, 0, 0);
        rt_synchronise_clock();
        install_recording_printer({1280, 1920});
    }
    void TearDown() override { platform_set_print_stand_in(nullptr); }

    static rt_image& printer_page() { return image_state.table[printer_page_slot()]; }
    // The rows of text on a page recorded by the stand-in.
    static std::vector<std::string> rows_of(const rgba_image& printed) {
        return printer_page_text(printer_page_in(printed, 0, 0, printed.width, printed.height));
    }
    // A frame of full blocks around the 80 x 60 page; the new line of row 60 is still owed.
    static void print_frame() {
        rt_lprint(std::string(80, full_block), true);
        for (int row = 2; row < printer_page_rows; ++row)
            rt_lprint(full_block + std::string(78, ' ') + full_block, true);
        rt_lprint(std::string(80, full_block), false);
    }
};

// Each page pixel appears at the centre of the place it was stretched to, the frame
// reaches every edge of the area (no letter-boxing), whatever the area's proportions.
TEST_F(PrinterPage, StretchedIndependentlyToFillThePrintableArea) {
    const print_area areas[] = {{1280, 1920}, {2000, 1400}, {700, 2500}, {333, 500}};
    for (const print_area area : areas) {
        SCOPED_TRACE(std::to_string(area.width) + " x " + std::to_string(area.height));
        install_recording_printer(area);
        print_frame();
        const rgba_image page = page_picture(printer_page());
        rt_lprint("", true); // the line end past row 60 prints the page
        ASSERT_EQ(recorded_page_count(), 1u);
        const rgba_image printed = recorded_pages()[0];
        ASSERT_EQ(printed.width, area.width);
        ASSERT_EQ(printed.height, area.height);
        for (const auto& [x, y] : {std::pair{0, 0},
                                   {area.width - 1, 0},
                                   {0, area.height - 1},
                                   {area.width - 1, area.height - 1}})
            EXPECT_EQ(printed.rgb(x, y), black_rgb) << x << ", " << y;
        EXPECT_EQ(printed.rgb(area.width / 2, area.height / 2), white_rgb);
        if (area.width < printer_page_width) continue; // shrunk: not every pixel survives
        int mismatches = 0;
        for (int y = 0; y < printer_page_height; ++y)
            for (int x = 0; x < printer_page_width; ++x) {
                const int px = static_cast<int>((2 * x + 1) * int64_t(area.width) / 1280);
                const int py = static_cast<int>((2 * y + 1) * int64_t(area.height) / 1920);
                mismatches += printed.rgb(px, py) != page.rgb(x, y);
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(PrinterPage, FormFeedPrintsThePageAndTheNextLineStartsAfresh) {
    rt_lprint("BEFORE THE FORM FEED", true);
    rt_lprint("ABC\f", false);
    ASSERT_EQ(recorded_page_count(), 1u);
    EXPECT_EQ(rows_of(recorded_pages()[0]),
              (std::vector<std::string>{"BEFORE THE FORM FEED", "ABC"}));
    EXPECT_FALSE(printer_page_pending());
    // The new page's first line takes all 80 columns.
    rt_lprint(std::string(80, 'B'), true);
    rt_lprint("\f", false);
    ASSERT_EQ(recorded_page_count(), 2u);
    EXPECT_EQ(rows_of(recorded_pages()[1]), (std::vector<std::string>{std::string(80, 'B')}));
}

TEST_F(PrinterPage, ScreenOutputIsUntouchedByPrinting) {
    rt_print("ON SCREEN", false);
    const int32_t screen = image_state.dest_image;
    rt_lprint("ON PAPER", true);
    EXPECT_EQ(image_state.dest_image, screen);
    rt_print(" STILL", true);
    EXPECT_EQ(text_row(image_state.table[screen], 1), "ON SCREEN STILL");
    EXPECT_EQ(printer_page().cursor_row, 2);
    EXPECT_EQ(printer_page().fg_colour, 0);
    EXPECT_EQ(printer_page().bg_colour, 15u);
}

TEST_F(PrinterPage, PrintedAfterTheIdleTimeThenEmptyWithTheCursorHome) {
    rt_lprint("IDLE PAGE", false);
    fake_ms += 9999;
    printer_idle_check();
    EXPECT_EQ(recorded_page_count(), 0u);
    EXPECT_TRUE(printer_page_pending());
    fake_ms += 1;
    printer_idle_check();
    ASSERT_EQ(recorded_page_count(), 1u);
    EXPECT_EQ(rows_of(recorded_pages()[0]), (std::vector<std::string>{"IDLE PAGE"}));
    EXPECT_FALSE(printer_page_pending());
    EXPECT_TRUE(rows_of(page_picture(printer_page())).empty());
    // Nothing pending: no more pages however long it stays idle.
    fake_ms += 60000;
    printer_idle_check();
    EXPECT_EQ(recorded_page_count(), 1u);
    // Tab stops are measured from the top of the emptied page.
    rt_printer_statement(true);
    EXPECT_EQ(std::string(rt_view(rt_tab(5))), std::string(4, ' '));
    rt_printer_statement(false);
    rt_lprint("NEXT PAGE", false);
    rt_lprint("\f", false);
    ASSERT_EQ(recorded_page_count(), 2u);
    EXPECT_EQ(rows_of(recorded_pages()[1]), (std::vector<std::string>{"NEXT PAGE"}));
}

TEST_F(PrinterPage, EveryPrintRestartsTheIdleTime) {
    rt_lprint("FIRST", false);
    fake_ms += 8000;
    rt_lprint(" SECOND", true);
    fake_ms += 8000;
    printer_idle_check();
    EXPECT_EQ(recorded_page_count(), 0u);
    fake_ms += 2000;
    printer_idle_check();
    EXPECT_EQ(recorded_page_count(), 1u);
}

TEST_F(PrinterPage, WithoutAPrinterPagesAreDiscardedAndPrintingGoesOn) {
    install_recording_printer({1280, 1920}, false);
    for (int line = 1; line <= 61; ++line) rt_lprint("LINE " + std::to_string(line), true);
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(printer_page().cursor_row, 2); // the full page went as if printed
    install_recording_printer({1280, 1920});
    rt_lprint("\f", false);
    ASSERT_EQ(recorded_page_count(), 1u);
    EXPECT_EQ(rows_of(recorded_pages()[0]), (std::vector<std::string>{"LINE 61"}));
}

// Under the printing-statement flag tab stops are measured on the printer page, which the
// first tab creates; otherwise on the screen.
TEST_F(PrinterPage, TabInAPrintingStatementMeasuresOnThePrinterPage) {
    rt_print("SCREEN TEXT OF 23 CHARS", false);
    rt_printer_statement(true);
    rt_string* to_ten = rt_tab(10);
    EXPECT_GE(printer_page_slot(), 0);
    EXPECT_EQ(std::string(rt_view(to_ten)), std::string(9, ' '));
    rt_lprint(to_ten, false);
    rt_lprint("AB", false);
    rt_lprint(rt_tab(20), false);
    rt_lprint("X", false);
    rt_lprint(rt_tab(5), false); // back: a carriage return, then spaces on the next line
    rt_lprint("Y", true);
    rt_printer_statement(false);
    EXPECT_EQ(std::string(rt_view(rt_tab(30))), std::string(6, ' '));
    rt_lprint("\f", false);
    ASSERT_EQ(recorded_page_count(), 1u);
    EXPECT_EQ(rows_of(recorded_pages()[0]),
              (std::vector<std::string>{"         AB        X", "    Y"}));
}

TEST_F(PrinterPage, PrintingOtherPagesAndImages) {
    const int32_t handle = rt_new_image(64, 32, 13, 1);
    rt_select_dest(handle);
    rt_cls(0, 4, 3);
    rt_select_dest(0);
    rt_print_page(handle);
    ASSERT_EQ(recorded_page_count(), 1u);
    const rgba_image printed = recorded_pages()[0];
    EXPECT_EQ(printed.rgb(0, 0), image_state.default_palette[4] & 0xFFFFFF);
    EXPECT_EQ(printed.rgb(1279, 1919), image_state.default_palette[4] & 0xFFFFFF);

    rt_print_page(-4000); // no such image
    EXPECT_EQ(take_error(), err_invalid_handle);
    rt_print_page(0); // the text screen holds characters, not a picture
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_EQ(recorded_page_count(), 1u);
}

} // namespace

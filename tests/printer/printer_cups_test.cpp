// Printing through a real CUPS scheduler that the test starts on a private configuration:
// pages arrive as jobs on the default destination at the moments the printer page is
// flushed, and the documents read back as the printed text, stretched to the queue's
// printable area.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/console/line_input.h"
#include "runtime/console/startup.h"
#include "runtime/core/seconds_clock.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/host_window.h"
#include "runtime/printer/printer.h"
#include "runtime/screen/text_output.h"
#include "tests/support/app_session.h"
#include "tests/support/cost_example.h"
#include "tests/support/printed_pages.h"
#include "tests/support/private_cups.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int job_timeout_ms = 30000;
constexpr int step_timeout_ms = 10000;
constexpr int64_t idle_ms = 10000;
constexpr const char* queue = "rasterfile";

std::atomic<int64_t> fake_ms{1000000};
int64_t read_fake_clock() {
    return fake_ms.load();
}

// The program runs its first step at once and each further step after a line is typed,
// waiting for a line between steps (and after the last).
std::vector<std::function<void()>> steps;
std::atomic<size_t> steps_done{0};
int16_t answer;

void stepping_program() {
    rt_routine routine;
    for (size_t next = 0;; ++next) {
        if (next < steps.size()) routine.statement(1, [next] { steps[next](); });
        steps_done.store(next + 1);
        routine.statement(2, [] {
            rt_input_target(1, &answer, input_integer);
            rt_input(1, true);
        });
    }
}

void print_numbered_lines(int count) {
    for (int line = 1; line <= count; ++line) rt_lprint("LINE " + std::to_string(line), true);
}

// The text rows of a one-page document, trailing empty rows dropped.
std::vector<std::string> document_rows(const printed_job& job) {
    const std::vector<raster_page> pages = decode_pwg_raster(job.document);
    if (pages.size() != 1) return {"(" + std::to_string(pages.size()) + " pages)"};
    EXPECT_EQ(pages[0].x_dpi, raster_queue_page.dpi);
    EXPECT_EQ(pages[0].y_dpi, raster_queue_page.dpi);
    EXPECT_TRUE(margins_are_white(pages[0].sheet));
    std::vector<std::string> rows = printed_rows(pages[0].sheet);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

std::vector<std::string> numbered_rows(int first, int last) {
    std::vector<std::string> rows;
    for (int line = first; line <= last; ++line) rows.push_back("LINE " + std::to_string(line));
    return rows;
}

class CupsTest {
  protected:
    void start_scheduler(bool default_queue) {
        cups_ = std::make_unique<private_cups>();
        ASSERT_TRUE(cups_->ready());
        ASSERT_TRUE(cups_->add_raster_queue(queue, default_queue));
        cups_->use_for_this_process();
    }
    void start_program(std::vector<std::function<void()>> program_steps) {
        steps = std::move(program_steps);
        rt_set_clock_reader(read_fake_clock);
        rt_set_start_time_of_day(12 * 3600000);
        session_ = std::make_unique<app_session>(stepping_program);
        ASSERT_TRUE(wait_for_steps(1));
    }
    bool wait_for_steps(size_t count) {
        return session_->wait_for([count] { return steps_done.load() >= count; }, step_timeout_ms);
    }
    void run_next_step() {
        const size_t done = steps_done.load();
        session_->enter("1");
        ASSERT_TRUE(wait_for_steps(done + 1));
    }
    std::vector<printed_job> jobs_after_waiting_for(size_t count) {
        EXPECT_TRUE(cups_->wait_for_completed_jobs(count, job_timeout_ms));
        const std::vector<printed_job> jobs = cups_->completed_jobs();
        for (const printed_job& job : jobs) EXPECT_EQ(job.title, "Document");
        return jobs;
    }

    std::unique_ptr<private_cups> cups_;
    std::unique_ptr<app_session> session_;
};

class PrintingOnTheDefaultDestination : public ::testing::Test, public CupsTest {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("cupsd");
        MIRVA_SKIP_WITHOUT("lpadmin");
        start_scheduler(true);
    }
};

TEST_F(PrintingOnTheDefaultDestination, SixtyOneLinesPrintPageOneAtOnceAndPageTwoWhenIdle) {
    start_program({[] { print_numbered_lines(61); }});
    std::vector<printed_job> jobs = jobs_after_waiting_for(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(document_rows(jobs[0]), numbered_rows(1, 60));
    // For a person to look at: MIRVA_PRINTED_PAGE_PNG=page.png writes the printed sheet.
    if (const char* png = std::getenv("MIRVA_PRINTED_PAGE_PNG")) {
        EXPECT_TRUE(write_png(decode_pwg_raster(jobs[0].document).at(0).sheet, png));
    }
    EXPECT_EQ(cups_->job_count(), 1u); // line 61 waits on the printer page
    EXPECT_TRUE(printer_page_pending());

    fake_ms += idle_ms;
    jobs = jobs_after_waiting_for(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(document_rows(jobs[1]), numbered_rows(61, 61));
    // The queue's device got the document as it was sent.
    EXPECT_TRUE(cups_->device_output(queue) == jobs[1].document)
        << cups_->device_output(queue).size() << " bytes, sent " << jobs[1].document.size();
}

TEST_F(PrintingOnTheDefaultDestination, FormFeedAsTheFirstTextPrintsOneBlankPage) {
    start_program({[] { rt_lprint("\f", false); }});
    const std::vector<printed_job> jobs = jobs_after_waiting_for(1);
    ASSERT_EQ(jobs.size(), 1u);
    const std::vector<raster_page> pages = decode_pwg_raster(jobs[0].document);
    ASSERT_EQ(pages.size(), 1u);
    const rgba_image& sheet = pages[0].sheet;
    int coloured = 0;
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x) coloured += sheet.rgb(x, y) != 0xFFFFFF;
    EXPECT_EQ(coloured, 0);
    fake_ms += idle_ms;
    EXPECT_FALSE(printer_page_pending()); // nothing is left to print later
}

TEST_F(PrintingOnTheDefaultDestination, TextThenSilencePrintsOnePageAndEmptiesThePrinterPage) {
    start_program({[] { rt_lprint("PRINTED AFTER TEN QUIET SECONDS", true); },
                   [] { rt_lprint("NEXT PAGE STARTS AT THE TOP", true); }});
    EXPECT_EQ(cups_->job_count(), 0u);
    fake_ms += idle_ms;
    std::vector<printed_job> jobs = jobs_after_waiting_for(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(document_rows(jobs[0]),
              (std::vector<std::string>{"PRINTED AFTER TEN QUIET SECONDS"}));
    ASSERT_TRUE(session_->wait_for([] { return !printer_page_pending(); }));
    ASSERT_TRUE(session_->wait_until_program_waits());
    const rt_image& page = image_state.table[printer_page_slot()];
    int inked = 0;
    for (int i = 0; i < printer_page_width * printer_page_height; ++i)
        inked += page.pixels[i] != 15;
    EXPECT_EQ(inked, 0);

    run_next_step();
    fake_ms += idle_ms;
    jobs = jobs_after_waiting_for(2);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(document_rows(jobs[1]), (std::vector<std::string>{"NEXT PAGE STARTS AT THE TOP"}));
}

// The runtime ends the process from its shutdown, so the program runs in a child process.
TEST_F(PrintingOnTheDefaultDestination, ClosingTheWindowPrintsThePendingPageDuringShutdown) {
    // Forked, not run again from the start: the child prints to this test's scheduler.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            start_program({[] { rt_lprint("PENDING WHEN THE WINDOW CLOSED", true); }});
            rt_window_hook(window_hook_kind::close, 0, 0);
            for (;;) rt_sleep_ms(100);
        },
        ::testing::ExitedWithCode(0), "");
    const std::vector<printed_job> jobs = jobs_after_waiting_for(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(document_rows(jobs[0]), (std::vector<std::string>{"PENDING WHEN THE WINDOW CLOSED"}));
}

// Queues as a desktop has them, each printing on its default paper: the PDF printer's
// description (A4, borderless) and a generic PDF printer's (US Letter, with margins), both
// listing dozens of other sizes.
struct desktop_queue {
    const char* name;
    const char* ppd;
    queue_paper paper;
};

const desktop_queue desktop_queues[] = {
    {"A4", "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", {300, 595, 842, 0, 0, 595, 842}},
    {"Letter",
     "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd",
     {300, 612, 792, 18, 36, 594, 756}},
};

class PrintingOnADesktopQueue : public ::testing::TestWithParam<desktop_queue>, public CupsTest {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("cupsd");
        MIRVA_SKIP_WITHOUT("lpadmin");
        cups_ = std::make_unique<private_cups>();
        ASSERT_TRUE(cups_->ready());
        ASSERT_TRUE(cups_->add_queue(GetParam().name, GetParam().ppd, true, {"Resolution=300dpi"}));
        cups_->use_for_this_process();
    }
};

// The cost table at the top of a full page, and a last row as wide as the page: the first
// column, the right edge and the bottom row all land within the printable area.
TEST_P(PrintingOnADesktopQueue, AFullPageFillsThePrintableAreaOfTheDefaultPaper) {
    std::vector<std::string> page = expected_cost_table();
    page.resize(printer_page_rows - 1);
    page.push_back("LAST ROW" + std::string(printer_page_width / 8 - 17, '.') + "RIGHT END");
    start_program({[&page] {
        for (const std::string& row : page) rt_lprint(row, true);
    }});
    const std::vector<printed_job> jobs = jobs_after_waiting_for(1);
    ASSERT_EQ(jobs.size(), 1u);
    const std::vector<raster_page> sheets = decode_pwg_raster(jobs[0].document);
    ASSERT_EQ(sheets.size(), 1u);
    const queue_paper& paper = GetParam().paper;
    EXPECT_EQ(sheets[0].x_dpi, paper.dpi);
    EXPECT_NEAR(sheets[0].sheet.width, paper.sheet_width(), 1);
    EXPECT_NEAR(sheets[0].sheet.height, paper.sheet_height(), 1);
    EXPECT_TRUE(margins_are_white(sheets[0].sheet, paper));
    std::vector<std::string> rows = printed_rows(sheets[0].sheet, paper);
    EXPECT_EQ(rows, page);
}

INSTANTIATE_TEST_SUITE_P(DefaultPaper, PrintingOnADesktopQueue, ::testing::ValuesIn(desktop_queues),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a default destination pages are lost without a word and the program goes on.
enum class missing { default_destination, scheduler };

class PrintingWithoutADestination : public ::testing::TestWithParam<missing>, public CupsTest {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("cupsd");
        MIRVA_SKIP_WITHOUT("lpadmin");
        start_scheduler(false);
        if (GetParam() == missing::scheduler) setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1);
    }
};

TEST_P(PrintingWithoutADestination, TheProgramGoesOnAndNothingIsPrinted) {
    start_program({[] {
        print_numbered_lines(61);
        rt_print("STILL RUNNING", true);
    }});
    EXPECT_TRUE(session_->wait_for_row_text("STILL RUNNING"));
    fake_ms += idle_ms;
    EXPECT_TRUE(session_->wait_for([] { return !printer_page_pending(); }));
    run_next_step();
    ASSERT_TRUE(session_->wait_until_program_waits());
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(cups_->job_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Missing, PrintingWithoutADestination,
                         ::testing::Values(missing::default_destination, missing::scheduler),
                         [](const auto& info) {
                             return info.param == missing::scheduler ? "Scheduler"
                                                                     : "DefaultDestination";
                         });

} // namespace

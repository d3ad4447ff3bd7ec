// The headless start-up: threads, tick count, working directory and orderly shutdown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <string>

#include "runtime/console/startup.h"
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/executable_path.h"
#include "runtime/platform/host_window.h"
#include "tests/support/scripted_boxes.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

std::atomic<int> statements_after_error{0};

void wait_forever_routine() {
    for (;;) rt_sleep_ms(10);
}

void routine_with_unhandled_error() {
    rt_routine routine;
    routine.statement(421, [] { rt_raise_error(5); });
    routine.statement(422, [] { statements_after_error.fetch_add(1); });
    std::fprintf(stderr, "after=%d\n", statements_after_error.load());
}

void answer_no_and_run() {
    script_message_boxes({box_answer::no});
    rt_start_headless(routine_with_unhandled_error);
    for (;;) rt_sleep_ms(100);
}

TEST(HeadlessStart, DialogNoStopsTheProgramWithExitCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The statement after the failing one never runs: no "after=" line is printed.
    EXPECT_EXIT(answer_no_and_run(), ::testing::ExitedWithCode(0),
                "Unhandled Error #5 \\| Line:421\nIllegal function call\nContinue\\?\n$");
}

void close_request_while_running() {
    rt_start_headless([] {
        rt_routine routine;
        for (;;) routine.statement(10, [] { rt_sleep_ms(5); });
    });
    rt_sleep_ms(100);
    run_control.close_request.fetch_or(1);
    for (;;) rt_sleep_ms(100);
}

TEST(HeadlessStart, CloseRequestShutsDownAtTheNextCheckPoint) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(close_request_while_running(), ::testing::ExitedWithCode(0), "");
}

constexpr int dialog_timeout_ms = 10000;
constexpr int still_running_ms = 10000;
constexpr int still_running_exit_code = 3;

// The unhandled error's dialog on the test's display, and the close button pressed under it.
void close_while_the_dialog_is_up(const std::string& display) {
    rt_start_headless(routine_with_unhandled_error);
    if (find_window_by_title(display, "Unhandled Error #5", dialog_timeout_ms) == 0) _exit(1);
    rt_window_hook(window_hook_kind::close, 0, 0);
    // A dialog that held the program thread would keep the process alive.
    rt_sleep_ms(still_running_ms);
    _exit(still_running_exit_code);
}

class HeadlessStartOnDisplay : public private_display_test {};

TEST_F(HeadlessStartOnDisplay, ClosingUnderTheErrorDialogEndsTheProcess) {
    x_->use_as_default_display();
    // Forked, not run again from the start: the child shows its dialog on this test's server.
    GTEST_FLAG_SET(death_test_style, "fast");
    // The dialog was taken down with No: the statement after the error never ran.
    EXPECT_EXIT(close_while_the_dialog_is_up(x_->display_name()), ::testing::ExitedWithCode(0),
                "Unhandled Error #5\nLine:421\nIllegal function call\nContinue\\?\n$");
}

TEST(HeadlessStart, ProgramAndServiceThreadsRunAndTheTickCountAdvances) {
    rt_start_headless(wait_forever_routine);
    const auto ticks = [] {
        const auto byte = [](int at) {
            return std::atomic_ref<uint8_t>(low_memory[at]).load(std::memory_order_relaxed);
        };
        return byte(0x46C) | byte(0x46D) << 8 | byte(0x46E) << 16;
    };
    const uint32_t refreshes = run_control.refresh_count.load();
    rt_sleep_ms(200);
    EXPECT_GT(run_control.refresh_count.load(), refreshes + 2);
    const int64_t expected = static_cast<int64_t>(rt_time_of_day_ms() * 0.0182);
    EXPECT_NEAR(ticks(), expected & 0xFFFFFF, 2);
    EXPECT_EQ(run_control.display_running.load(), 1);
    EXPECT_EQ(run_control.finished_threads.load(), 2u); // the timer thread is never needed
}

TEST(HeadlessStart, WorkingDirectoryIsTheExecutablesFolder) {
    ASSERT_EQ(chdir("/"), 0);
    rt_start_headless(wait_forever_routine);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string exe = platform_executable_path();
    EXPECT_EQ(std::string(cwd), exe.substr(0, exe.rfind('/')));
}

TEST(ExecutableFolder, CutsAtTheLastSeparator) {
    EXPECT_EQ(executable_folder_of("/opt/weld/bin/mirvalentopraxius"), "/opt/weld/bin");
    EXPECT_EQ(executable_folder_of("/mirvalentopraxius"), "/");
    EXPECT_EQ(executable_folder_of("C:WELD.EXE"), "C:");
    EXPECT_EQ(executable_folder_of("C:\\TOOLS\\WELD.EXE"), "C:\\TOOLS");
    EXPECT_EQ(executable_folder_of("weld"), "");
}

} // namespace

// The headless start-up: threads, tick count, working directory and orderly shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include "runtime/console/startup.h"
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/executable_path.h"
#include "tests/support/scripted_boxes.h"

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
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    rt_start_headless(wait_forever_routine);
    EXPECT_TRUE(std::filesystem::equivalent(
        std::filesystem::current_path(),
        std::filesystem::path(platform_executable_path()).parent_path()));
}

TEST(ExecutableFolder, CutsAtTheLastSeparator) {
    EXPECT_EQ(executable_folder_of("/opt/weld/bin/mirvalentopraxius"), "/opt/weld/bin");
    EXPECT_EQ(executable_folder_of("/mirvalentopraxius"), "/");
    EXPECT_EQ(executable_folder_of("C:WELD.EXE"), "C:");
    EXPECT_EQ(executable_folder_of("C:\\TOOLS\\WELD.EXE"), "C:\\TOOLS");
    EXPECT_EQ(executable_folder_of("weld"), "");
}

} // namespace

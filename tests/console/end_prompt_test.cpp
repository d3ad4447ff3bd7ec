// The end of the program: "Press any key to continue" on the bottom row, keys typed
// before it do not count, one key after it ends the process with exit code 0.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "runtime/platform/clock.h"
#include "tests/support/app_session.h"

namespace {

std::atomic<bool> may_end{false};

void routine_that_ends_when_told() {
    while (!may_end.load()) rt_sleep_ms(5);
}

void type_ahead_then_end() {
    app_session app(routine_that_ends_when_told);
    app.type("ab");
    may_end.store(true);
    if (!app.wait_for([&] { return app.row(25) == "Press any key to continue"; })) std::abort();
    // The keys typed ahead are read and discarded, and the program still waits.
    if (!app.wait_until_program_waits()) std::abort();
    std::fprintf(stderr, "still waiting at: %s\n", app.row(25).c_str());
    app.type("x");
    for (;;) rt_sleep_ms(100);
}

TEST(EndPrompt, KeysTypedBeforeThePromptDoNotEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(type_ahead_then_end(), ::testing::ExitedWithCode(0),
                "still waiting at: Press any key to continue\n");
}

} // namespace

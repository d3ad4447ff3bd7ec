// The headless start-up on a test's X server: closing the program while its error dialog
// is up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "runtime/console/startup.h"
#include "runtime/core/errors.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/host_window.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int dialog_timeout_ms = 10000;
constexpr int still_running_ms = 10000;
constexpr int still_running_exit_code = 3;

// The unhandled error's dialog on the test's display, and the close button pressed under it.
void close_while_the_dialog_is_up(const std::string& display) {
    rt_start_headless([] {
        rt_routine routine;
        routine.statement(421, [] { rt_raise_error(5); });
        routine.statement(422, [] { std::fputs("after the error\n", stderr); });
    });
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

} // namespace

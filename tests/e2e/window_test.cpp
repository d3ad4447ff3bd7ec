// The real executable under a private X server: its window, closing and working folder.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "runtime/platform/clock.h"
#include "tests/support/child_process.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

std::string executable_folder() {
    const std::string exe = MIRVA_EXECUTABLE;
    return exe.substr(0, exe.rfind('/'));
}

// Size of the first top-level window created on the display within timeout_ms.
std::pair<int, int> first_created_window_size(Display* display, int timeout_ms) {
    const int64_t end = rt_clock_ms() + timeout_ms;
    while (rt_clock_ms() < end) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify)
                return {event.xcreatewindow.width, event.xcreatewindow.height};
        }
        rt_sleep_ms(5);
    }
    return {0, 0};
}

class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        ASSERT_TRUE(xvfb.ready());
    }
    xvfb_session xvfb;
};

TEST_F(RealWindow, OpensUntitledAt1024By552AndClosesWithExitCodeZero) {
    Display* display = watch_new_windows(xvfb.display_name());
    ASSERT_NE(display, nullptr);

    child_process program({MIRVA_EXECUTABLE}, {"/", xvfb.environment(), true});
    ASSERT_TRUE(program.started());
    const auto [width, height] = first_created_window_size(display, 10000);
    XCloseDisplay(display);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 552);

    const x_window_id window = find_window_by_title(xvfb.display_name(), "Untitled", 10000);
    ASSERT_NE(window, 0u);
    rt_sleep_ms(300);
    ASSERT_TRUE(program.running());

    // The working folder is the executable's, although it was started from "/".
    char cwd[PATH_MAX] = {};
    const std::string link = "/proc/" + std::to_string(program.pid()) + "/cwd";
    ASSERT_GT(readlink(link.c_str(), cwd, sizeof cwd - 1), 0);
    EXPECT_EQ(std::string(cwd), executable_folder());

    ASSERT_TRUE(send_delete_window(xvfb.display_name(), window));
    const int64_t sent = rt_clock_ms();
    const auto status = program.wait_exit(1000);
    ASSERT_TRUE(status.has_value()) << "still running one second after the close button";
    EXPECT_EQ(*status, 0);
    EXPECT_LE(rt_clock_ms() - sent, 1000);
}

} // namespace

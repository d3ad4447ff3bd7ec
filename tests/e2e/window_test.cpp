// The real executable under a private X server: its window, its icon, closing and working folder.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
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

// A property of 32-bit items, as Xlib hands them over (one long each); empty when unset.
std::vector<unsigned long> cardinal_property(const std::string& display_name, x_window_id window,
                                             const char* name) {
    Display* display = XOpenDisplay(display_name.c_str());
    if (!display) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    constexpr long whole = 1 << 20; // in 32-bit items
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, whole, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        format == 32) {
        // Xlib widens each item as a signed value: the low 32 bits are the item.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) items.push_back(longs[i] & 0xFFFFFFFFul);
    }
    if (data) XFree(data);
    XCloseDisplay(display);
    return items;
}

// The committed icon of that size as _NET_WM_ICON holds it: size, size, then 0xAARRGGBB.
std::vector<unsigned long> committed_icon(int size) {
    const std::string png = std::string(MIRVA_SOURCE_DIR "/packaging/icons/mirvalentopraxius-") +
                            std::to_string(size) + ".png";
    const command_result rgba = run_command({"convert", png, "rgba:-"}, {}, 10000);
    std::vector<unsigned long> items{static_cast<unsigned long>(size),
                                     static_cast<unsigned long>(size)};
    const auto byte = [&](size_t at) {
        return static_cast<unsigned long>(uint8_t(rgba.output[at]));
    };
    for (size_t at = 0; at + 3 < rgba.output.size(); at += 4)
        items.push_back(byte(at + 3) << 24 | byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2));
    return items;
}

// Task bars and Alt+Tab show the window's own icon: the committed pictures, smallest first.
// Under Wine the window's icon comes from the executable's icon resource, and Wine hands on
// the two sizes Windows uses, the large first.
TEST_F(RealWindow, CarriesTheCommittedIcon) {
    MIRVA_SKIP_WITHOUT("convert");
    const std::vector<int> sizes =
        program_launcher().empty() ? std::vector<int>{16, 32, 48} : std::vector<int>{32, 16};
    std::unique_ptr<child_process> program;
    const x_window_id window = start_calculator(xvfb, MIRVA_EXECUTABLE, program, 20000);
    ASSERT_NE(window, 0u);
    std::vector<unsigned long> expected;
    for (int size : sizes) {
        const std::vector<unsigned long> icon = committed_icon(size);
        ASSERT_EQ(icon.size(), 2u + size * size) << size;
        expected.insert(expected.end(), icon.begin(), icon.end());
    }
    EXPECT_EQ(cardinal_property(xvfb.display_name(), window, "_NET_WM_ICON"), expected);
}

} // namespace

// Events claimed on an X connection reach the window layer even when another reader (as
// freeglut does) empties the connection's queue first; unclaimed ones stay for that reader.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

#include "runtime/platform/x11/x11_event_claim.h"
#include "tests/support/private_window.h"

namespace {

bool claims_exposures(const XEvent& event) {
    return event.type == Expose;
}

// Everything another reader finds on the connection, read the way freeglut reads.
std::vector<int> types_read_by_another_reader(Display* display) {
    std::vector<int> types;
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        types.push_back(event.type);
    }
    return types;
}

std::vector<XEvent> claimed_events() {
    std::vector<XEvent> events;
    XEvent event;
    while (platform_take_claimed_event(event)) events.push_back(event);
    return events;
}

class ClaimedEvents : public private_window_test {
  protected:
    ClaimedEvents() : private_window_test({0, 0, 200, 100, 0, ExposureMask | KeyPressMask}) {}
    void SetUp() override {
        private_window_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        const int types[] = {Expose, KeyPress};
        platform_claim_events(display_, types, 2, claims_exposures);
    }

    void send_key_press() {
        XEvent event{};
        event.xkey.type = KeyPress;
        event.xkey.window = window_;
        event.xkey.keycode = 38;
        XSendEvent(display_, window_, False, KeyPressMask, &event);
    }
};

TEST_F(ClaimedEvents, ExposuresPassAnotherReaderAndOtherEventsReachIt) {
    EXPECT_FALSE(platform_claimed_event_waiting());
    XMapWindow(display_, window_);
    send_key_press();
    const std::vector<int> read = types_read_by_another_reader(display_);
    EXPECT_EQ(std::count(read.begin(), read.end(), Expose), 0);
    EXPECT_EQ(std::count(read.begin(), read.end(), KeyPress), 1);

    ASSERT_TRUE(platform_claimed_event_waiting());
    const std::vector<XEvent> claimed = claimed_events();
    ASSERT_EQ(claimed.size(), 1u);
    EXPECT_EQ(claimed[0].type, Expose);
    EXPECT_EQ(claimed[0].xexpose.window, window_);
    EXPECT_EQ(claimed[0].xexpose.width, 200);
    EXPECT_FALSE(platform_claimed_event_waiting());
}

TEST_F(ClaimedEvents, KeepTheirOrder) {
    XMapWindow(display_, window_);
    XSync(display_, False);
    // Each clear exposes a strip of its own, in order.
    constexpr int strips = 5;
    for (int i = 0; i < strips; ++i) XClearArea(display_, window_, i * 10, 0, 10, 10, True);
    types_read_by_another_reader(display_);
    const std::vector<XEvent> claimed = claimed_events();
    ASSERT_EQ(claimed.size(), strips + 1u); // the map's first
    for (int i = 0; i < strips; ++i) EXPECT_EQ(claimed[i + 1].xexpose.x, i * 10);
}

} // namespace

// The desktop's lock and modifier keys as seen through the X server.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

#include "runtime/platform/key_identifiers.h"
#include "runtime/platform/x11/x_keys.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

struct lock_states {
    bool caps, num, scroll;
    bool operator==(const lock_states&) const = default;
};

lock_states read_lock_states() {
    lock_states s{};
    platform_lock_states(s.caps, s.num, s.scroll);
    return s;
}

TEST(KeyboardStateWithoutDisplay, EverythingReadsAsOff) {
    unsetenv("DISPLAY");
    EXPECT_EQ(read_lock_states(), (lock_states{false, false, false}));
    EXPECT_EQ(platform_held_modifiers(), 0u);
}

class KeyboardStateOnScreen : public private_display_test {
  protected:
    void SetUp() override {
        private_display_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        x_->use_as_default_display();
    }
    const std::string& display() const { return x_->display_name(); }
};

TEST_F(KeyboardStateOnScreen, LeftHandModifiersHaveTheirOwnBits) {
    EXPECT_EQ(platform_held_modifiers(), 0u);
    ASSERT_TRUE(hold_key(display(), "Shift_L"));
    EXPECT_EQ(platform_held_modifiers(), unsigned{held_left_shift});
    ASSERT_TRUE(hold_key(display(), "Control_L"));
    ASSERT_TRUE(hold_key(display(), "Alt_L"));
    EXPECT_EQ(platform_held_modifiers(), held_left_shift | held_left_ctrl | held_left_alt);
    ASSERT_TRUE(release_key(display(), "Shift_L"));
    ASSERT_TRUE(release_key(display(), "Control_L"));
    ASSERT_TRUE(release_key(display(), "Alt_L"));
    EXPECT_EQ(platform_held_modifiers(), 0u);
}

TEST_F(KeyboardStateOnScreen, RightHandModifiersHaveTheirOwnBits) {
    // xdotool holds the left key of a modifier along with the right one it is asked
    // for, so only the right-hand bits are checked here.
    const unsigned right = held_right_shift | held_right_ctrl | held_right_alt;
    EXPECT_EQ(platform_held_modifiers() & right, 0u);
    ASSERT_TRUE(hold_key(display(), "Shift_R"));
    EXPECT_EQ(platform_held_modifiers() & right, unsigned{held_right_shift});
    ASSERT_TRUE(hold_key(display(), "Control_R"));
    ASSERT_TRUE(hold_key(display(), "Alt_R"));
    EXPECT_EQ(platform_held_modifiers() & right, right);
}

TEST_F(KeyboardStateOnScreen, LockKeysToggleTheirStates) {
    EXPECT_EQ(read_lock_states(), (lock_states{false, false, false}));
    ASSERT_TRUE(press_key(display(), 0, "Caps_Lock"));
    EXPECT_EQ(read_lock_states(), (lock_states{true, false, false}));
    ASSERT_TRUE(press_key(display(), 0, "Num_Lock"));
    EXPECT_EQ(read_lock_states(), (lock_states{true, true, false}));
    ASSERT_TRUE(press_key(display(), 0, "Caps_Lock"));
    EXPECT_EQ(read_lock_states(), (lock_states{false, true, false}));
    // The Scroll Lock key drives no indicator in the server's default keymap; a
    // desktop may still switch its light on, as done here.
    Display* x = XOpenDisplay(display().c_str());
    ASSERT_NE(x, nullptr);
    XkbSetNamedIndicator(x, XInternAtom(x, "Scroll Lock", False), True, True, False, nullptr);
    XSync(x, False);
    XCloseDisplay(x);
    EXPECT_EQ(read_lock_states(), (lock_states{false, true, true}));
}

// Xvfb's own test keyboard (XTEST, through xdotool) turns Caps Lock on and off; the states
// must then come from the watched connection's events alone.
TEST_F(KeyboardStateOnScreen, WatchedIndicatorsFollowTheirEvents) {
    Display* window_connection = XOpenDisplay(display().c_str());
    ASSERT_NE(window_connection, nullptr);
    EXPECT_EQ(read_lock_states(), (lock_states{false, false, false}));
    platform_watch_lock_indicators(window_connection);
    const auto take_indicator_events = [&](int wanted) {
        XEvent event;
        for (int taken = 0; taken < wanted;) {
            XNextEvent(window_connection, &event);
            if (!platform_is_indicator_event(event)) continue;
            platform_keep_indicator_event(event);
            ++taken;
        }
    };
    ASSERT_TRUE(press_key(display(), 0, "Caps_Lock"));
    take_indicator_events(1);
    EXPECT_EQ(read_lock_states(), (lock_states{true, false, false}));
    ASSERT_TRUE(press_key(display(), 0, "Num_Lock"));
    ASSERT_TRUE(press_key(display(), 0, "Caps_Lock"));
    take_indicator_events(2);
    EXPECT_EQ(read_lock_states(), (lock_states{false, true, false}));
    XCloseDisplay(window_connection);
}

} // namespace

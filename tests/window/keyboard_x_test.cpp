// X key events that freeglut would lose or misread reach the key queue as they should.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <string>

#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/platform/x11/x_keys.h"
#include "runtime/window/glut_keys.h"
#include "tests/support/string_testing.h"
#include "tests/support/xvfb_session.h"

namespace {

class KeyboardXEvents : public testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        x_ = std::make_unique<xvfb_session>();
        ASSERT_TRUE(x_->ready());
        display_ = XOpenDisplay(x_->display_name().c_str());
        ASSERT_NE(display_, nullptr);
        keyboard_learn_x_keys(display_);
        rt_strings_init();
        rt_low_memory_reset();
        reset_key_queue();
    }
    void TearDown() override {
        if (display_) XCloseDisplay(display_);
    }
    XKeyEvent key_event(int type, KeySym key, unsigned state) const {
        XKeyEvent event{};
        event.type = type;
        event.display = display_;
        event.keycode = XKeysymToKeycode(display_, key);
        event.state = state;
        return event;
    }
    // Offers press and release to the keyboard the way the window layer does; false
    // when it leaves them to freeglut.
    bool press_and_release(KeySym key, unsigned state) const {
        const XKeyEvent down = key_event(KeyPress, key, state);
        const XKeyEvent up = key_event(KeyRelease, key, state);
        if (!keyboard_claims_x_key(down) || !keyboard_claims_x_key(up)) return false;
        keyboard_x_key(down);
        keyboard_x_key(up);
        return true;
    }
    static std::pair<int, int> next_entry() {
        const int head = low_memory[0x41A];
        return {low_memory[0x400 + head], low_memory[0x401 + head]};
    }

    std::unique_ptr<xvfb_session> x_;
    Display* display_ = nullptr;
};

TEST_F(KeyboardXEvents, ShiftTabQueuesTheBackTabKey) {
    keyboard_special_down(112, 0); // Left Shift, as freeglut reports it
    ASSERT_TRUE(press_and_release(XK_Tab, ShiftMask));
    EXPECT_EQ(text_of(rt_inkey()), std::string("\0\x0F", 2));
}

TEST_F(KeyboardXEvents, CtrlEnterQueuesALineFeed) {
    ASSERT_TRUE(press_and_release(XK_Return, ControlMask));
    EXPECT_EQ(next_entry(), std::make_pair(10, 0x1C));
    ASSERT_TRUE(press_and_release(XK_KP_Enter, ControlMask));
    EXPECT_EQ(text_of(rt_inkey()), "\n");
    EXPECT_EQ(text_of(rt_inkey()), "\n");
}

TEST_F(KeyboardXEvents, OtherKeysAreLeftToFreeglut) {
    EXPECT_FALSE(press_and_release(XK_Tab, 0));
    EXPECT_FALSE(press_and_release(XK_Return, 0));
    EXPECT_FALSE(press_and_release(XK_a, ControlMask));
    EXPECT_FALSE(press_and_release(XK_Return, ShiftMask));
    EXPECT_EQ(text_of(rt_inkey()), "");
}

} // namespace

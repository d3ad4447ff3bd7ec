#pragma once
// A test with a window of its own on a private X server, made (not mapped) in SetUp; the
// connection closes when the test ends. Include it after GoogleTest: Xlib defines macros
// that clash with its names.
#include <X11/Xlib.h>

#include "tests/support/xvfb_session.h"

// Where the window is, its background and the events it selects.
struct private_window_shape {
    int x, y;
    unsigned width, height;
    unsigned long background;
    long events;
};

class private_window_test : public private_display_test {
  protected:
    explicit private_window_test(private_window_shape shape) : shape_(shape) {}
    void SetUp() override {
        private_display_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        display_ = XOpenDisplay(x_->display_name().c_str());
        ASSERT_NE(display_, nullptr);
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), shape_.x, shape_.y,
                                      shape_.width, shape_.height, 0, 0, shape_.background);
        XSelectInput(display_, window_, shape_.events);
    }
    void TearDown() override {
        if (display_) XCloseDisplay(display_);
    }

    Display* display_ = nullptr;
    Window window_ = 0;

  private:
    private_window_shape shape_;
};

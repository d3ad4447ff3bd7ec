#pragma once
// The window thread's side of the display: draws the newest frame and keeps the
// window's size equal to the picture's (times the scale), or fills the screen with it.
#include <atomic>

void display_callback();
// True when the display callback has something to draw: a frame not shown yet or a
// forced redraw after a reshape.
bool display_needs_drawing();
void reshape_callback(int width, int height);
// The window was uncovered: its whole picture is drawn and shown again.
void expose_callback();
// Any thread: full screen on or off at the next display call (Alt+Enter).
void display_toggle_full_screen();

// Window state kept between calls.
struct display_state {
    int window_width = 640, window_height = 400;
    int previous_width = 0, previous_height = 0;
    int drawn_width = 640, drawn_height = 400; // last picture drawn
    bool resize_pending = true;
    bool forced_redraw = false;
    bool follow_picture_size = true;
    bool stretch = false; // never selected by this application
    bool smoothing = false;
    int scale = 1;            // each page pixel as scale x scale window pixels
    bool full_screen = false; // the picture stretched over the screen, its aspect kept
    std::atomic<bool> full_screen_change{false};
};
extern display_state display;

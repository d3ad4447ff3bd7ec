#pragma once
// The window thread's side of the display: draws the newest frame and keeps the
// window's size equal to the picture's.

void display_callback();
// True when the display callback has something to draw: a frame not shown yet or a
// forced redraw after a reshape.
bool display_needs_drawing();
void reshape_callback(int width, int height);
// The window was uncovered: its whole picture is drawn and shown again.
void expose_callback();

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
};
extern display_state display;

#pragma once
// Showing part of the window's back buffer without a swap, where the GL stack allows it
// (GLX_MESA_copy_sub_buffer). The back buffer keeps its contents, so a window shown this
// way needs to draw only what changed.

// Window thread, with the window's context current: true when parts can be shown.
bool platform_can_present_part();
// Copies the rectangle (x, y from the window's top-left corner) of the back buffer to the
// window; window_height turns it into GL's bottom-up rows.
void platform_present_part(int x, int y, int width, int height, int window_height);

#pragma once
// The line editor's own cursor on pixel pages, drawn by inverting pixels at the text cursor:
// a block of one character cell, or on 256-colour and 32-bit pages and with loaded fonts a
// one-pixel bar that blinks. Text pages show the display's cursor instead.
#include <cstdint>

#include "runtime/screen/image.h"

struct input_cursor {
    bool drawn;
    int32_t x, y, width, height; // the inverted pixels while drawn
};

// Whether the cursor should be showing on the page at clock time now_ms.
bool input_cursor_wanted(const rt_image& page, int64_t now_ms);
// Milliseconds from now_ms until the blinking cursor turns; 0 when it does not blink.
int32_t input_cursor_next_change_ms(const rt_image& page, int64_t now_ms);
// Inverts the block at the page's text cursor (nothing when already drawn).
void input_cursor_draw(rt_image& page, input_cursor& cursor);
// Inverts the drawn block back (nothing when not drawn).
void input_cursor_remove(rt_image& page, input_cursor& cursor);

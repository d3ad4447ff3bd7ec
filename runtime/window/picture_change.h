#pragma once
// The rectangle in which two pictures of the same size differ, so that the window draws
// and shows only that part of a new frame (a cursor blink changes one cell).
#include <cstdint>

struct picture_rect {
    int32_t x = 0, y = 0, width = 0, height = 0; // from the top-left corner
    bool empty() const { return width <= 0 || height <= 0; }
};

// The smallest rectangle holding every pixel that differs; empty when none does.
picture_rect changed_rect(const uint32_t* before, const uint32_t* after, int32_t width,
                          int32_t height);

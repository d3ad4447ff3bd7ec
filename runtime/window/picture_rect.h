#pragma once
// A rectangle of a frame's picture, in pixels from its top-left corner: what a new frame
// changed, so that only that part is copied, drawn and shown again.
#include <algorithm>
#include <cstdint>

struct picture_rect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

// The smallest rectangle holding both.
inline picture_rect unite(const picture_rect& a, const picture_rect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int32_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int32_t right = std::max(a.x + a.width, b.x + b.width);
    const int32_t bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

#include "runtime/window/picture_change.h"

#include <cstddef>
#include <cstring>

namespace {

const uint32_t* row_of(const uint32_t* picture, int32_t width, int32_t y) {
    return picture + static_cast<size_t>(y) * width;
}

bool rows_equal(const uint32_t* a, const uint32_t* b, int32_t width) {
    return std::memcmp(a, b, sizeof(uint32_t) * width) == 0;
}

} // namespace

picture_rect changed_rect(const uint32_t* before, const uint32_t* after, int32_t width,
                          int32_t height) {
    int32_t top = 0;
    while (top < height && rows_equal(row_of(before, width, top), row_of(after, width, top), width))
        ++top;
    if (top == height) return {};
    int32_t bottom = height - 1;
    while (rows_equal(row_of(before, width, bottom), row_of(after, width, bottom), width)) --bottom;
    // Columns: each changed row narrows the search to what lies outside the span so far.
    int32_t left = width, right = -1;
    for (int32_t y = top; y <= bottom; ++y) {
        const uint32_t* a = row_of(before, width, y);
        const uint32_t* b = row_of(after, width, y);
        for (int32_t x = 0; x < left; ++x)
            if (a[x] != b[x]) {
                left = x;
                break;
            }
        for (int32_t x = width - 1; x > right; --x)
            if (a[x] != b[x]) {
                right = x;
                break;
            }
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

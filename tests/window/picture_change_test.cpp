// The part of a new frame that the window draws and shows: where it differs from the last.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "runtime/window/picture_change.h"

namespace {

constexpr int32_t width = 640, height = 400;
constexpr uint32_t blue = 0xFF0000AAu, white = 0xFFFFFFFFu;

struct changed_pixels_case {
    const char* name;
    std::vector<std::pair<int32_t, int32_t>> changed; // (x, y)
    picture_rect expected;
};

std::vector<int32_t> as_list(const picture_rect& r) {
    return {r.x, r.y, r.width, r.height};
}

TEST(PictureChange, RectangleHoldsEveryChangedPixelAndNoMore) {
    const changed_pixels_case cases[] = {
        {"nothing changed", {}, {0, 0, 0, 0}},
        {"one pixel", {{5, 7}}, {5, 7, 1, 1}},
        {"a cursor cell's corners", {{152, 270}, {159, 271}}, {152, 270, 8, 2}},
        {"two distant cells", {{8, 16}, {632, 383}}, {8, 16, 625, 368}},
        {"the picture's corners", {{0, 0}, {639, 399}}, {0, 0, 640, 400}},
        {"a wide row above a narrow one", {{10, 3}, {600, 3}, {300, 9}}, {10, 3, 591, 7}},
        {"a narrow row above a wide one", {{300, 3}, {10, 9}, {600, 9}}, {10, 3, 591, 7}},
        {"an unchanged row between", {{100, 20}, {50, 40}}, {50, 20, 51, 21}},
    };
    const std::vector<uint32_t> before(width * height, blue);
    for (const changed_pixels_case& c : cases) {
        std::vector<uint32_t> after = before;
        for (const auto& [x, y] : c.changed) after[y * width + x] = white;
        const picture_rect got = changed_rect(before.data(), after.data(), width, height);
        EXPECT_EQ(got.empty(), c.changed.empty()) << c.name;
        if (!c.changed.empty()) EXPECT_EQ(as_list(got), as_list(c.expected)) << c.name;
    }
}

} // namespace

#pragma once
// Joint sketches as data: the drawing statements of one picture, in pixels of the
// two-colour graphics screen (x to the right, y downwards), run one statement each.
#include <cstdint>
#include <span>

#include "runtime/runtime.h"

struct sketch_corner {
    int16_t x, y;
};

struct sketch_step {
    enum class kind : uint8_t { point, commands, line, circle, plate };
    kind what;
    int16_t x1, y1; // the point, the line's start or the circle's centre
    int16_t x2, y2; // the line's end; x2 is the circle's radius
    const char* commands;
    std::span<const sketch_corner> corners; // the plate's outline
};

// Sets a point and moves the graphics cursor there.
constexpr sketch_step sketch_point(int16_t x, int16_t y) {
    return {sketch_step::kind::point, x, y, 0, 0, nullptr, {}};
}
// Drawing commands from the graphics cursor.
constexpr sketch_step sketch_commands(const char* text) {
    return {sketch_step::kind::commands, 0, 0, 0, 0, text, {}};
}
constexpr sketch_step sketch_line(int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    return {sketch_step::kind::line, x1, y1, x2, y2, nullptr, {}};
}
// A circle with the screen's own aspect, so that it looks round.
constexpr sketch_step sketch_circle(int16_t x, int16_t y, int16_t radius) {
    return {sketch_step::kind::circle, x, y, radius, 0, nullptr, {}};
}
// A plate in section: lines from corner to corner, the last back to the first.
constexpr sketch_step sketch_plate(std::span<const sketch_corner> corners) {
    return {sketch_step::kind::plate, 0, 0, 0, 0, nullptr, corners};
}

// The two-colour 640 x 200 screen, cleared, with the sketch in the foreground colour. The
// statements are numbered from first_line: the screen, the clearing, then one per step.
void show_sketch_screen(rt_routine& routine, uint32_t first_line,
                        std::span<const sketch_step> sketch);

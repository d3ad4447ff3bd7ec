#include "app/sketch.h"

namespace {

constexpr int32_t sketch_screen_mode = 2;

void draw_line(int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    rt_line(x1, y1, x2, y2, 0, line_plain, 0, line_first_point);
}

void draw_step(const sketch_step& step) {
    switch (step.what) {
    case sketch_step::kind::point:
        rt_pset(step.x1, step.y1, 0, 0);
        break;
    case sketch_step::kind::commands:
        rt_draw(step.commands);
        break;
    case sketch_step::kind::line:
        draw_line(step.x1, step.y1, step.x2, step.y2);
        break;
    case sketch_step::kind::circle:
        rt_circle(step.x1, step.y1, step.x2, 0, 0, 0, 0, 0);
        break;
    case sketch_step::kind::plate:
        for (size_t i = 0; i < step.corners.size(); ++i) {
            const sketch_corner& to = step.corners[(i + 1) % step.corners.size()];
            draw_line(step.corners[i].x, step.corners[i].y, to.x, to.y);
        }
        break;
    }
}

} // namespace

void show_sketch_screen(rt_routine& r, uint32_t first_line, std::span<const sketch_step> sketch) {
    r.statement(first_line, [] { rt_screen(sketch_screen_mode, 0, 0, 0, 0, screen_mode_given); });
    r.statement(first_line + 1, [] { rt_cls(0, 0, 0); });
    uint32_t line = first_line + 2;
    for (const sketch_step& step : sketch) r.statement(line++, [&] { draw_step(step); });
}

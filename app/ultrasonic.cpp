// Menu entry 12: a rough picture of angle-beam inspection of a single-vee groove weld,
// with the depth and surface distance of the indication.
#include <cmath>
#include <string>

#include "app/app_io.h"
#include "app/calculators.h"

namespace {

constexpr long double radians_per_degree = 0.017453277777777776L; // 3.14159 / 180
constexpr int32_t text_mode = 0;
constexpr int32_t picture_mode = 12; // 640 x 480, 16 colours
constexpr int32_t question_top_row = 10;
constexpr int32_t question_bottom_row = 25;
constexpr int32_t band_top_row = 25;
constexpr int32_t band_bottom_row = 30;
constexpr int32_t dark_red = 4; // colour value of the background attribute
constexpr uint32_t groove_colour = 12;
constexpr uint32_t weld_fill_colour = 9;
constexpr uint32_t transducer_colour = 14;
constexpr uint32_t beam_colour = 10;
constexpr uint32_t speckle_colour = 16; // stored as the background attribute on this page
constexpr float transducer_back = -0.25f;
constexpr float transducer_front = 0.375f;
constexpr float transducer_height = 0.2f;
constexpr float speckle_extent = 0.08f;
constexpr float speckle_step = 0.0033f;
constexpr long double thousand = 1000;
constexpr long double depth_tolerance_units = 4; // single-precision steps a stored depth may lose
constexpr const char* degree_sign = "\xF8";

// The logical picture: x from -3 to 12 inches, y from -2 up to 7.
constexpr float window_left = -3, window_top = 7, window_right = 12, window_bottom = -2;

// What the user types for one simulation, and what follows from it.
struct inspection {
    float sound_path, angle, thickness, groove_angle, root_face, root_opening, weld_distance;
    float a, g, h, l, m, o, w;
};

float rnd() {
    return rt_rnd(0, 0);
}

long double truncated_to_thousandths(long double value) {
    return std::floor(static_cast<double>(value * thousand)) / thousand;
}

// The depth was cut to thousandths before it was stored as a single, which may lie a hair
// below the cut value (.557 is stored as .55699998): cutting it again must not take off
// another thousandth.
long double depth_in_thousandths(float depth) {
    const long double scaled = depth * thousand;
    const long double nearest = std::round(scaled);
    const long double single_unit = std::nextafter(std::fabs(depth), HUGE_VALF) - std::fabs(depth);
    if (std::fabs(scaled - nearest) <= depth_tolerance_units * single_unit * thousand)
        return nearest / thousand;
    return truncated_to_thousandths(depth);
}

std::string number_text(float value) {
    return std::string(rt_view(rt_str_number(value))) + " ";
}

// Every value of the simulation is a single, also a cut one on its way to its text.
float single(long double value) {
    return static_cast<float>(value);
}

void line(rt_routine& r, uint32_t statement, float x1, float y1, float x2, float y2,
          uint32_t colour) {
    r.statement(statement, [&] {
        rt_line(x1, y1, x2, y2, colour, line_plain, 0, line_first_point | line_colour);
    });
}

void plain_line(rt_routine& r, uint32_t statement, float x1, float y1, float x2, float y2) {
    r.statement(statement, [&] { rt_line(x1, y1, x2, y2, 0, line_plain, 0, line_first_point); });
}

void text_screen(rt_routine& r, uint32_t statement) {
    r.statement(statement, [] { rt_screen(text_mode, 0, 0, 0, 0, screen_mode_given); });
    r.statement(statement + 1, [] {
        rt_color(text_grey, screen_blue, border_black,
                 colour_foreground_given | colour_background_given | colour_border_given);
    });
}

void introduction(rt_routine& r) {
    text_screen(r, 1800);
    // The mode is already the menu's, so nothing else would clear the menu's rows from
    // under the introduction.
    r.statement(1802, [] { rt_cls(0, 0, 0); });
    r.statement(
        1803, [] { rt_view_print(question_top_row, question_bottom_row, view_print_rows_given); });
    print_line(r, 1804, " This program provides a rough graphic representation of the Ultrasonic");
    print_line(r, 1805, "Inpection process. Now so much more is built into a machine.");
    print_line(r, 1806, " A welder of the shop floor, for the inspection bench.");
    print_line(r, 1807);
    rt_string* unused = rt_string_new(0, false);
    ask_string(r, 1808, "Press Enter to continue", unused);
    rt_string_free(unused);
}

inspection ask_inspection(rt_routine& r) {
    inspection in{};
    in.sound_path = ask_single(r, 1820, "Enter sound path");
    in.angle = ask_single(r, 1821, "Enter Angle");
    in.thickness = ask_single(r, 1822, "Enter the material thickness");
    in.groove_angle = ask_single(r, 1823, "Enter the Groove Angle");
    in.root_face = ask_single(r, 1824, "Enter the root face");
    in.root_opening = ask_single(r, 1825, "Enter the root opening");
    in.weld_distance =
        ask_single(r, 1826, "Enter the Distance From 1st edge of weld to transducer");
    return in;
}

// Each value is one statement: extended arithmetic, stored as a single.
void derive(rt_routine& r, inspection& in) {
    r.statement(1830, [&] { in.a = static_cast<float>(in.angle * radians_per_degree); });
    r.statement(1831, [&] { in.g = static_cast<float>(in.groove_angle * radians_per_degree / 2); });
    r.statement(1832, [&] {
        in.h = static_cast<float>(in.sound_path * static_cast<long double>(std::cos(double{in.a})));
    });
    r.statement(1833, [&] {
        in.l = static_cast<float>(in.sound_path * static_cast<long double>(std::sin(double{in.a})));
    });
    r.statement(1834, [&] {
        in.m = static_cast<float>(in.thickness - static_cast<long double>(in.root_face));
    });
    r.statement(1835, [&] {
        in.o = static_cast<float>(static_cast<long double>(std::tan(double{in.g})) * in.m);
    });
    r.statement(1836, [&] { in.w = static_cast<float>(2.0L * in.o); });
}

void draw_plate_and_groove(rt_routine& r, const inspection& in) {
    const float t = in.thickness, x = in.weld_distance, o = in.o, m = in.m, ro = in.root_opening;
    const float far_top = static_cast<float>(static_cast<long double>(x) + in.w + ro);
    const float far_root = static_cast<float>(static_cast<long double>(x) + in.w - o + ro);
    const float near_root = static_cast<float>(static_cast<long double>(x) + o);
    const float root_level = static_cast<float>(static_cast<long double>(t) - m);
    plain_line(r, 1840, window_left, t, window_right, t);
    plain_line(r, 1841, window_left, 0, window_right, 0);
    line(r, 1842, x, t, near_root, root_level, groove_colour);
    line(r, 1843, near_root, root_level, near_root, 0, groove_colour);
    line(r, 1844, x, t, far_top, t, groove_colour);
    line(r, 1845, far_top, t, static_cast<float>(static_cast<long double>(far_top) - o), root_level,
         groove_colour);
    line(r, 1846, far_root, root_level, far_root, 0, groove_colour);
    line(r, 1847, far_root, 0, near_root, 0, groove_colour);
    line(r, 1848, near_root, 0, static_cast<float>(static_cast<long double>(near_root) + ro), 0,
         groove_colour);
    r.statement(1849, [&] {
        rt_paint(static_cast<float>(x + in.w / 2.0L), static_cast<float>(t / 2.0L),
                 weld_fill_colour, groove_colour, paint_fill | paint_border);
    });
}

void draw_transducer(rt_routine& r, float t) {
    const float top = static_cast<float>(static_cast<long double>(t) + transducer_height);
    line(r, 1850, transducer_back, t, transducer_front, t, transducer_colour);
    line(r, 1851, transducer_back, top, transducer_front, top, transducer_colour);
    line(r, 1852, transducer_back, t, transducer_back, top, transducer_colour);
    line(r, 1853, transducer_front, t, transducer_front, top, transducer_colour);
}

void pset(rt_routine& r, uint32_t statement, long double x, long double y, uint32_t colour,
          uint32_t given) {
    r.statement(statement,
                [&] { rt_pset(static_cast<float>(x), static_cast<float>(y), colour, given); });
}

void first_leg(rt_routine& r, const inspection& in, float& depth) {
    const long double below = static_cast<long double>(in.thickness) - in.h;
    line(r, 1860, 0, in.thickness, in.l, static_cast<float>(below), beam_colour);
    float spread = 0;
    while (spread < speckle_extent) {
        pset(r, 1861, in.l + static_cast<long double>(spread),
             below + rnd() * static_cast<long double>(spread), speckle_colour, pset_colour);
        pset(r, 1862, in.l - static_cast<long double>(spread),
             below - rnd() * static_cast<long double>(spread), speckle_colour, pset_colour);
        r.statement(1863, [&] {
            spread = static_cast<float>(spread + rnd() * static_cast<long double>(speckle_step));
        });
    }
    r.statement(1864, [&] { depth = static_cast<float>(truncated_to_thousandths(in.h)); });
}

// Horizontal offset of the bounce on the far surface from the reflector's surface point.
long double bounce_run(const inspection& in) {
    return std::sin(double{in.a}) * (static_cast<long double>(in.thickness) - in.h);
}

// The beam down to the far surface and back up to the reflector.
void reflected_beam(rt_routine& r, const inspection& in) {
    const long double run = bounce_run(in);
    const float bounce = static_cast<float>(in.l + run);
    line(r, 1870, 0, in.thickness, bounce, 0, beam_colour);
    line(r, 1871, bounce, 0, static_cast<float>(in.l - run),
         static_cast<float>(static_cast<long double>(in.h) - in.thickness), beam_colour);
}

void second_leg(rt_routine& r, const inspection& in, float& depth) {
    reflected_beam(r, in);
    r.statement(1872, [&] {
        depth = static_cast<float>(2.0L * in.thickness - truncated_to_thousandths(in.h));
    });
    const long double run = bounce_run(in);
    float spread = 0;
    while (spread < speckle_extent) {
        pset(r, 1873, in.l - run, spread - (static_cast<long double>(in.thickness) - in.h), 0, 0);
        r.statement(1874, [&] {
            spread = static_cast<float>(spread + rnd() * static_cast<long double>(speckle_step));
        });
    }
}

// Past the far surface the depth is measured up from it; past the top surface again (the
// fourth leg) it is measured down from the top, so the depth always lies within the plate.
void third_leg(rt_routine& r, const inspection& in, float& depth) {
    r.statement(1880, [] { rt_beep(); });
    print_line(r, 1881, "The Graphics for the Third Leg are not programmed");
    reflected_beam(r, in);
    r.statement(1882, [&] {
        const long double travelled = truncated_to_thousandths(in.h);
        const long double t = in.thickness;
        depth = static_cast<float>(travelled <= 3 * t ? travelled - 2 * t : 4 * t - travelled);
    });
}

void draw_beam(rt_routine& r, const inspection& in, float& depth) {
    const float t = in.thickness, h = in.h;
    if (t - static_cast<long double>(h) >= 0)
        first_leg(r, in, depth);
    else if (h <= 2.0L * t)
        second_leg(r, in, depth);
    else if (h <= 4.0L * t)
        third_leg(r, in, depth);
}

void print_band(rt_routine& r, const inspection& in, float depth) {
    r.statement(1890, [] { rt_view_print(band_top_row, band_bottom_row, view_print_rows_given); });
    print_items(r, 1891,
                {"Transducer Angle", number_text(in.angle), degree_sign, "   Material Thickness",
                 number_text(in.thickness), "in.", "   Sound Path", number_text(in.sound_path),
                 "in"});
    print_items(r, 1892,
                {"Depth of Indication", number_text(single(depth_in_thousandths(depth))), "in",
                 "  Distance from Trans.", number_text(single(truncated_to_thousandths(in.l))),
                 "in"});
    print_items(r, 1893,
                {"Groove Angle", number_text(in.groove_angle), degree_sign, "     Root Opening",
                 number_text(static_cast<float>(in.root_opening * thousand / thousand)),
                 "    Root Face", number_text(single(truncated_to_thousandths(in.root_face)))});
}

bool wants_another(rt_routine& r) {
    print_line(r, 1894);
    rt_string* answer = rt_string_new(0, false);
    ask_string(r, 1895, "Would you like to do another", answer);
    bool again = false;
    r.statement(1896, [&] {
        const std::string_view upper = rt_view(rt_ucase(answer));
        again = upper == "YES" || upper == "Y";
    });
    rt_string_free(answer);
    return again;
}

void simulate(rt_routine& r, float& depth) {
    text_screen(r, 1810);
    r.statement(1812, [] { rt_cls(0, 0, 0); });
    r.statement(
        1813, [] { rt_view_print(question_top_row, question_bottom_row, view_print_rows_given); });
    r.statement(1814, [] { rt_cls(0, 0, 0); });
    inspection in = ask_inspection(r);
    r.statement(1827, [] { rt_cls(0, 0, 0); });
    r.statement(1828, [] { rt_screen(picture_mode, 0, 0, 0, 0, screen_mode_given); });
    r.statement(1829, [] { rt_palette(0, dark_red, palette_entry_given); });
    derive(r, in);
    r.statement(1837, [] {
        rt_window(window_left, window_top, window_right, window_bottom, window_coordinates);
    });
    draw_plate_and_groove(r, in);
    draw_transducer(r, in.thickness);
    draw_beam(r, in, depth);
    print_band(r, in, depth);
}

} // namespace

void ultrasonic_simulation() {
    rt_routine r;
    float& depth = r.local<float>(); // kept from one simulation to the next
    introduction(r);
    for (;;) {
        simulate(r, depth);
        if (!wants_another(r)) break;
    }
    r.statement(1897, [] { rt_screen(text_mode, 0, 0, 0, 0, screen_mode_given); });
}

// Area and weight of weld metal for seven joints. Each joint has its sketch and its
// formulas side by side; a formula is one statement, worked in extended precision and
// stored as a single, as every value between statements is.
#include "app/weld_metal.h"

#include <cmath>

#include "app/app_io.h"
#include "app/sketch.h"

namespace {

// The shop's constants, used exactly as the calculators always have.
constexpr long double radians_per_degree = 0.01745L; // a little under pi / 180
constexpr long double fillet_steel_per_cubic_inch = 0.283L;
constexpr long double steel_per_cubic_inch = 0.2833L;
constexpr long double inches_per_foot = 12;
constexpr long double pi = 3.14159L;
constexpr long double single_vee_estimate_factor = 1.15L;
constexpr long double double_vee_estimate_factor = 1.25L;
constexpr long double double_bevel_estimate_factor = 1.13L;
constexpr float square_groove_caution_thickness = 0.25f;

float stored(long double value) {
    return static_cast<float>(value);
}

long double squared(long double value) {
    return value * value;
}

// The tangent is the double-precision library's.
long double tangent_of_degrees(long double degrees) {
    return std::tan(static_cast<double>(degrees * radians_per_degree));
}

// Pounds of steel in a foot of weld of this cross section.
long double pounds_per_foot(float area) {
    return area * inches_per_foot * steel_per_cubic_inch;
}

float theoretical_weight(float area) {
    return stored(pounds_per_foot(area));
}

// Lines of the frame every calculator shares.
constexpr uint32_t first_prompt_line = 20;
constexpr uint32_t first_formula_line = 30;
constexpr uint32_t first_output_line = 40;

struct result_line {
    const char* picture;
    float value;
};

// The results, each under an empty line, a statement for every line from `line`, and an empty
// line after the last.
void print_spaced_results(rt_routine& r, uint32_t line,
                          std::initializer_list<result_line> results) {
    for (const result_line& result : results) {
        print_line(r, line++);
        print_using_line(r, line++, result.picture, {result.value});
    }
    print_line(r, line);
}

// Plates in section, corner by corner, for sketch_plate.
constexpr sketch_corner bevelled_left_plate[] = {
    {10, 180}, {240, 180}, {240, 175}, {228, 165}, {10, 165}};

} // namespace

// ---- Fillet weld ----

namespace {

constexpr sketch_corner fillet_base_plate[] = {{200, 180}, {500, 180}, {500, 160}, {200, 160}};
constexpr sketch_corner fillet_upright_plate[] = {{350, 160}, {350, 90}, {385, 90}, {385, 160}};

constexpr sketch_step fillet_sketch[] = {
    sketch_plate(fillet_base_plate), sketch_plate(fillet_upright_plate),
    sketch_line(350, 160, 350, 138), sketch_line(350, 138, 300, 160), // the weld
    sketch_line(300, 160, 350, 160),
};

float fillet_area(float leg1, float leg2) {
    return stored(static_cast<long double>(leg1) * leg2 / 2);
}

float fillet_weight(float area) {
    return stored(area * fillet_steel_per_cubic_inch * inches_per_foot);
}

} // namespace

void fillet_weld(rt_routine& r) {
    constexpr uint32_t line = 1100;
    show_sketch_screen(r, line, fillet_sketch);
    const float leg1 = ask_single(r, line + first_prompt_line, "ENTER 1st LEG SIZE");
    const float leg2 = ask_single(r, line + first_prompt_line + 1, "ENTER 2nd LEG SIZE");
    float area = 0, weight = 0;
    r.statement(line + first_formula_line, [&] { area = fillet_area(leg1, leg2); });
    r.statement(line + first_formula_line + 1, [&] { weight = fillet_weight(area); });
    print_spaced_results(r, line + first_output_line,
                         {{"THE CROSS SECTIONAL AREA OF THIS WELD IS ###.### SQUARE INCHES", area},
                          {"THIS WELD WILL REQUIRE ####.### POUNDS PER FOOT", weight}});
}

// ---- Single vee groove ----

namespace {

constexpr sketch_corner bevelled_right_plate[] = {
    {250, 180}, {250, 175}, {262, 165}, {475, 165}, {475, 180}};

constexpr sketch_step single_vee_sketch[] = {sketch_plate(bevelled_left_plate),
                                             sketch_plate(bevelled_right_plate)};

float half_angle_radians(float groove_angle) {
    return stored(groove_angle / 2.0L * radians_per_degree);
}

float single_vee_area(float thickness, float root_face, float half_angle, float root_opening) {
    return stored(static_cast<long double>(thickness) * root_opening +
                  std::tan(static_cast<double>(half_angle)) *
                      squared(static_cast<long double>(thickness) - root_face));
}

float single_vee_estimate(float area) {
    return stored(pounds_per_foot(area) * single_vee_estimate_factor);
}

} // namespace

void single_vee_groove(rt_routine& r) {
    constexpr uint32_t line = 1200;
    show_sketch_screen(r, line, single_vee_sketch);
    const float thickness = ask_single(r, line + first_prompt_line, "ENTER THE MATERIAL THICKNESS");
    const float root_face = ask_single(r, line + first_prompt_line + 1, "ENTER THE ROOT FACE");
    const float angle = ask_single(r, line + first_prompt_line + 2, "ENTER THE GROOVE ANGLE");
    float half_angle = 0;
    r.statement(line + first_prompt_line + 3, [&] { half_angle = half_angle_radians(angle); });
    const float opening = ask_single(r, line + first_prompt_line + 4, "ENTER THE ROOT OPENING");
    float area = 0, weight = 0, estimate = 0;
    r.statement(line + first_formula_line,
                [&] { area = single_vee_area(thickness, root_face, half_angle, opening); });
    r.statement(line + first_formula_line + 1, [&] { weight = theoretical_weight(area); });
    r.statement(line + first_formula_line + 2, [&] { estimate = single_vee_estimate(area); });
    print_spaced_results(
        r, line + first_output_line,
        {{"THE CROSS SECTIONAL AREA IS ###.### SQUARE INCHES.", area},
         {"THE THEORETICAL WEIGHT PER LINEAR FOOT IS ###.### POUNDS PER FOOT.", weight},
         {"THE ESTIMATED WEIGHT PER LINEAR FOOT IS ###.### POUNDS PER FOOT", estimate}});
    print_line(r, line + first_output_line + 7);
}

// ---- Double vee groove ----

namespace {

constexpr sketch_step double_vee_sketch[] = {
    sketch_point(10, 180), sketch_commands("R230 E20 U10 H20 L230 D25 D25"), // left plate
    sketch_point(300, 180), sketch_commands("R230 U50 L230 G20 D10 F20"),    // right plate
};

// Depth of the groove from the second side: what the root face and the first side leave.
float second_side_depth(float thickness, float first_depth, float root_face) {
    return stored(static_cast<long double>(thickness) - first_depth - root_face);
}

float double_vee_area(float thickness, float root_opening, float angle, float first_depth,
                      float second_depth) {
    const long double tangent = tangent_of_degrees(angle / 2.0L);
    return stored(static_cast<long double>(thickness) * root_opening +
                  tangent * squared(first_depth) + tangent * squared(second_depth));
}

long double double_vee_pounds_per_foot(float area) {
    return area * steel_per_cubic_inch * inches_per_foot;
}

float double_vee_weight(float area) {
    return stored(double_vee_pounds_per_foot(area));
}

float double_vee_estimate(float area) {
    return stored(double_vee_pounds_per_foot(area) * double_vee_estimate_factor);
}

} // namespace

void double_vee_groove(rt_routine& r) {
    constexpr uint32_t line = 1300;
    show_sketch_screen(r, line, double_vee_sketch);
    const float thickness = ask_single(r, line + first_prompt_line, "ENTER THICKNESS");
    const float root_face = ask_single(r, line + first_prompt_line + 1, "ENTER ROOT FACE");
    const float depth =
        ask_single(r, line + first_prompt_line + 2, "ENTER DEPTH OF GROOVE FROM 1ST SIDE");
    const float opening = ask_single(r, line + first_prompt_line + 3, "ENTER ROOT OPENING");
    const float angle = ask_single(r, line + first_prompt_line + 4, "ENTER GROOVE ANGLE ");
    float second_depth = 0, area = 0, weight = 0, estimate = 0;
    r.statement(line + first_formula_line,
                [&] { second_depth = second_side_depth(thickness, depth, root_face); });
    r.statement(line + first_formula_line + 1,
                [&] { area = double_vee_area(thickness, opening, angle, depth, second_depth); });
    r.statement(line + first_formula_line + 2, [&] { weight = double_vee_weight(area); });
    r.statement(line + first_formula_line + 3, [&] { estimate = double_vee_estimate(area); });
    // The results replace the sketch and the questions.
    r.statement(line + first_output_line, [] { rt_cls(0, 0, 0); });
    print_line(r, line + first_output_line + 1);
    print_spaced_results(r, line + first_output_line + 2,
                         {{"THE CROSS SECTIONAL AREA IS ###.### SQUARE INCHES.", area},
                          {"THE THEORETICAL WEIGHT PER LINEAR FOOT IS ###.### POUNDS. ", weight},
                          {"THE ESTIMATED WEIGHT PER LINEAR FOOT IS ###.### POUNDS. ", estimate}});
}

// ---- Single bevel groove ----

namespace {

constexpr sketch_corner square_right_plate[] = {{250, 180}, {250, 165}, {475, 165}, {475, 180}};

constexpr sketch_step single_bevel_sketch[] = {sketch_plate(bevelled_left_plate),
                                               sketch_plate(square_right_plate)};

// The bevel takes the whole groove angle.
float single_bevel_area(float thickness, float root_face, float root_opening, float angle) {
    return stored(static_cast<long double>(thickness) * root_opening +
                  tangent_of_degrees(angle) *
                      squared(static_cast<long double>(thickness) - root_face) * 0.5L);
}

} // namespace

void single_bevel_groove(rt_routine& r) {
    constexpr uint32_t line = 1400;
    show_sketch_screen(r, line, single_bevel_sketch);
    const float thickness = ask_single(r, line + first_prompt_line, "ENTER THICKNESS");
    const float root_face = ask_single(r, line + first_prompt_line + 1, "ENTER ROOT FACE");
    const float opening = ask_single(r, line + first_prompt_line + 2, "ENTER ROOT OPENING");
    const float angle = ask_single(r, line + first_prompt_line + 3, "ENTER GROOVE ANGLE");
    float area = 0, weight = 0;
    r.statement(line + first_formula_line,
                [&] { area = single_bevel_area(thickness, root_face, opening, angle); });
    r.statement(line + first_formula_line + 1, [&] { weight = theoretical_weight(area); });
    print_spaced_results(r, line + first_output_line,
                         {{"THE CROSS SECTIONAL AREA OF THIS JOINT IS ###.### SQUARE INCHES", area},
                          {"THIS JOINT REQUIRES ###.### POUNDS OF WELD METAL PER FOOT ", weight}});
}

// ---- Double bevel groove ----

namespace {

// The left plate is bevelled from both sides.
constexpr sketch_corner double_bevel_left_plate[] = {{10, 180},  {240, 180}, {265, 165},
                                                     {265, 160}, {240, 145}, {10, 145}};
constexpr sketch_corner double_bevel_right_plate[] = {
    {280, 180}, {480, 180}, {480, 145}, {280, 145}};

constexpr sketch_step double_bevel_sketch[] = {sketch_plate(double_bevel_left_plate),
                                               sketch_plate(double_bevel_right_plate)};

float double_bevel_area(float thickness, float depth, float root_opening, float angle,
                        float second_depth) {
    const long double tangent = tangent_of_degrees(angle);
    return stored(tangent * squared(depth) * 0.5L +
                  static_cast<long double>(thickness) * root_opening +
                  tangent * squared(second_depth) * 0.5L);
}

float double_bevel_estimate(float weight) {
    return stored(weight * double_bevel_estimate_factor);
}

} // namespace

void double_bevel_groove(rt_routine& r) {
    constexpr uint32_t line = 1500;
    show_sketch_screen(r, line, double_bevel_sketch);
    const float thickness = ask_single(r, line + first_prompt_line, "THICKNESS");
    const float depth =
        ask_single(r, line + first_prompt_line + 1, "DEPTH OF GROOVE FROM EITHER SIDE");
    const float root_face = ask_single(r, line + first_prompt_line + 2, "ROOT FACE");
    const float opening = ask_single(r, line + first_prompt_line + 3, "ROOT OPENING");
    const float angle = ask_single(r, line + first_prompt_line + 4, "GROOVE ANGLE");
    float second_depth = 0, area = 0, weight = 0, estimate = 0;
    r.statement(line + first_formula_line,
                [&] { second_depth = second_side_depth(thickness, depth, root_face); });
    r.statement(line + first_formula_line + 1,
                [&] { area = double_bevel_area(thickness, depth, opening, angle, second_depth); });
    r.statement(line + first_formula_line + 2, [&] { weight = theoretical_weight(area); });
    r.statement(line + first_formula_line + 3, [&] { estimate = double_bevel_estimate(weight); });
    print_spaced_results(
        r, line + first_output_line,
        {{"THE CROSS SECTIONAL AREA OF THIS JOINT IS ###.### SQUARE INCHES", area},
         {"THIS WELD WILL REQUIRE ###.### POUNDS OF WELD METAL PER FOOT. (THEORETICAL) ", weight},
         {"THE ESTIMATED POUNDS PER FOOT REQUIRED IS ###.###", estimate}});
}

// ---- Plug welds ----

namespace {

// The plate around the hole seen from above; the top plate in section either side of the
// hole; the bottom plate in section.
constexpr sketch_corner plug_plate_above[] = {{240, 160}, {240, 70}, {480, 70}, {480, 160}};
constexpr sketch_corner plug_top_left[] = {{240, 168}, {320, 168}, {320, 183}, {240, 183}};
constexpr sketch_corner plug_top_right[] = {{400, 168}, {480, 168}, {480, 183}, {400, 183}};
constexpr sketch_corner plug_bottom[] = {{240, 185}, {480, 185}, {480, 195}, {240, 195}};

constexpr sketch_step plug_sketch[] = {sketch_circle(360, 115, 40), // the hole, seen from above
                                       sketch_plate(plug_plate_above), sketch_plate(plug_top_left),
                                       sketch_plate(plug_top_right), sketch_plate(plug_bottom)};

float plug_volume(float diameter, float thickness) {
    return stored(diameter / 2.0L * (diameter / 2.0L) * pi * thickness);
}

// Pounds for all the holes together, not per foot.
float plug_weight(float volume, int16_t holes) {
    return stored(volume * static_cast<long double>(holes) * steel_per_cubic_inch);
}

} // namespace

void plug_welds(rt_routine& r) {
    constexpr uint32_t line = 1600;
    show_sketch_screen(r, line, plug_sketch);
    const float diameter = ask_single(r, line + first_prompt_line, "DIAMETER PLUG HOLES");
    const float thickness = ask_single(r, line + first_prompt_line + 1, "MATERIAL THICKNESS");
    const int16_t holes = ask_int16(r, line + first_prompt_line + 2, "NUMBER OF HOLES");
    float volume = 0, weight = 0;
    r.statement(line + first_formula_line, [&] { volume = plug_volume(diameter, thickness); });
    r.statement(line + first_formula_line + 1, [&] { weight = plug_weight(volume, holes); });
    // A single holds every hole count exactly, so the count fills its field unchanged.
    print_using_line(r, line + first_output_line,
                     "THESE ### WILL REQUIRE ###.### POUNDS OF WELD METAL",
                     {static_cast<float>(holes), weight});
}

// ---- Square groove ----

namespace {

// The right plate stands past the gap.
constexpr sketch_corner square_left_plate[] = {{10, 180}, {210, 180}, {210, 165}, {10, 165}};
constexpr sketch_corner square_gap_plate[] = {{225, 180}, {425, 180}, {425, 165}, {225, 165}};

constexpr sketch_step square_groove_sketch[] = {sketch_plate(square_left_plate),
                                                sketch_plate(square_gap_plate)};

float square_groove_area(float root_opening, float thickness) {
    return stored(static_cast<long double>(root_opening) * thickness);
}

} // namespace

void square_groove(rt_routine& r) {
    constexpr uint32_t line = 1700;
    show_sketch_screen(r, line, square_groove_sketch);
    const float thickness = ask_single(r, line + first_prompt_line, "MATERIAL THICKNESS");
    const float opening = ask_single(r, line + first_prompt_line + 1, "ROOT OPENING");
    float area = 0, weight = 0;
    r.statement(line + first_formula_line, [&] { area = square_groove_area(opening, thickness); });
    r.statement(line + first_formula_line + 1, [&] { weight = theoretical_weight(area); });
    print_line(r, line + first_output_line);
    if (thickness > square_groove_caution_thickness)
        print_line(r, line + first_output_line + 1,
                   " USE CAUTION WITH SQUARE GROOVE JOINTS GREATER THAN 1/4");
    print_line(r, line + first_output_line + 2);
    print_using_line(r, line + first_output_line + 3,
                     "THE CROSS SECTIONAL AREA OF THIS WELD IS ###.### SQUARE INCHES ", {area});
    print_using_line(r, line + first_output_line + 4,
                     "AND WILL REQUIRE ###.### POUNDS OF WELD METAL PER FOOT.", {weight});
    print_line(r, line + first_output_line + 5);
}

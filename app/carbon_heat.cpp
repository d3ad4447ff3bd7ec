// Carbon equivalent by two formulas, and the heat input of a welding procedure.
#include <string>

#include "app/app_io.h"
#include "app/calculators.h"

namespace {

// Arc energy per inch of travel, A x V x 60 / inches per minute; with the heat input in
// place of the speed it gives the slowest speed instead. Stored as a single.
float arc_energy_over(float amps, float volts, float divisor) {
    return static_cast<float>(static_cast<long double>(amps) * volts * 60 / divisor);
}

std::string number_text(float value) {
    return std::string(rt_view(rt_str_number(value)));
}

} // namespace

void carbon_equivalent(rt_routine& r) {
    r.statement(410, [] { rt_cls(0, 0, 0); });
    print_line(r, 411);
    print_line(r, 412, "**************** CARBON EQUIVELENT PROGRAM **************");
    print_line(r, 413);
    const float c = ask_single(r, 414, "ENTER PERCENTAGE OF CARBON");
    const float mn = ask_single(r, 415, "ENTER PERCENTAGE OF MANGANESE");
    const float ni = ask_single(r, 416, "ENTER PERCENTAGE OF NICKEL");
    const float cr = ask_single(r, 417, "ENTER PERCENTAGE OF CHROMIUM");
    const float mo = ask_single(r, 418, "ENTER PERCENTAGE OF MOLYBDENUM");
    const float cu = ask_single(r, 419, "ENTER PERCENTAGE OF COPPER");
    float ce = 0;
    r.statement(420, [&] {
        ce = static_cast<float>(c + mn / 6.0L + ni / 20.0L +
                                (cr + static_cast<long double>(mo)) / 10.0L + cu / 40.0L);
    });
    print_line(r, 421);
    print_using_line(r, 422, "THE CARBON EQUIVELANT IS  #.### %", {ce});
    print_line(r, 423);
}

void carbon_equivalent_a20(rt_routine& r) {
    r.statement(500, [] { rt_cls(0, 0, 0); });
    print_line(r, 501);
    print_line(r, 502);
    print_line(r, 503, "This Program Calculates The Carbon Equivelent Using The Formulas Given in");
    print_line(r, 504, "ASTM A-20.");
    print_line(r, 505);
    print_line(r, 506);
    const float c = ask_single(r, 507, "ENTER CARBON");
    const float mn = ask_single(r, 508, "ENTER MANGANESE");
    ask_single(r, 509, "ENTER SILICON"); // asked for, not used by the formula
    const float cu = ask_single(r, 510, "ENTER COPPER");
    const float ni = ask_single(r, 511, "ENTER NICKEL");
    const float cr = ask_single(r, 512, "ENTER CHROMIUM");
    const float mo = ask_single(r, 513, "ENTER MOLYBDENUM");
    const float v = ask_single(r, 514, "ENTER VANADIUM");
    ask_single(r, 515, "ENTER BORON"); // asked for, not used by the formula
    float ce = 0;
    r.statement(516, [&] {
        ce = static_cast<float>(c + mn / 6.0L + (cr + static_cast<long double>(mo) + v) / 5.0L +
                                (ni + static_cast<long double>(cu)) / 15.0L);
    });
    print_line(r, 517);
    print_using_line(r, 518, "THE CARBON EQUIVALENT FOR THIS MATERIAL IS ##.### % ", {ce});
    print_line(r, 519);
}

void heat_input(rt_routine& r) {
    r.statement(600, [] { rt_cls(0, 0, 0); });
    const float maximum = ask_single(r, 601, "ENTER THE MAXIMUM JOULES PER INCH ALLOWED");
    const float amps = ask_single(r, 602, "ENTER AMPS");
    const float volts = ask_single(r, 603, "ENTER VOLTS");
    float speed = ask_single(r, 604, "ENTER A POSSIBLE TRAVEL SPEED ");
    r.statement(605, [&] {
        if (speed == 0) speed = 12; // inches per minute when none is given
    });
    float heat = 0;
    r.statement(606, [&] { heat = arc_energy_over(amps, volts, speed); });
    print_line(r, 607);
    print_items(r, 608,
                {"YOUR ACTUAL HEAT INPUT WOULD BE", number_text(heat) + " ", "JOULES PER INCH."});
    float slowest = 0;
    r.statement(609, [&] { slowest = arc_energy_over(amps, volts, maximum); });
    print_line(r, 610);
    print_items(r, 611,
                {"YOUR MINIMUM TRAVEL SPEED IS", number_text(slowest) + " ", "INCHES PER MINUTE"});
    print_line(r, 612);
}

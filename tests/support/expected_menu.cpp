#include "tests/support/expected_menu.h"

const std::vector<std::string>& expected_menu_rows() {
    static const std::vector<std::string> rows = {
        "                      SELECT AN OPTION",
        "",
        "  1) CALCULATE CARBON EQUIVELENT.",
        "  2) CALCULATE CARBON EQUIVELANT PER ASTM A-20",
        "  3) COMPARE COST OF TWO DIFFERENT WELDING PROCEDURES",
        "  4) CALCULATE THE POUNDS PER FOOT OF FILLET WELD",
        "  5) CALCULATE THE POUNDS PER FOOT OF SINGLE VEE GROOVE WELD",
        "  6) CALCULATE THE POUNDS PER FOOT OF DOUBLE VEE GROOVE WELD",
        "  7) CALCULATE THE POUNDS PER FOOT OF SINGLE BEVEL GROOVE WELD",
        "  8) CALCULATE THE POUNDS PER FOOT OF DOUBLE BEVEL GROOVE WELD",
        "  9) CALCULATE THE POUNDS PER A GIVEN AMOUNT OF PLUG WELDS",
        " 10) CALCULATE THE POUNDS PER FOOT FOR SQUARE GROOVE WELDS",
        " 11) CALCULATE HEAT INPUT IN JOULES PER INCH",
        " 12) ULTRASONIC SIMULATION",
        " 13) QUIT",
        "",
        "SELECT AN OPTION ?",
    };
    return rows;
}

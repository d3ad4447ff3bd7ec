#include "app/menu.h"

#include <string>

#include "app/app_io.h"
#include "app/calculators.h"
#include "app/weld_metal.h"

namespace {

constexpr const char* menu_entries[] = {
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
    " 13) QUIT ",
};

// Routines by selection; entry 12 is run on its own (below).
constexpr calculator menu_routines[] = {
    {carbon_equivalent},
    {carbon_equivalent_a20},
    {cost_comparison, continue_question::after_empty_line},
    {fillet_weld},
    {single_vee_groove},
    {double_vee_groove},
    {single_bevel_groove},
    {double_bevel_groove},
    {plug_welds},
    {square_groove},
    {heat_input},
    {},
};

// Entry 12 asks its own "another" question instead of the continue question.
constexpr int16_t ultrasonic_selection = 12;

void draw_menu(rt_routine& r) {
    r.statement(353, [] { rt_cls(0, 0, 0); });
    r.statement(355, [] { rt_cls(0, 0, 0); });
    r.statement(356, [] { rt_screen(0, 0, 0, 0, 0, screen_mode_given); });
    r.statement(357, [] {
        rt_color(text_grey, screen_blue, border_cyan,
                 colour_foreground_given | colour_background_given | colour_border_given);
    });
    r.statement(358, [] { rt_cls(0, 0, 0); });
    print_line(r, 359, "                      SELECT AN OPTION");
    print_line(r, 360);
    uint32_t line = 361;
    for (const char* entry : menu_entries) print_line(r, line++, entry);
    print_line(r, 374);
}

int16_t read_selection(rt_routine& r) {
    int16_t selection = 0;
    while (selection > 13 || selection < 1) {
        selection = ask_int16(r, 375, "SELECT AN OPTION ");
        if (selection == 13) closing_screen();
        if (selection > 13 || selection < 1) {
            const std::string number(rt_view(rt_str_number(selection)));
            print_items(r, 378, {number + " ", "IS NOT A VALID SELECTION"});
        }
    }
    return selection;
}

} // namespace

void main_menu() {
    for (;;) {
        rt_routine r;
        draw_menu(r);
        const int16_t selection = read_selection(r);
        const calculator& chosen = menu_routines[selection - 1];
        if (selection == ultrasonic_selection)
            ultrasonic_simulation();
        else if (chosen.body)
            run_calculator(chosen);
    }
}

void closing_screen() {
    rt_routine r;
    r.statement(381, [] { rt_cls(0, 0, 0); });
    const std::string stars(80, '*');
    print_line(r, 382, stars);
    for (int row = 2; row <= 20; ++row)
        r.statement(383, [] {
            rt_print_wrap_check(rt_string_from_text("*"));
            rt_print("*", false);
            rt_print(rt_tab(80), false);
            rt_print("*", true);
        });
    print_line(r, 384, stars);
    r.statement(385, [] { rt_locate(5, 10, 0, 0, 0, locate_row_given | locate_column_given); });
    print_line(r, 386,
               " <<<<<<<<<<<<<<<<<< MIRVALENTOPRAXIUS  VER. 1.3 Rev 2020 "
               ">>>>>>>>>>>>>>>>>>>>>");
    // Each line: its text and the blanks that follow it (some lines are blanks only).
    struct credit_line {
        const char* text;
        int trailing_blanks;
    };
    constexpr credit_line credits[] = {
        {"*                       Originally Written 26 AUG. 1993", 0},
        {"", 0},
        {"*                       A welder of the shop floor", 0},
        {"*                       Workshop town", 0},
        {"*                       welder@example.org", 0},
        {"*", 4},
        {"*      THIS PROGRAM WAS WRITTEN BY A WELDER AND NOT A COMPUTER PROGRAMMER.", 0},
        {"*      IF YOU HAVE ANY COMMENTS OR SUGGESTIONS PLEASE SEND THEM TO THE", 0},
        {"*      ABOVE ADDRESS. This program source code is available.", 34},
        {"*", 0},
        {"", 66},
        {"*", 65},
        {"*", 58},
        {"", 0},
    };
    uint32_t line = 387;
    for (const credit_line& credit : credits)
        print_line(r, line++, std::string(credit.text) + std::string(credit.trailing_blanks, ' '));
    r.statement(401, [] { rt_locate(22, 1, 0, 0, 0, locate_row_given | locate_column_given); });
    print_line(r, 402, "PRESS ANY KEY TO CONTINUE");
    wait_for_key(r, 403);
    rt_stop_program();
}

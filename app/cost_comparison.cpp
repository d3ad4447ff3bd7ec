// The cost of one pound of deposited weld metal by two welding procedures, side by side
// on the screen and, on request, on the printer.
#include <string>

#include "app/app_io.h"
#include "app/calculators.h"

namespace {

// Text printing and scrolling stay above the bottom row while the calculator runs.
constexpr int32_t view_top = 1;
constexpr int32_t view_bottom = 24;

// The texts in which the entries of the two procedures differ.
struct entry_texts {
    const char* heading;
    const char* deposition_rate_prompt;
    const char* gmaw_hint;
    const char* gas_flow_prompt;
};

constexpr entry_texts procedure_entries[] = {
    {"          P R O C E S S   N U M B E R  O N E", "DEPOSITION RATE  LBS/HOUR",
     "                  GMAW = .48", "GAS FLOW RATE IN CFH"},
    {"              P R O C E S S   N U M B E R   T W O", "DEPOSITION RATE IN LBS/ PER HOUR",
     "                  GMAW = .50", "GAS FLOW RATE IN CUBIC FEET PER HOUR"},
};

// The operating factor is typed after a prompt of 30 blanks, below the hints. Constant
// text with no destructor: the program thread may still print it while the process exits.
constexpr std::string_view operating_factor_prompt = "                              ";
static_assert(operating_factor_prompt.size() == 30);

// One procedure as the user describes it, and its costs per pound of weld metal.
struct procedure {
    string_variable number;
    string_variable process;
    string_variable classification;
    string_variable size;
    string_variable trade_name;
    string_variable gas;
    float deposition_rate = 0;  // pounds per hour
    float operating_factor = 0; // fraction of the time spent welding
    float electrode_cost = 0;   // dollars per pound of electrode
    float efficiency = 0;       // fraction of the electrode deposited
    float gas_flow = 0;         // cubic feet per hour
    float gas_cost = 0;         // dollars per cubic foot
    float labour = 0;           // the costs per pound of weld metal
    float filler = 0;
    float gas_per_pound = 0;
    float total = 0;
};

// Each step in extended precision, each cost stored as a single.
float quotient(long double dividend, long double divisor) {
    return static_cast<float>(dividend / divisor);
}

void enter_procedure(rt_routine& r, uint32_t line, const entry_texts& texts, float labour_rate,
                     procedure& p) {
    r.statement(line, [] { rt_view_print(view_top, view_bottom, view_print_rows_given); });
    r.statement(line + 1, [] { rt_cls(0, 0, 0); });
    print_line(r, line + 2, texts.heading);
    print_line(r, line + 3);
    ask_string(r, line + 4, "WELDING PROCEDURE NUMBER", p.number.text);
    r.statement(line + 5, [&] {
        if (p.number.text->len == 0) rt_string_assign(p.number.text, rt_string_from_text("NONE"));
    });
    ask_string(r, line + 6, "PROCESS TYPE", p.process.text);
    ask_string(r, line + 7, "ELECTRODE CLASSIFICATION", p.classification.text);
    ask_string(r, line + 8, "SIZE OF THE ELECTRODE", p.size.text);
    ask_string(r, line + 9, "TRADE NAME OF THE ELECTRODE", p.trade_name.text);
    ask_string(r, line + 10, "TYPE OF SHIELDING GAS REQUIRED. (PRESS <ENTER> FOR NO GAS)",
               p.gas.text);
    p.deposition_rate = ask_single(r, line + 11, texts.deposition_rate_prompt);
    print_line(r, line + 12, "OPERATING FACTOR ");
    print_line(r, line + 13, "                  FCAW = .45");
    print_line(r, line + 14, "                  SMAW = .30");
    print_line(r, line + 15, texts.gmaw_hint);
    p.operating_factor = ask_single(r, line + 16, operating_factor_prompt);
    r.statement(line + 17, [&] {
        p.labour =
            quotient(labour_rate, static_cast<long double>(p.deposition_rate) * p.operating_factor);
    });
    p.electrode_cost = ask_single(r, line + 18, "COST PER POUND OF ELECTRODE");
    p.efficiency = ask_single(r, line + 19, "DEPOSITION EFFICIENCY OF THE ELECTRODE");
    r.statement(line + 20, [&] { p.filler = quotient(p.electrode_cost, p.efficiency); });
    if (p.gas.text->len != 0) {
        p.gas_flow = ask_single(r, line + 21, texts.gas_flow_prompt);
        p.gas_cost = ask_single(r, line + 22, "GAS COST PER CUBIC FOOT");
    }
    r.statement(line + 23, [&] {
        p.gas_per_pound =
            quotient(static_cast<long double>(p.gas_cost) * p.gas_flow, p.deposition_rate);
        p.total =
            static_cast<float>(static_cast<long double>(p.gas_per_pound) + p.labour + p.filler);
    });
}

// A row of the comparison table: its picture and the field of each procedure shown in it
// (rows without a field are printed as they stand).
struct table_row {
    const char* picture = "";
    string_variable procedure::*text = nullptr;
    float procedure::*number = nullptr;
    float scale = 1; // fractions are shown as percentages
};

constexpr float percent = 100;

const table_row comparison_table[] = {
    {"                         PROCESS NUMBER 1           PROCESS NUMBER 2"},
    {},
    {"WELDING PROCEDURE NUMBER \\              \\           \\            \\", &procedure::number},
    {"PROCESS                  \\              \\           \\            \\", &procedure::process},
    {"FILLER METAL CLASS       \\              \\           \\            \\",
     &procedure::classification},
    {"FILLER METAL SIZE        \\              \\           \\            \\", &procedure::size},
    {"TRADE NAME               \\              \\           \\            \\",
     &procedure::trade_name},
    {"TYPE OF SHIELDING GAS    \\              \\           \\            \\", &procedure::gas},
    {},
    {"DEPOSITION RATE          ##.##  LBS PER HOUR        ##.##  LBS PER HOUR", nullptr,
     &procedure::deposition_rate},
    {"OPERATING FACTOR        ###%                        ###% ", nullptr,
     &procedure::operating_factor, percent},
    {"ELECTRODE COST         $$##.### PER LB            $$##.### PER LB ", nullptr,
     &procedure::electrode_cost},
    {"DEPOSITION EFFICIENCY   ###%                       ###%  ", nullptr, &procedure::efficiency,
     percent},
    {"GAS FLOW RATE IN CFH    ### CFH                    ### CFH  ", nullptr, &procedure::gas_flow},
    {"GAS COST PER CUBIC FT    $$.##                      $$.##  ", nullptr, &procedure::gas_cost},
    {},
    {"LABOR COSTS           $$###.## PER LB WELD       $$###.## PER LB WELD", nullptr,
     &procedure::labour},
    {"FILLER METAL COST      $$##.### PER LB WELD       $$##.### PER LB WELD", nullptr,
     &procedure::filler},
    {"GAS COST               $$##.## PER LB WELD        $$##.## PER LB WELD", nullptr,
     &procedure::gas_per_pound},
    {},
    {},
    {" TOTAL COST PER LB.  $$###.##                    $$###.##", nullptr, &procedure::total},
};

picture_value shown_value(const table_row& row, const procedure& p) {
    if (row.text) return (p.*row.text).text;
    return static_cast<float>(static_cast<long double>(p.*row.number) * row.scale);
}

// The 22 rows of the table, each a print statement of its own.
void print_table(rt_routine& r, uint32_t line, const procedure& first, const procedure& second,
                 print_device device) {
    for (const table_row& row : comparison_table) {
        if (row.text || row.number)
            print_using_line(r, line++, row.picture,
                             {shown_value(row, first), shown_value(row, second)}, device);
        else
            print_line(r, line++, row.picture, device);
    }
}

void show_table(rt_routine& r, uint32_t line, const procedure& first, const procedure& second) {
    r.statement(line, [] { rt_view_print(view_top, view_bottom, view_print_rows_given); });
    r.statement(line + 1, [] { rt_cls(0, 0, 0); });
    print_table(r, line + 2, first, second, print_device::screen);
}

// The same table on the printer when the user asks for it; the screen is cleared first.
void offer_printed_copy(rt_routine& r, uint32_t line, const procedure& first,
                        const procedure& second) {
    string_variable answer;
    ask_string(r, line, "Would you like a printed copy ", answer.text);
    bool wanted = false;
    r.statement(line + 1, [&] { wanted = answered_yes(answer.text); });
    if (!wanted) return;
    r.statement(line + 2, [] { rt_cls(0, 0, 0); });
    print_table(r, line + 3, first, second, print_device::printer);
}

} // namespace

void cost_comparison(rt_routine& r) {
    print_line(r, 700, "                 WELDING COST COMPARISON PROGRAM");
    print_line(r, 701);
    const float labour_rate = ask_single(r, 702, "ENTER THE LABOR COST PER HOUR");
    procedure first, second;
    enter_procedure(r, 710, procedure_entries[0], labour_rate, first);
    enter_procedure(r, 740, procedure_entries[1], labour_rate, second);
    show_table(r, 770, first, second);
    offer_printed_copy(r, 800, first, second);
}

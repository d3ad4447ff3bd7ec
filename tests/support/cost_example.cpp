#include "tests/support/cost_example.h"

const procedure_answers& flux_cored_answers() {
    static const procedure_answers answers = {"WPS-1",       "FCAW", "E71T-1", "1/16",
                                              "DUAL SHIELD", "CO2",  "10",     ".5",
                                              "2",           ".8",   "40",     ".05"};
    return answers;
}

const procedure_answers& stick_answers() {
    static const procedure_answers answers = {"WPS-2", "SMAW", "E7018", "1/8", "LOW HYDROGEN",
                                              "",      "3",    ".3",    "1.5", ".65"};
    return answers;
}

const std::vector<std::string>& expected_cost_table() {
    static const std::vector<std::string> rows = {
        "                         PROCESS NUMBER 1           PROCESS NUMBER 2",
        "",
        "WELDING PROCEDURE NUMBER WPS-1                      WPS-2",
        "PROCESS                  FCAW                       SMAW",
        "FILLER METAL CLASS       E71T-1                     E7018",
        "FILLER METAL SIZE        1/16                       1/8",
        "TRADE NAME               DUAL SHIELD                LOW HYDROGEN",
        "TYPE OF SHIELDING GAS    CO2",
        "",
        "DEPOSITION RATE          10.00  LBS PER HOUR         3.00  LBS PER HOUR",
        "OPERATING FACTOR         50%                         30%",
        "ELECTRODE COST           $2.000 PER LB              $1.500 PER LB",
        "DEPOSITION EFFICIENCY    80%                        65%",
        "GAS FLOW RATE IN CFH     40 CFH                      0 CFH",
        "GAS COST PER CUBIC FT    $0.05                      $0.00",
        "",
        "LABOR COSTS              $6.00 PER LB WELD         $33.33 PER LB WELD",
        "FILLER METAL COST        $2.500 PER LB WELD         $2.308 PER LB WELD",
        "GAS COST                 $0.20 PER LB WELD          $0.00 PER LB WELD",
        "",
        "",
        " TOTAL COST PER LB.     $8.70                      $35.64",
    };
    return rows;
}

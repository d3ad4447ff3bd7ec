#pragma once
// The worked cost comparison shared by the in-process, end-to-end and printing tests: the
// answers typed for two procedures and the table they give.
#include <string>
#include <vector>

// Answers in the order of a procedure's prompts; a procedure without gas has no gas answers.
using procedure_answers = std::vector<std::string>;

// The labour rate typed first, in dollars per hour.
constexpr const char* example_labour_rate = "30";
// Flux-cored with CO2: 10 lb/h at 50 %, $2 electrode at 80 %, 40 CFH at $0.05.
const procedure_answers& flux_cored_answers();
// Stick without gas: 3 lb/h at 30 %, $1.50 electrode at 65 %.
const procedure_answers& stick_answers();

// The 22 rows of the table for the labour rate, flux-cored first and stick second, trailing
// blanks removed.
const std::vector<std::string>& expected_cost_table();

#pragma once
// The calculators of the main menu. Each body runs one round from its first statement;
// run_calculator asks the continue question after it and restarts it on yes.
#include <cstdint>

#include "runtime/runtime.h"

using calculator_body = void (*)(rt_routine& routine);

void carbon_equivalent(rt_routine& routine);
void carbon_equivalent_a20(rt_routine& routine);
void heat_input(rt_routine& routine);
void cost_comparison(rt_routine& routine);

// How a calculator asks its continue question.
enum class continue_question : uint8_t {
    plain,
    after_empty_line, // an empty line before the question, again before every repetition
};

struct calculator {
    calculator_body body = nullptr;
    continue_question question = continue_question::plain;
};

// Menu entry 12 asks its own "another" question and returns to the menu itself.
void ultrasonic_simulation();

// Runs the calculator until the continue question sends the user back to the menu.
void run_calculator(const calculator& c);

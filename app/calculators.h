#pragma once
// The calculators of the main menu. Each body runs one round from its first statement;
// run_calculator asks the continue question after it and restarts it on yes.
#include "runtime/core/statement.h"

using calculator_body = void (*)(rt_routine& routine);

void carbon_equivalent(rt_routine& routine);
void carbon_equivalent_a20(rt_routine& routine);
void heat_input(rt_routine& routine);

// Menu entry 12 asks its own "another" question and returns to the menu itself.
void ultrasonic_simulation();

// Runs the calculator until the continue question sends the user back to the menu.
void run_calculator(calculator_body body);

#pragma once
// The application's jumps. Only application code throws and catches them; on the way
// the routine frames restore their marks, so going back never nests calls.

// Back to the main menu, from a calculator or from the error trap.
struct go_to_main_menu {};

#include "app/program.h"

#include "runtime/core/errors.h"

// Until the menu lands the program shows nothing and ends at once.
void program_main() { rt_end(); }

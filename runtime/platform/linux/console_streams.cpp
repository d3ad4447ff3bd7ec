#include "runtime/platform/console_streams.h"

void platform_connect_console_streams() {
    // A program started from a terminal has its streams already; one started from the
    // desktop writes to the session's log, as every desktop program does.
}

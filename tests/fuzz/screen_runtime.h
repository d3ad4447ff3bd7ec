#pragma once
// The runtime a screen fuzz target draws on: low memory, strings, fonts and screen mode 0,
// with no window and no threads.
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

inline void start_screen_runtime() {
    rt_low_memory_reset();
    rt_strings_init();
    rt_fonts_init();
    rt_screen_init();
    rt_screen(0, 0, 0, 0, 0, 1);
}

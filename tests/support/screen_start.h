#pragma once
// The screen part of start-up, as the runtime's start-up does it, without threads.
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

inline void start_screen() {
    rt_low_memory_reset();
    rt_strings_init();
    rt_fonts_init();
    rt_screen_init();
    rt_screen(0, 0, 0, 0, 0, 1);
}

// The pending error number, cleared so that the next operation runs.
inline uint32_t take_error() {
    const uint32_t n = error_state.error_pending;
    error_state.error_pending = 0;
    return n;
}

// Characters per second of rt_print on the 80 x 25 text screen and on a 640 x 480 pixel
// screen, with the scrolling that a long print run causes.
#include <cstdio>
#include <string>

#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"

namespace {

// Prints lines of 70 characters for at least a second; returns characters per second.
double characters_per_second() {
    const std::string line(70, 'x');
    int64_t characters = 0;
    const int64_t start = rt_clock_ms();
    int64_t elapsed = 0;
    while (elapsed < 1000) {
        for (int i = 0; i < 100; ++i) rt_print(line, true);
        characters += 100 * static_cast<int64_t>(line.size());
        elapsed = rt_clock_ms() - start;
    }
    return static_cast<double>(characters) * 1000.0 / static_cast<double>(elapsed);
}

} // namespace

int main() {
    rt_low_memory_reset();
    rt_strings_init();
    rt_fonts_init();
    rt_screen_init();
    rt_screen(0, 0, 0, 0, 0, 1);
    std::printf("text page 80x25:   %12.0f characters/s\n", characters_per_second());
    rt_screen(12, 0, 0, 0, 0, 1);
    std::printf("mode 12 640x480:   %12.0f characters/s\n", characters_per_second());
    return 0;
}

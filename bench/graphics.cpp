// Flood fill of a whole 640x480 16-colour page, against a memset of the same page in the
// same run, and random lines clipped to that page.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/graphics.h"
#include "runtime/screen/image.h"

namespace {

constexpr int fill_rounds = 50;
constexpr int line_rounds = 20;
constexpr int lines_per_round = 10000;
constexpr int page_mode = 12;
constexpr int palette_colours = 16;

using bench_clock = std::chrono::steady_clock;

double elapsed_s(bench_clock::time_point since) {
    return std::chrono::duration<double>(bench_clock::now() - since).count();
}

// Median and fastest: the machine may be shared, and the fastest run shows the cost without
// interference.
struct timing {
    double median_s, fastest_s;
};

timing summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front()};
}

rt_image& page() {
    return image_state.table[image_state.page_list[0]];
}

size_t page_pixels() {
    return size_t(page().width) * page().height;
}

// Each round fills the whole page with the next colour: the border is the fill colour, which
// the page does not hold yet.
timing time_fills() {
    std::vector<double> times;
    for (int round = 0; round < fill_rounds; ++round) {
        const uint32_t colour = 1 + round % (palette_colours - 1);
        const bench_clock::time_point start = bench_clock::now();
        rt_paint(320, 240, colour, 0, paint_fill);
        times.push_back(elapsed_s(start));
        if (page().pixels[0] != colour || page().pixels[page_pixels() - 1] != colour) {
            std::printf("a fill did not cover the page\n");
            std::exit(1);
        }
    }
    return summary(times);
}

timing time_memsets() {
    std::vector<double> times;
    for (int round = 0; round < fill_rounds; ++round) {
        const bench_clock::time_point start = bench_clock::now();
        std::memset(page().pixels, round % palette_colours, page_pixels());
        times.push_back(elapsed_s(start));
    }
    return summary(times);
}

// Ends spread over twice the page in each direction, so that most lines are clipped.
timing time_lines() {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> x(-320, 960), y(-240, 720);
    std::vector<float> ends(size_t(lines_per_round) * 4);
    std::vector<double> times;
    for (int round = 0; round < line_rounds; ++round) {
        for (size_t i = 0; i < ends.size(); i += 2) {
            ends[i] = x(random);
            ends[i + 1] = y(random);
        }
        const bench_clock::time_point start = bench_clock::now();
        for (size_t i = 0; i < ends.size(); i += 4)
            rt_line(ends[i], ends[i + 1], ends[i + 2], ends[i + 3], uint32_t(i % palette_colours),
                    line_plain, 0, line_first_point | line_colour);
        times.push_back(elapsed_s(start));
    }
    return summary(times);
}

} // namespace

int main() {
    rt_low_memory_reset();
    rt_strings_init();
    rt_fonts_init();
    rt_screen_init();
    rt_screen(page_mode, 0, 0, 0, 0, 1);
    const double pixels = double(page_pixels());

    const timing fill = time_fills();
    const timing set = time_memsets();
    std::printf("flood fill of a 640x480 16-colour page, %d rounds\n", fill_rounds);
    std::printf("  median:  fill %8.1f Mpixels/s   memset %8.1f Mpixels/s   ratio %6.1f\n",
                pixels / fill.median_s / 1e6, pixels / set.median_s / 1e6,
                fill.median_s / set.median_s);
    std::printf("  fastest: fill %8.1f Mpixels/s   memset %8.1f Mpixels/s   ratio %6.1f\n",
                pixels / fill.fastest_s / 1e6, pixels / set.fastest_s / 1e6,
                fill.fastest_s / set.fastest_s);

    const timing lines = time_lines();
    std::printf("%d random lines clipped to the page, %d rounds\n", lines_per_round, line_rounds);
    std::printf("  median:  %10.0f lines/s\n", lines_per_round / lines.median_s);
    std::printf("  fastest: %10.0f lines/s\n", lines_per_round / lines.fastest_s);
    return error_state.error_pending ? 1 : 0;
}

// Time of one full frame build (every cell or pixel changed since the last build) for the
// 80x25 text screen and the 640x480 16-colour screen, beside a memcpy of the same number of
// output bytes measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/console/startup.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/image.h"
#include "runtime/window/frame_ring.h"

namespace {

constexpr int rounds = 200;

using bench_clock = std::chrono::steady_clock;

double elapsed_us(bench_clock::time_point since) {
    return std::chrono::duration<double, std::micro>(bench_clock::now() - since).count();
}

// Median and fastest of the timings: the machine may be shared, and the fastest run shows
// the cost without interference.
struct timing {
    double median_us, fastest_us;
};

timing summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front()};
}

// What the display callback does with a frame it has drawn: earlier slots are let go.
void let_go_of_older_frames() {
    const int32_t newest = frame_newest.load();
    for (int32_t slot = frame_oldest.load(); slot != 0 && slot != newest;
         slot = frame_ring_next(slot))
        frame_ring[slot].done.store(1);
}

const rt_image& shown_page() {
    return image_state.table[image_state.visible_page.load()];
}

// Every text cell gets another character and attribute each round.
void change_every_cell(int round) {
    const rt_image& page = shown_page();
    const size_t cells = static_cast<size_t>(page.width) * page.height;
    for (size_t i = 0; i < cells; ++i) {
        page.pixels[i * 2] = static_cast<uint8_t>(33 + (i + round) % 90);
        page.pixels[i * 2 + 1] = static_cast<uint8_t>(0x10 + (i + round) % 7 * 0x11 + 1);
    }
}

// Every pixel gets another of the 16 colours each round.
void change_every_pixel(int round) {
    const rt_image& page = shown_page();
    const size_t pixels = static_cast<size_t>(page.width) * page.height;
    for (size_t i = 0; i < pixels; ++i) page.pixels[i] = static_cast<uint8_t>((i + round) & 15);
}

struct build_figures {
    timing build;
    size_t output_bytes;
};

build_figures time_full_builds(void (*change_everything)(int)) {
    std::vector<double> times;
    size_t output_bytes = 0;
    for (int round = 0; round < rounds; ++round) {
        change_everything(round);
        const int32_t before = frame_newest.load();
        const bench_clock::time_point start = bench_clock::now();
        frame_builder();
        times.push_back(elapsed_us(start));
        if (frame_newest.load() == before) {
            std::printf("a build was skipped: the figures are not of full builds\n");
            std::exit(1);
        }
        output_bytes = static_cast<size_t>(frame_ring[frame_newest.load()].length);
        let_go_of_older_frames();
    }
    return {summary(times), output_bytes};
}

timing time_memcpy(size_t bytes) {
    std::vector<uint8_t> from(bytes), to(bytes);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        std::memset(from.data(), round, bytes); // the source is fresh in the cache as for a build
        const bench_clock::time_point start = bench_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        times.push_back(elapsed_us(start));
    }
    if (to[bytes / 2] != static_cast<uint8_t>(rounds - 1)) std::printf("memcpy went wrong\n");
    return summary(times);
}

void report(const char* name, const build_figures& figures) {
    const timing copy = time_memcpy(figures.output_bytes);
    std::printf("%s (%zu output bytes)\n", name, figures.output_bytes);
    std::printf("  median: build %8.1f us   memcpy %6.1f us   ratio %6.1f\n",
                figures.build.median_us, copy.median_us, figures.build.median_us / copy.median_us);
    std::printf("  fastest: build %7.1f us   memcpy %6.1f us   ratio %6.1f\n",
                figures.build.fastest_us, copy.fastest_us,
                figures.build.fastest_us / copy.fastest_us);
}

// Runs as the program thread: the service thread keeps its handshakes but builds nothing
// once automatic refresh is off, so every build below is the benchmark's own.
void benchmark_routine() {
    std::printf("%d full builds each, every cell or pixel changed before each build\n", rounds);
    run_control.auto_display.store(0);
    rt_sleep_ms(100); // a build the service thread had begun is over

    const build_figures text = time_full_builds(change_every_cell);
    if (frame_cells_drawn() != 80 * 25) std::printf("not every cell was drawn\n");
    report("80x25 text", text);

    run_control.auto_display.store(1); // the mode change waits for the service thread's handshake
    rt_screen(12, 0, 0, 0, 0, 1);
    run_control.auto_display.store(0);
    rt_sleep_ms(100);
    report("640x480 16 colours", time_full_builds(change_every_pixel));

    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0); // an audio output for start-up, unless one is chosen
    rt_start_headless(benchmark_routine);
    for (;;) rt_sleep_ms(1000);
}

// Tone synthesis speed in samples per second beside a memset of the same bytes, and the
// cost of one service-thread pump pass over an idle tone stream on OpenAL Soft.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/platform/audio_output.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"
#include "runtime/sound/tone_synthesis.h"

namespace {

constexpr int rounds = 50;
constexpr int32_t tone_frames = 10 * sample_rate; // ten seconds
constexpr int pump_passes = 100000;
constexpr double pass_period_ns = 16e6;

using bench_clock = std::chrono::steady_clock;

double seconds_since(bench_clock::time_point start) {
    return std::chrono::duration<double>(bench_clock::now() - start).count();
}

template <class Work> double fastest_of_rounds(Work&& work) {
    double fastest = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = bench_clock::now();
        work();
        fastest = std::min(fastest, seconds_since(start));
    }
    return fastest;
}

void synthesis_speed() {
    std::vector<stereo_frame> frames(tone_frames);
    volatile int32_t sink = 0;
    const double synthesis =
        fastest_of_rounds([&] { sink = synthesise_tone(frames.data(), tone_frames, 783.99, 1.0); });
    const double fill = fastest_of_rounds([&] {
        std::memset(frames.data(), sink & 1, frames.size() * sizeof(stereo_frame));
        sink = frames[tone_frames / 2].left;
    });
    const double samples = 2.0 * tone_frames; // both channels
    std::printf("tone synthesis: %.0f M samples/s; memset of the same bytes: %.0f M samples/s "
                "(synthesis takes %.1f x the memset)\n",
                samples / synthesis / 1e6, samples / fill / 1e6, synthesis / fill);
}

void idle_pump_cost() {
    if (platform_audio().open() != audio_open_result::opened) {
        std::printf("pump pass: no audio device (set ALSOFT_DRIVERS)\n");
        return;
    }
    rt_tone(783.99, 0.2, false); // the tone stream exists and has played
    const int64_t give_up = rt_clock_ms() + 5000;
    while (rt_sound_queued(tone_stream.load()) > 0 && rt_clock_ms() < give_up) {
        rt_sound_pump();
        rt_sleep_ms(16);
    }
    const auto start = bench_clock::now();
    for (int i = 0; i < pump_passes; ++i) rt_sound_pump();
    const double pass_ns = seconds_since(start) * 1e9 / pump_passes;
    std::printf("pump pass over an idle tone stream: %.1f ns (%.5f %% of a 16 ms pass)\n", pass_ns,
                100.0 * pass_ns / pass_period_ns);
    platform_audio().close();
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0); // an audio output, unless one is chosen
    synthesis_speed();
    idle_pump_cost();
    return 0;
}

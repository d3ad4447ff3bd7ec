// The beep, the tone and the timed tone.
#include <cmath>
#include <memory>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/tone_queue.h"
#include "runtime/sound/tone_synthesis.h"

namespace {

constexpr double beep_frequency = 783.99;
constexpr double beep_seconds = 0.2;
constexpr double beep_wait_seconds = 0.25;
constexpr double ticks_per_second = 18.2;
constexpr double lowest_timed_frequency = 37;
constexpr double highest_timed_frequency = 32767;
constexpr double longest_timed_ticks = 65535;

// A tone keeps to the timed tone's ranges: higher frequencies only alias (and cost a
// turn of the wave per 22,050 Hz in every frame), longer tones are over an hour of sound.
constexpr double longest_tone_seconds = longest_timed_ticks / ticks_per_second;

bool playable(double frequency, double seconds) {
    return frequency >= 0 && frequency <= highest_timed_frequency && std::isfinite(seconds) &&
           seconds <= longest_tone_seconds;
}

} // namespace

void rt_tone(double frequency, double seconds, bool wait) {
    if (error_state.error_pending) return;
    if (!playable(frequency, seconds)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const auto count = static_cast<int32_t>(tone_frame_count(seconds));
    const std::unique_ptr<stereo_frame[]> frames(new stereo_frame[count]);
    const int32_t used = synthesise_tone(frames.get(), count, frequency, 1.0);
    queue_tone(frames.get(), used, wait);
}

void rt_beep() {
    if (error_state.error_pending) return;
    sound_release_closed();
    rt_tone(beep_frequency, beep_seconds, false);
    rt_delay(beep_wait_seconds);
}

void rt_sound(double frequency, double ticks) {
    if (error_state.error_pending) return;
    const bool audible_range =
        frequency >= lowest_timed_frequency && frequency <= highest_timed_frequency;
    if (!(frequency == 0 || audible_range) || !(ticks >= 0 && ticks <= longest_timed_ticks)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (ticks == 0) return;
    rt_tone(frequency, ticks / ticks_per_second, true);
}

#include "runtime/sound/tone_synthesis.h"

#include <cmath>
#include <limits>

namespace {

constexpr double full_scale = 32767.0;
constexpr int64_t most_frames = std::numeric_limits<int32_t>::max();

} // namespace

int64_t tone_frame_count(double seconds) {
    // Compared before the conversion, which is undefined for values beyond 64 bits.
    const double frames = sample_rate * seconds;
    if (!(frames >= 1)) return 1;
    return frames < double(most_frames) ? static_cast<int64_t>(frames) : most_frames;
}

int32_t synthesise_tone(stereo_frame* frames, int32_t count, double frequency, double volume) {
    const double amplitude = volume * full_scale;
    const double step = 4.0 * frequency / sample_rate;
    double x = 0;
    bool rising = true;
    bool previous_positive = true; // so that frame 0 never counts as a crossing
    int32_t cut = count;
    for (int32_t i = 0; i < count; ++i) {
        const auto sample = static_cast<int16_t>(x * amplitude);
        frames[i] = {sample, sample};
        if (sample > 0 && !previous_positive) cut = i;
        previous_positive = sample > 0;
        // Steps above a quarter period (tones above 11,025 Hz) may turn more than once.
        x += rising ? step : -step;
        for (;;) {
            if (rising && x >= 1) {
                rising = false;
                x = 2 - x;
            } else if (!rising && x <= -1) {
                rising = true;
                x = -2 - x;
            } else {
                break;
            }
        }
    }
    return cut;
}

// The program's operations on stream handles.
#include <algorithm>
#include <cmath>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"

namespace {

constexpr double full_scale = 32767.0;

int32_t default_stream = 0;

// Fractions beyond full scale are held at full scale rather than wrapped round.
int16_t sample_of(double fraction) {
    if (std::isnan(fraction)) return 0;
    return static_cast<int16_t>(std::clamp(fraction, -1.0, 1.0) * full_scale);
}

sound_stream* stream_for_append(int32_t handle, int32_t flags) {
    if (flags & sound_handle_given) return sound_stream_of(handle);
    if (!sound_stream_of(default_stream)) default_stream = sound_open_stream(pending_ring_capacity);
    return sound_stream_of(default_stream);
}

} // namespace

void rt_sound_append(double left, double right, int32_t handle, int32_t flags) {
    if (error_state.error_pending) return;
    sound_stream* stream = stream_for_append(handle, flags);
    if (!stream) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const int16_t l = sample_of(left);
    sound_append_frame(*stream, l, (flags & sound_right_given) ? sample_of(right) : l);
}

double rt_sound_queued(int32_t handle) {
    if (error_state.error_pending) return 0;
    const sound_stream* stream = sound_stream_of(handle);
    if (!stream) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    return sound_queued_seconds(*stream);
}

int32_t rt_sound_rate() {
    return sample_rate;
}

int32_t rt_sound_open() {
    if (error_state.error_pending) return 0;
    sound_release_closed();
    return sound_open_stream(pending_ring_capacity);
}

void rt_sound_close(int32_t handle) {
    if (error_state.error_pending) return;
    sound_stream* stream = sound_stream_of(handle);
    if (!stream) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    stream->close_time_ms.store(rt_clock_ms());
    stream->state.store(stream_state::closing, std::memory_order_release);
}

#include "runtime/sound/tone_queue.h"

#include <algorithm>
#include <array>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"

namespace {

constexpr double sound_ahead_share = 0.95;
constexpr double sound_ahead_ms = 250;

// Null when every sound handle is taken.
sound_stream* tone_stream_ready() {
    if (!sound_stream_of(tone_stream.load())) {
        tone_stream.store(sound_open_stream(pending_ring_capacity));
        tone_lead_in.store(1);
    }
    return sound_stream_of(tone_stream.load());
}

// Samples go out as fractions of full scale and come back through the append step.
int16_t through_append(int16_t sample) {
    return static_cast<int16_t>(sample / 32768.0 * 32767.0);
}

// After a pause the first buffer is always a full one: a short tone waits behind silence.
void append_lead_in(sound_stream& stream, int32_t count) {
    tone_flush_request.store(0);
    static const std::array<stereo_frame, stream_buffer_frames> silence{};
    if (count < stream_buffer_frames)
        sound_append_frames(stream, silence.data(), stream_buffer_frames - count);
}

// Converted and appended a stream buffer at a time.
void append_tone(sound_stream& stream, const stereo_frame* frames, int32_t count) {
    std::array<stereo_frame, stream_buffer_frames> chunk;
    for (int32_t done = 0; done < count;) {
        const int32_t taken = std::min(count - done, stream_buffer_frames);
        for (int32_t i = 0; i < taken; ++i)
            chunk[static_cast<size_t>(i)] = {through_append(frames[done + i].left),
                                             through_append(frames[done + i].right)};
        sound_append_frames(stream, chunk.data(), taken);
        done += taken;
    }
}

} // namespace

void queue_tone(const stereo_frame* frames, int32_t count, bool wait) {
    sound_release_closed();
    sound_stream* tone = tone_stream_ready();
    if (!tone) {
        rt_raise_error(err_out_of_memory);
        return;
    }
    sound_stream& stream = *tone;
    double ahead_ms = 0;
    if (wait)
        ahead_ms =
            std::max(0.0, sound_queued_seconds(stream) * 1000 * sound_ahead_share - sound_ahead_ms);
    if (tone_lead_in.exchange(0)) append_lead_in(stream, count);
    append_tone(stream, frames, count);
    tone_flush_request.store(1);
    if (!wait) return;
    const double tone_ms =
        static_cast<double>(count) * 1000 / sample_rate * sound_ahead_share - sound_ahead_ms;
    if (tone_ms > 0) rt_delay((tone_ms + ahead_ms) / 1000);
}

// The service thread's side of the streams: short tones are flushed, played buffers are
// reclaimed, waiting buffers are queued on the source, and closed streams are released.
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"

namespace {

constexpr int64_t flush_quiet_ms = 20;
// Short gaps between tones keep the device running; a longer silence lets it rest.
constexpr int64_t rest_after_quiet_ms = 1000;

int64_t last_sound_ms = -1; // service thread only; -1 before the first pass

bool ring_empty(const sound_stream& stream) {
    return stream.read.load() == stream.write.load(std::memory_order_acquire);
}

// A tone shorter than a buffer would wait in the fill buffer for ever: once the program
// has stopped appending, it is padded with silence and sent.
void flush_short_tone(sound_stream& stream) {
    if (stream.handle != tone_stream.load() || !ring_empty(stream)) return;
    if (rt_clock_ms() - tone_last_append_ms.load() <= flush_quiet_ms) return;
    if (!tone_flush_request.load() || !sound_try_append_lock()) return;
    if (stream.fill_frames > 0) {
        tone_flush_request.store(0);
        for (int32_t i = stream.fill_frames; i < stream_buffer_frames; ++i) stream.fill[i] = {};
        sound_move_fill_to_ring(stream, new stereo_frame[stream_buffer_frames]());
        tone_lead_in.store(1);
    }
    sound_release_append_lock();
}

void reclaim_played(sound_stream& stream) {
    uint32_t played[audio_buffers_per_stream];
    const int count = platform_audio().reclaim(stream.names.source, played);
    for (int i = 0; i < count; ++i)
        for (int b = 0; b < audio_buffers_per_stream; ++b)
            if (stream.names.buffers[b] == played[i]) stream.buffers[b].store(buffer_state::played);
}

bool any_queued(const sound_stream& stream) {
    for (const auto& state : stream.buffers)
        if (state.load() == buffer_state::queued) return true;
    return false;
}

// The first never-used buffer, else the first played one; -1 while all four are queued.
int free_buffer(const sound_stream& stream) {
    for (const buffer_state wanted : {buffer_state::unused, buffer_state::played})
        for (int b = 0; b < audio_buffers_per_stream; ++b)
            if (stream.buffers[b].load() == wanted) return b;
    return -1;
}

// The output copies the data, so the ring slot is freed at once and the writer may
// reuse it whenever it comes round.
void queue_waiting(sound_stream& stream) {
    while (!ring_empty(stream)) {
        const int b = free_buffer(stream);
        if (b < 0) return;
        const int32_t read = stream.read.load();
        stereo_frame* data = stream.ring[read].exchange(nullptr, std::memory_order_acquire);
        platform_audio().queue(stream.names.source, stream.names.buffers[b], data,
                               stream_buffer_bytes, sample_rate);
        delete[] data;
        stream.buffers[b].store(buffer_state::queued);
        stream.read.store(read == stream.ring_capacity ? 1 : read + 1);
    }
}

bool sounding(const sound_stream& stream) {
    return !ring_empty(stream) || any_queued(stream);
}

void rest_when_quiet(bool any_sounding) {
    const int64_t now = rt_clock_ms();
    if (any_sounding || last_sound_ms < 0) last_sound_ms = now;
    if (now - last_sound_ms >= rest_after_quiet_ms) platform_audio().rest();
}

void pump_stream(sound_stream& stream) {
    if (stream.read.load() == 0) return;
    flush_short_tone(stream);
    // Played buffers are taken back even when nothing waits, so the queued time falls
    // to zero once the sound has ended.
    if (ring_empty(stream) && !any_queued(stream)) return;
    reclaim_played(stream);
    queue_waiting(stream);
}

void free_stream_memory(sound_stream& stream) {
    for (int32_t i = 1; i <= stream.ring_capacity; ++i) delete[] stream.ring[i].load();
    delete[] stream.ring;
    delete[] stream.fill;
    stream.ring = nullptr;
    stream.fill = nullptr;
}

void release_if_done(sound_stream& stream) {
    if (rt_clock_ms() - stream.close_time_ms.load() < close_grace_ms) return;
    if (platform_audio().playing(stream.names.source)) return;
    platform_audio().delete_stream(stream.names);
    free_stream_memory(stream);
    stream.state.store(stream_state::closed, std::memory_order_release);
}

} // namespace

void rt_sound_pump() {
    const int32_t count = sound_handle_count();
    bool any_sounding = false;
    for (int32_t index = 0; index < count; ++index) {
        sound_stream& stream = sound_slot(index);
        const stream_state state = stream.state.load(std::memory_order_acquire);
        if (state != stream_state::open && state != stream_state::closing) continue;
        pump_stream(stream);
        any_sounding = any_sounding || (stream.read.load() != 0 && sounding(stream));
        if (state == stream_state::closing) release_if_done(stream);
    }
    rest_when_quiet(any_sounding);
}

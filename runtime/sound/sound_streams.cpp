#include "runtime/sound/sound_streams.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "runtime/platform/clock.h"

std::atomic<int32_t> tone_stream{0};
std::atomic<uint8_t> tone_lead_in{0};
std::atomic<uint8_t> tone_flush_request{0};
std::atomic<int64_t> tone_last_append_ms{0};

namespace {

// The handle list grows by blocks that never move, so the service thread can walk it
// while the program thread adds to it.
constexpr int32_t block_size = 64;
constexpr int32_t block_count = 64;
using stream_block = std::array<sound_stream, block_size>;
std::array<std::atomic<stream_block*>, block_count> blocks{};
std::atomic<int32_t> handle_count{0};
std::atomic<int32_t> append_lock{0};

sound_stream& slot(int32_t index) {
    return (*blocks[index / block_size].load(std::memory_order_acquire))[index % block_size];
}

// A free slot, or a new one at the end of the list; null when the list is full.
sound_stream* free_slot(int32_t& index) {
    const int32_t count = handle_count.load();
    for (index = 0; index < count; ++index)
        if (slot(index).state.load() == stream_state::free) return &slot(index);
    if (count == block_size * block_count) return nullptr;
    if (count % block_size == 0) blocks[count / block_size].store(new stream_block);
    index = count;
    return &slot(index);
}

int32_t next_ring_index(int32_t index, int32_t capacity) {
    return index == capacity ? 1 : index + 1;
}

int32_t pending_buffers(const sound_stream& stream) {
    const int32_t read = stream.read.load();
    if (read == 0) return 0;
    const int32_t waiting = stream.write.load() - read;
    return waiting < 0 ? waiting + stream.ring_capacity : waiting;
}

} // namespace

int32_t sound_handle_count() {
    return handle_count.load();
}

sound_stream& sound_slot(int32_t index) {
    return slot(index);
}

void sound_take_append_lock() {
    int32_t free_word = 0;
    while (!append_lock.compare_exchange_weak(free_word, 1, std::memory_order_acquire)) {
        free_word = 0;
        rt_sleep_ms(0);
    }
}

bool sound_try_append_lock() {
    int32_t free_word = 0;
    return append_lock.compare_exchange_strong(free_word, 1, std::memory_order_acquire);
}

void sound_release_append_lock() {
    append_lock.store(0, std::memory_order_release);
}

int32_t sound_open_stream(int32_t ring_capacity) {
    int32_t index = 0;
    sound_stream* stream = free_slot(index);
    if (!stream) return 0;
    stream->fill = new stereo_frame[stream_buffer_frames];
    stream->fill_frames = 0;
    stream->ring_capacity = ring_capacity;
    stream->ring = new std::atomic<stereo_frame*>[ring_capacity + 1]();
    stream->read.store(0);
    stream->write.store(1);
    stream->names = platform_audio().new_stream();
    for (auto& state : stream->buffers) state.store(buffer_state::unused);
    stream->close_time_ms.store(0);
    stream->handle = index + 1;
    stream->state.store(stream_state::open, std::memory_order_release);
    if (index == handle_count.load()) handle_count.store(index + 1);
    return index + 1;
}

sound_stream* sound_stream_of(int32_t handle) {
    if (handle < 1 || handle > handle_count.load()) return nullptr;
    sound_stream& stream = slot(handle - 1);
    return stream.state.load() == stream_state::open ? &stream : nullptr;
}

void sound_release_closed() {
    const int32_t count = handle_count.load();
    for (int32_t index = 0; index < count; ++index) {
        stream_state closed = stream_state::closed;
        slot(index).state.compare_exchange_strong(closed, stream_state::free);
    }
}

// Moves the full fill buffer into the ring and starts a new one (taken under the lock).
void sound_move_fill_to_ring(sound_stream& stream, stereo_frame* next_fill) {
    stereo_frame* full = stream.fill;
    stream.fill = next_fill;
    stream.fill_frames = 0;
    const int32_t write = stream.write.load(std::memory_order_relaxed);
    const int32_t next = next_ring_index(write, stream.ring_capacity);
    if (next == stream.read.load()) { // full: about 100 minutes are waiting already
        delete[] full;
        return;
    }
    stream.ring[write].store(full, std::memory_order_relaxed);
    stream.write.store(next, std::memory_order_release);
    int32_t never_read = 0;
    stream.read.compare_exchange_strong(never_read, 1);
}

void sound_append_frame(sound_stream& stream, int16_t left, int16_t right) {
    const stereo_frame frame{left, right};
    sound_append_frames(stream, &frame, 1);
}

// One lock and one clock reading for each stream buffer the frames reach, not per frame.
void sound_append_frames(sound_stream& stream, const stereo_frame* frames, int32_t count) {
    while (count > 0) {
        sound_take_append_lock();
        if (tone_stream.load(std::memory_order_relaxed) == stream.handle)
            tone_last_append_ms.store(rt_clock_ms(), std::memory_order_relaxed);
        const int32_t taken = std::min(count, stream_buffer_frames - stream.fill_frames);
        std::copy_n(frames, taken, stream.fill + stream.fill_frames);
        stream.fill_frames += taken;
        if (stream.fill_frames == stream_buffer_frames)
            sound_move_fill_to_ring(stream, new stereo_frame[stream_buffer_frames]);
        sound_release_append_lock();
        frames += taken;
        count -= taken;
    }
}

double sound_queued_seconds(const sound_stream& stream) {
    if (stream.read.load() == 0) return 0;
    int32_t buffers = pending_buffers(stream);
    for (const auto& state : stream.buffers)
        if (state.load() == buffer_state::queued) ++buffers;
    return static_cast<double>(buffers) * stream_buffer_frames / sample_rate;
}

#pragma once
// Streaming sound handles: frames are appended into a fill buffer on the program thread,
// full buffers wait in a pending ring, and the service thread's pump hands them to the
// audio output four at a time.
#include <atomic>
#include <cstdint>

#include "runtime/platform/audio_output.h"

constexpr int32_t sample_rate = 44100;
constexpr int32_t stream_buffer_bytes = 16384;
constexpr int32_t stream_buffer_frames = stream_buffer_bytes / 4; // 16-bit stereo
constexpr int32_t pending_ring_capacity = 65536;
constexpr int64_t close_grace_ms = 3000;

struct stereo_frame {
    int16_t left;
    int16_t right;
};

// free: the slot may be reused; closing: close requested, released by the pump once the
// source is quiet and the grace time has passed; closed: waits to become free.
enum class stream_state : uint8_t { free, open, closing, closed };

// Played-buffer states: never used, queued on the source, played and free again.
enum class buffer_state : uint8_t { unused, queued, played };

struct sound_stream {
    std::atomic<stream_state> state{stream_state::free};
    int32_t handle = 0;
    // Written under the append lock.
    stereo_frame* fill = nullptr;
    int32_t fill_frames = 0;
    // Slots 1 to capacity; read 0 means nothing was ever queued. The program thread
    // writes slots and the write index, the service thread reads them.
    std::atomic<stereo_frame*>* ring = nullptr;
    int32_t ring_capacity = 0;
    std::atomic<int32_t> read{0};
    std::atomic<int32_t> write{1};
    // The service thread's side.
    audio_stream_names names;
    std::atomic<buffer_state> buffers[audio_buffers_per_stream];
    std::atomic<int64_t> close_time_ms{0};
};

// Opens a stream and returns its handle (numbered from 1), reusing a released slot.
// The ring capacity is pending_ring_capacity for every stream the program opens.
int32_t sound_open_stream(int32_t ring_capacity);
// The stream of an open handle, or null.
sound_stream* sound_stream_of(int32_t handle);
// Returns the slots of closed handles to the list for reuse.
void sound_release_closed();
// Appends one frame of samples under the append lock; a full ring drops the buffer.
void sound_append_frame(sound_stream& stream, int16_t left, int16_t right);
// The same for count frames in order.
void sound_append_frames(sound_stream& stream, const stereo_frame* frames, int32_t count);
// (Queued buffers + buffers waiting in the ring) x 4,096 / 44,100; 0 if nothing was ever
// queued.
double sound_queued_seconds(const sound_stream& stream);

// The handle list as the pump walks it: slots 0 to count - 1 hold handles 1 to count.
int32_t sound_handle_count();
sound_stream& sound_slot(int32_t index);

// The append lock guards every fill buffer and the ring's write side. The service thread
// only tries it, and comes back on its next pass when the program thread holds it.
void sound_take_append_lock();
bool sound_try_append_lock();
void sound_release_append_lock();
// Under the lock: the fill buffer goes into the ring (or is dropped when the ring is
// full) and next_fill takes its place.
void sound_move_fill_to_ring(sound_stream& stream, stereo_frame* next_fill);

// The tone stream's own words: created by the first tone; the lead-in and flush-request
// flags and the time of its last append.
extern std::atomic<int32_t> tone_stream;
extern std::atomic<uint8_t> tone_lead_in;
extern std::atomic<uint8_t> tone_flush_request;
extern std::atomic<int64_t> tone_last_append_ms;

#include "tests/support/recording_audio.h"

#include <algorithm>
#include <mutex>

#include "runtime/platform/clock.h"

namespace {

struct recording {
    audio_open_result open_result = audio_open_result::opened;
    bool hold = false;
    bool closed = false;
    uint32_t next_name = 1;
    std::vector<recorded_buffer> buffers;
    std::vector<deleted_stream> deletions;
    int streams = 0;
    // Buffers queued on each source and not yet taken back: (source, buffer).
    std::vector<std::pair<uint32_t, uint32_t>> on_source;
    bool resting = false;
    int rests = 0;          // times the output was let rest
    int woken_by_queue = 0; // buffers that arrived while it rested
};

std::mutex guard;

// Reached from other files' static initialisers, so made on first use; never destroyed,
// because the service thread may still look at it while the test process exits.
recording& record() {
    static recording* instance = new recording;
    return *instance;
}

audio_open_result stand_in_open() {
    std::lock_guard lock(guard);
    return record().open_result;
}

void stand_in_close() {
    std::lock_guard lock(guard);
    record().closed = true;
}

audio_stream_names stand_in_new_stream() {
    std::lock_guard lock(guard);
    audio_stream_names names;
    names.source = record().next_name++;
    for (uint32_t& buffer : names.buffers) buffer = record().next_name++;
    ++record().streams;
    return names;
}

void stand_in_delete_stream(const audio_stream_names& names) {
    std::lock_guard lock(guard);
    record().deletions.push_back({names.source, rt_clock_ms()});
}

int stand_in_reclaim(uint32_t source, uint32_t played[audio_buffers_per_stream]) {
    std::lock_guard lock(guard);
    if (record().hold) return 0;
    int count = 0;
    auto& queued = record().on_source;
    for (auto it = queued.begin(); it != queued.end();) {
        if (it->first == source && count < audio_buffers_per_stream) {
            played[count++] = it->second;
            it = queued.erase(it);
        } else {
            ++it;
        }
    }
    return count;
}

void stand_in_queue(uint32_t source, uint32_t buffer, const void* data, int32_t bytes,
                    int32_t /*rate*/) {
    std::lock_guard lock(guard);
    const auto* frames = static_cast<const stereo_frame*>(data);
    record().buffers.push_back(
        {source, std::vector<stereo_frame>(frames, frames + bytes / sizeof(stereo_frame))});
    record().on_source.emplace_back(source, buffer);
    if (record().resting) ++record().woken_by_queue;
    record().resting = false;
}

bool stand_in_playing(uint32_t source) {
    std::lock_guard lock(guard);
    return std::any_of(record().on_source.begin(), record().on_source.end(),
                       [&](const auto& entry) { return entry.first == source; });
}

void stand_in_rest() {
    std::lock_guard lock(guard);
    if (!record().resting) ++record().rests;
    record().resting = true;
}

constexpr audio_output stand_in = {stand_in_open,          stand_in_close,   stand_in_new_stream,
                                   stand_in_delete_stream, stand_in_reclaim, stand_in_queue,
                                   stand_in_playing,       stand_in_rest};

} // namespace

void install_recording_audio() {
    {
        std::lock_guard lock(guard);
        record() = recording{};
    }
    platform_set_audio_stand_in(&stand_in);
}

void recording_audio_open_result(audio_open_result result) {
    std::lock_guard lock(guard);
    record().open_result = result;
}

void recording_audio_hold_buffers(bool hold) {
    std::lock_guard lock(guard);
    record().hold = hold;
}

std::vector<recorded_buffer> recorded_buffers() {
    std::lock_guard lock(guard);
    return record().buffers;
}

std::vector<stereo_frame> recorded_frames(uint32_t source) {
    std::vector<stereo_frame> frames;
    for (const recorded_buffer& buffer : recorded_buffers())
        if (buffer.source == source)
            frames.insert(frames.end(), buffer.frames.begin(), buffer.frames.end());
    return frames;
}

std::vector<deleted_stream> deleted_streams() {
    std::lock_guard lock(guard);
    return record().deletions;
}

int recorded_stream_count() {
    std::lock_guard lock(guard);
    return record().streams;
}

bool recorded_output_closed() {
    std::lock_guard lock(guard);
    return record().closed;
}

recorded_rest recorded_audio_rest() {
    std::lock_guard lock(guard);
    return {record().resting, record().rests, record().woken_by_queue};
}

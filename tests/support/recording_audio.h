#pragma once
// Stand-in for the audio output in in-process tests: records every buffer the runtime
// queues. By default a queued buffer counts as played at the next look; held buffers
// stay on their source, which then plays for ever.
#include <cstdint>
#include <vector>

#include "runtime/platform/audio_output.h"
#include "runtime/sound/sound_streams.h"

struct recorded_buffer {
    uint32_t source;
    std::vector<stereo_frame> frames;
};

struct deleted_stream {
    uint32_t source;
    int64_t time_ms; // monotonic clock
};

// Puts the stand-in in place of OpenAL Soft with a fresh record.
void install_recording_audio();
// What the next open reports.
void recording_audio_open_result(audio_open_result result);
void recording_audio_hold_buffers(bool hold);

std::vector<recorded_buffer> recorded_buffers();
// Every frame queued on the source, in order.
std::vector<stereo_frame> recorded_frames(uint32_t source);
std::vector<deleted_stream> deleted_streams();
int recorded_stream_count();
bool recorded_output_closed();

// Whether the output rests now, how often it was let rest, and how many buffers woke it.
struct recorded_rest {
    bool resting;
    int rests;
    int woken_by_queue;
};
recorded_rest recorded_audio_rest();

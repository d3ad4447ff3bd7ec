#pragma once
// The host's audio output: the default device with one context, and streaming sources
// that play queued 16-bit stereo buffers. In-process tests put a stand-in in its place.
#include <cstdint>

enum class audio_open_result { opened, no_device, no_context };

constexpr int audio_buffers_per_stream = 4;

// One source and the buffers that take turns on it.
struct audio_stream_names {
    uint32_t source = 0;
    uint32_t buffers[audio_buffers_per_stream] = {};
};

struct audio_output {
    // Opens the default device, a context on it, and sets the listener.
    audio_open_result (*open)();
    void (*close)();
    audio_stream_names (*new_stream)();
    void (*delete_stream)(const audio_stream_names& names);
    // Takes the buffers the source has played off it; returns how many, names in played.
    int (*reclaim)(uint32_t source, uint32_t played[audio_buffers_per_stream]);
    // Fills the buffer, queues it on the source and starts the source if it stands.
    void (*queue)(uint32_t source, uint32_t buffer, const void* data, int32_t bytes, int32_t rate);
    bool (*playing)(uint32_t source);
    // Nothing is queued on any source: the device may stop mixing. The next queue wakes
    // it before its buffer plays.
    void (*rest)();
};

// OpenAL Soft, unless a stand-in was set.
const audio_output& platform_audio();
// Tests set a stand-in before the runtime starts; null returns to OpenAL Soft.
void platform_set_audio_stand_in(const audio_output* stand_in);

// Where a user configures OpenAL Soft on this host, for messages about its output.
const char* platform_audio_configuration_files();

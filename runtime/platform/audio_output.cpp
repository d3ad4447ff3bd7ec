#include "runtime/platform/audio_output.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

#include <atomic>
#include <cstring>

namespace {

ALCdevice* device = nullptr;
ALCcontext* context = nullptr;
std::atomic<const audio_output*> stand_in{nullptr};
LPALCDEVICEPAUSESOFT pause_device = nullptr;
LPALCDEVICERESUMESOFT resume_device = nullptr;
std::atomic<bool> resting{false};

// The name OpenAL Soft gives its wave-file writer, within the opened device's name.
constexpr const char* file_writer_name = "Wave File Writer";

// OpenAL Soft's wave-file writer loses its place in the file across a pause (it writes its
// header on stopping and carries on from there), so a file output keeps mixing. The device
// names its output, whatever chose it: the environment, a configuration file or the default.
bool output_writes_a_file() {
    const ALCchar* name = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
    return name && std::strstr(name, file_writer_name);
}

// Without the extension the device simply keeps mixing silence.
void find_pause_functions() {
    if (output_writes_a_file() || !alcIsExtensionPresent(device, "ALC_SOFT_pause_device")) return;
    pause_device =
        reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"));
    resume_device =
        reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(device, "alcDeviceResumeSOFT"));
    if (!pause_device || !resume_device) pause_device = nullptr;
}

// The mixer thread stops with the device, so silence costs nothing.
void openal_rest() {
    if (!pause_device || resting.load()) return;
    pause_device(device);
    resting.store(true);
}

void wake_device() {
    if (resting.exchange(false)) resume_device(device);
}

// Tones need no effect sends; without them every one of the context's voices is smaller
// (about 0.8 MB less memory, written at start-up).
constexpr ALCint context_attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};

audio_open_result openal_open() {
    device = alcOpenDevice(nullptr);
    if (!device) return audio_open_result::no_device;
    context = alcCreateContext(device, context_attributes);
    if (!context || !alcMakeContextCurrent(context)) return audio_open_result::no_context;
    alListener3f(AL_POSITION, 0, 0, 0);
    alListener3f(AL_VELOCITY, 0, 0, 0);
    alListener3f(AL_ORIENTATION, 0, 0, -1);
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    find_pause_functions();
    return audio_open_result::opened;
}

// The context goes first so that the device closes cleanly and a file-writing output
// completes its file.
void openal_close() {
    if (!device) return;
    alcMakeContextCurrent(nullptr);
    if (context) alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
}

audio_stream_names openal_new_stream() {
    audio_stream_names names;
    alGenSources(1, &names.source);
    alGenBuffers(audio_buffers_per_stream, names.buffers);
    return names;
}

void openal_delete_stream(const audio_stream_names& names) {
    alDeleteSources(1, &names.source);
    alDeleteBuffers(audio_buffers_per_stream, names.buffers);
}

int openal_reclaim(uint32_t source, uint32_t played[audio_buffers_per_stream]) {
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0) return 0;
    if (processed > audio_buffers_per_stream) processed = audio_buffers_per_stream;
    alSourceUnqueueBuffers(source, processed, played);
    return processed;
}

bool openal_playing(uint32_t source) {
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void openal_queue(uint32_t source, uint32_t buffer, const void* data, int32_t bytes, int32_t rate) {
    wake_device();
    alBufferData(buffer, AL_FORMAT_STEREO16, data, bytes, rate);
    alSourceQueueBuffers(source, 1, &buffer);
    if (!openal_playing(source)) alSourcePlay(source);
}

constexpr audio_output openal_output = {openal_open,          openal_close,   openal_new_stream,
                                        openal_delete_stream, openal_reclaim, openal_queue,
                                        openal_playing,       openal_rest};

} // namespace

const audio_output& platform_audio() {
    const audio_output* chosen = stand_in.load();
    return chosen ? *chosen : openal_output;
}

void platform_set_audio_stand_in(const audio_output* output) {
    stand_in.store(output);
}

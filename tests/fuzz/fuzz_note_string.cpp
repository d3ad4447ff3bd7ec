// Random note strings, with variable references into a random variable area: the player
// never crashes, a refused string raises 5 and queues nothing, and an accepted one lays
// out no more sound than its characters can ask for, every tone inside its piece. Strings
// of up to a few stream buffers of sound are also rendered and queued, every sample within
// full scale; longer ones differ from those only in their counts, and rendering costs a
// pass per frame, so that they are only read keeps each input cheap.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/platform/audio_output.h"
#include "runtime/sound/note_string.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"
#include "runtime/sound/tone_queue.h"

namespace {

// Long enough for chords and variable references, short enough that the longest sound
// it can lay out stays within a few hundred megabytes.
constexpr size_t longest_string = 32;
// The longest note: a dotted whole note at the slowest tempo, just under 15 s.
constexpr int64_t longest_note_frames = 15 * 44100;
constexpr size_t longest_rendered_frames = 8 * stream_buffer_frames;
constexpr size_t area_bytes = 65536 + 16;

void require(bool condition) {
    if (!condition) std::abort();
}

// An output that plays every buffer at once.
std::vector<uint32_t> on_source;
audio_open_result opened() {
    return audio_open_result::opened;
}
void nothing() {}
audio_stream_names new_names() {
    return {1, {2, 3, 4, 5}};
}
void delete_names(const audio_stream_names&) {}
int reclaim_all(uint32_t, uint32_t played[audio_buffers_per_stream]) {
    const int count = static_cast<int>(on_source.size());
    for (int i = 0; i < count; ++i) played[i] = on_source[static_cast<size_t>(i)];
    on_source.clear();
    return count;
}
void queue(uint32_t, uint32_t buffer, const void*, int32_t, int32_t) {
    on_source.push_back(buffer);
}
bool never_playing(uint32_t) {
    return false;
}
constexpr audio_output instant_output = {opened,      nothing, new_names,     delete_names,
                                         reclaim_all, queue,   never_playing, nothing};

std::vector<uint8_t>& variable_area() {
    static std::vector<uint8_t> area(area_bytes);
    return area;
}

void start_once() {
    static bool started = false;
    if (started) return;
    started = true;
    rt_strings_init();
    platform_set_audio_stand_in(&instant_output);
    rt_set_variable_area(variable_area().data(), static_cast<int32_t>(area_bytes));
}

// Where the tone stream stands: a refused string must leave it as it was.
struct stream_mark {
    int32_t write = 0;
    int32_t fill_frames = 0;
    bool operator==(const stream_mark&) const = default;
};

stream_mark tone_stream_mark() {
    const sound_stream* stream = sound_stream_of(tone_stream.load());
    return stream ? stream_mark{stream->write.load(), stream->fill_frames} : stream_mark{};
}

void check_refused(std::string_view notes) {
    const stream_mark before = tone_stream_mark();
    rt_string* text = rt_string_from_bytes(notes.data(), static_cast<int32_t>(notes.size()));
    rt_play(text);
    rt_string_free(text);
    require(error_state.error_pending == err_illegal_function_call);
    error_state.error_pending = 0;
    error_state.attention_flag.store(0);
    require(tone_stream_mark() == before);
}

// Accepted sound goes through the tone stream without waiting, and the output drains it.
void check_rendered(const note_plan& plan) {
    const note_piece piece = render_note_plan(plan);
    require(piece.frames.size() == plan.frames && piece.wait == plan.wait);
    for (const stereo_frame& frame : piece.frames)
        require(frame.left >= -32767 && frame.left <= 32767 && frame.left == frame.right);
    queue_tone(piece.frames.data(), static_cast<int32_t>(piece.frames.size()), false);
    rt_sound_pump();
}

void check_accepted(std::string_view notes, const std::vector<note_plan>& plans) {
    size_t frames = 0;
    for (const note_plan& plan : plans) {
        frames += plan.frames;
        for (const note_event& event : plan.events)
            require(event.tone_frames > 0 &&
                    event.start + static_cast<size_t>(event.tone_frames) <= plan.frames);
    }
    require(frames <= notes.size() * static_cast<size_t>(longest_note_frames));
    if (frames > longest_rendered_frames) return;
    for (const note_plan& plan : plans) check_rendered(plan);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_once();
    // The first bytes fill the start of the variable area, the rest is the string.
    const size_t area_part = size > 0 ? data[0] % 32 : 0;
    if (size < 1 + area_part) return 0;
    std::copy(data + 1, data + 1 + area_part, variable_area().begin());
    const std::string_view notes(reinterpret_cast<const char*>(data) + 1 + area_part,
                                 std::min(size - 1 - area_part, longest_string));
    note_settings settings;
    const note_settings before = settings;
    std::vector<note_plan> plans;
    if (read_note_string(notes, {variable_area().data(), static_cast<int32_t>(area_bytes)},
                         settings, plans)) {
        check_accepted(notes, plans);
        return 0;
    }
    require(plans.empty() && settings.tempo == before.tempo && settings.octave == before.octave);
    check_refused(notes);
    return 0;
}

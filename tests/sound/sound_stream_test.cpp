// Streams, the pump and the tones against the recording stand-in for the audio output.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/console/startup.h"
#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"
#include "runtime/sound/tone_synthesis.h"
#include "tests/support/app_session.h"
#include "tests/support/recording_audio.h"

namespace {

// Fills one whole stream buffer with the value, so that each buffer can be recognised.
void append_buffer(sound_stream& stream, int16_t value) {
    for (int32_t i = 0; i < stream_buffer_frames; ++i) sound_append_frame(stream, value, value);
}

std::vector<int16_t> recorded_buffer_values() {
    std::vector<int16_t> values;
    for (const recorded_buffer& buffer : recorded_buffers())
        values.push_back(buffer.frames[0].left);
    return values;
}

// The test thread plays the program thread and the service thread in turn, so every
// step is deterministic.
TEST(SoundStream, FullPendingRingDropsTheNewestBuffers) {
    recording_audio_hold_buffers(true);
    constexpr int32_t ring_slots = 4; // three buffers can wait
    const int32_t handle = sound_open_stream(ring_slots);
    sound_stream& stream = *sound_stream_of(handle);
    for (int16_t value = 1; value <= 5; ++value) append_buffer(stream, value);
    rt_sound_pump(); // 1 to 3 go to the output; 4 and 5 were dropped
    for (int16_t value = 6; value <= 9; ++value) append_buffer(stream, value);
    rt_sound_pump(); // 6 takes the last output buffer; 7 and 8 wait; 9 was dropped
    EXPECT_EQ(recorded_buffer_values(), (std::vector<int16_t>{1, 2, 3, 6}));
    const double buffer_seconds = static_cast<double>(stream_buffer_frames) / sample_rate;
    EXPECT_DOUBLE_EQ(rt_sound_queued(handle), 6 * buffer_seconds);

    recording_audio_hold_buffers(false);
    rt_sound_pump(); // the four played buffers come back and carry 7 and 8
    EXPECT_EQ(recorded_buffer_values(), (std::vector<int16_t>{1, 2, 3, 6, 7, 8}));
    rt_sound_pump();
    EXPECT_DOUBLE_EQ(rt_sound_queued(handle), 0);
}

// Frames appended in one call fill the stream buffers in order, split where each is full.
TEST(SoundStream, FramesAppendedTogetherAreSplitIntoWholeBuffersInOrder) {
    const int32_t handle = sound_open_stream(pending_ring_capacity);
    sound_stream& stream = *sound_stream_of(handle);
    const int32_t count = 2 * stream_buffer_frames + stream_buffer_frames / 2;
    std::vector<stereo_frame> ramp(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        ramp[static_cast<size_t>(i)] = {static_cast<int16_t>(i % 30000), static_cast<int16_t>(-1)};
    sound_append_frames(stream, ramp.data(), count);
    rt_sound_pump();
    const std::vector<recorded_buffer>& buffers = recorded_buffers();
    ASSERT_EQ(buffers.size(), 2u);
    for (size_t b = 0; b < buffers.size(); ++b)
        for (int32_t i = 0; i < stream_buffer_frames; ++i) {
            const stereo_frame& expected = ramp[b * stream_buffer_frames + static_cast<size_t>(i)];
            ASSERT_EQ(buffers[b].frames[static_cast<size_t>(i)].left, expected.left)
                << b << " " << i;
            ASSERT_EQ(buffers[b].frames[static_cast<size_t>(i)].right, expected.right);
        }
    EXPECT_EQ(stream.fill_frames, stream_buffer_frames / 2);
}

// A second of silence lets the device rest; a tone still sounding never does, and the next
// buffer wakes it before it is queued.
TEST(SoundStream, OutputRestsOnlyAfterAQuietSecondAndWakesForTheNextBuffer) {
    constexpr int quiet_ms = 1100;
    recording_audio_hold_buffers(true);
    sound_stream& stream = *sound_stream_of(sound_open_stream(pending_ring_capacity));
    append_buffer(stream, 1);
    rt_sound_pump();
    rt_sleep_ms(quiet_ms);
    rt_sound_pump(); // the buffer still plays
    EXPECT_EQ(recorded_audio_rest().rests, 0);

    recording_audio_hold_buffers(false);
    rt_sound_pump(); // played: the quiet starts now
    rt_sound_pump();
    EXPECT_FALSE(recorded_audio_rest().resting);
    rt_sleep_ms(quiet_ms);
    rt_sound_pump();
    EXPECT_TRUE(recorded_audio_rest().resting);

    append_buffer(stream, 2);
    rt_sound_pump();
    const recorded_rest after = recorded_audio_rest();
    EXPECT_FALSE(after.resting);
    EXPECT_EQ(after.rests, 1);
    EXPECT_EQ(after.woken_by_queue, 1);
    EXPECT_EQ(recorded_buffer_values(), (std::vector<int16_t>{1, 2}));
}

TEST(SoundStream, NothingIsQueuedBeforeTheFirstBufferFills) {
    const int32_t handle = rt_sound_open();
    for (int32_t i = 0; i + 1 < stream_buffer_frames; ++i) rt_sound_append(0.5, -0.5, handle, 3);
    rt_sound_pump();
    EXPECT_TRUE(recorded_buffers().empty());
    EXPECT_EQ(rt_sound_queued(handle), 0);
    rt_sound_append(1.5, -1.5, handle, 3); // beyond full scale: held there
    rt_sound_pump();
    const std::vector<stereo_frame> frames = recorded_frames(sound_stream_of(handle)->names.source);
    ASSERT_EQ(frames.size(), static_cast<size_t>(stream_buffer_frames));
    EXPECT_EQ(frames[0].left, 16383);
    EXPECT_EQ(frames[0].right, -16383);
    EXPECT_EQ(frames.back().left, 32767);
    EXPECT_EQ(frames.back().right, -32767);
}

TEST(SoundStream, OperationsOnHandlesThatAreNotOpenRaise5) {
    rt_sound_queued(7);
    EXPECT_EQ(error_state.error_pending, err_illegal_function_call);
    error_state.error_pending = 0;
    rt_sound_append(0, 0, 7, sound_handle_given);
    EXPECT_EQ(error_state.error_pending, err_illegal_function_call);
    error_state.error_pending = 0;
    rt_sound_close(0);
    EXPECT_EQ(error_state.error_pending, err_illegal_function_call);
}

TEST(SoundTone, TimedToneRangesRaise5) {
    for (const auto& [frequency, ticks] :
         {std::pair{36.0, 1.0}, {32768.0, 1.0}, {440.0, -1.0}, {440.0, 65536.0}}) {
        rt_sound(frequency, ticks);
        EXPECT_EQ(error_state.error_pending, err_illegal_function_call)
            << frequency << " " << ticks;
        error_state.error_pending = 0;
    }
    rt_sound(440, 0); // nothing to play
    rt_sound(0, 0);
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(tone_stream.load(), 0);
}

void wait_forever() {
    for (;;) rt_sleep_ms(10);
}

// With the runtime running, the test thread stands in for the program thread, whose
// own routine only sleeps.
class running_sound_test : public ::testing::Test {
  protected:
    void SetUp() override { rt_start_headless(wait_forever); }

    // The tone stream's frames once the flush has sent its last buffer.
    static std::vector<stereo_frame> tone_frames_when_played() {
        const int64_t deadline = rt_clock_ms() + 5000;
        while (rt_sound_queued(tone_stream.load()) > 0 && rt_clock_ms() < deadline) rt_sleep_ms(5);
        return recorded_frames(sound_stream_of(tone_stream.load())->names.source);
    }
};

std::vector<stereo_frame> synthesised(double frequency, double seconds) {
    std::vector<stereo_frame> frames(static_cast<size_t>(tone_frame_count(seconds)));
    frames.resize(static_cast<size_t>(
        synthesise_tone(frames.data(), static_cast<int32_t>(frames.size()), frequency, 1.0)));
    for (stereo_frame& frame : frames) { // as the append step gives them back
        frame.left = static_cast<int16_t>(frame.left / 32768.0 * 32767.0);
        frame.right = frame.left;
    }
    return frames;
}

void expect_frames(const std::vector<stereo_frame>& frames, size_t at,
                   const std::vector<stereo_frame>& expected) {
    ASSERT_GE(frames.size(), at + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(frames[at + i].left, expected[i].left) << at + i;
        ASSERT_EQ(frames[at + i].right, expected[i].right) << at + i;
    }
}

void expect_silence(const std::vector<stereo_frame>& frames, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) ASSERT_EQ(frames[i].left | frames[i].right, 0) << i;
}

TEST_F(running_sound_test, BeepQueuesItsToneFlushedToWholeBuffersAndWaitsAQuarterSecond) {
    const int64_t start = rt_clock_ms();
    rt_beep();
    EXPECT_GE(rt_clock_ms() - start, 250);
    const std::vector<stereo_frame> frames = tone_frames_when_played();
    const std::vector<stereo_frame> beep = synthesised(783.99, 0.2);
    EXPECT_EQ(beep.size(), 8776u);
    ASSERT_EQ(frames.size(), 3u * stream_buffer_frames);
    expect_frames(frames, 0, beep);
    expect_silence(frames, beep.size(), frames.size());
}

TEST_F(running_sound_test, ShortToneAfterSilenceWaitsBehindALeadInToAWholeBuffer) {
    rt_tone(440, 0.03, false);
    const std::vector<stereo_frame> frames = tone_frames_when_played();
    const std::vector<stereo_frame> tone = synthesised(440, 0.03);
    const size_t lead_in = stream_buffer_frames - tone.size();
    EXPECT_NEAR(static_cast<double>(lead_in) / sample_rate, 0.063, 0.001);
    ASSERT_EQ(frames.size(), static_cast<size_t>(stream_buffer_frames)); // exactly one
    expect_silence(frames, 0, lead_in);
    expect_frames(frames, lead_in, tone);
}

TEST_F(running_sound_test, FaultyNoteStringRaises5AndQueuesNothing) {
    rt_string* text = rt_string_from_text("T120 CDEFG O7 C");
    rt_play(text);
    rt_string_free(text);
    EXPECT_EQ(error_state.error_pending, err_illegal_function_call);
    EXPECT_EQ(tone_stream.load(), 0);
    EXPECT_TRUE(recorded_buffers().empty());
}

TEST_F(running_sound_test, ForegroundNoteWaitsUntilOnlyAQuarterSecondIsAhead) {
    rt_string* text = rt_string_from_text("T120 L4 O2 A");
    const int64_t start = rt_clock_ms();
    rt_play(text);
    rt_string_free(text);
    EXPECT_GE(rt_clock_ms() - start, 225); // 0.95 x 500 ms - 250 ms
}

TEST_F(running_sound_test, ClosedStreamIsReleasedThreeSecondsAfterTheRequest) {
    const int32_t handle = rt_sound_open();
    const uint32_t source = sound_stream_of(handle)->names.source;
    for (int32_t i = 0; i < stream_buffer_frames; ++i) rt_sound_append(0.25, 0, handle, 3);
    const int64_t closed_at = rt_clock_ms();
    rt_sound_close(handle);
    EXPECT_EQ(sound_stream_of(handle), nullptr);
    const int64_t deadline = closed_at + 10000;
    while (deleted_streams().empty() && rt_clock_ms() < deadline) rt_sleep_ms(20);
    ASSERT_TRUE(wait_for_service_pass()); // the release that deleted it has finished
    const std::vector<deleted_stream> deleted = deleted_streams();
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0].source, source);
    EXPECT_GE(deleted[0].time_ms - closed_at, close_grace_ms);
    EXPECT_EQ(recorded_frames(source).size(), static_cast<size_t>(stream_buffer_frames));
    EXPECT_EQ(rt_sound_open(), handle); // the released slot is taken again
}

void start_without_context() {
    recording_audio_open_result(audio_open_result::no_context);
    rt_start_headless(wait_forever);
    wait_forever();
}

TEST(SoundStart, DeviceWithoutAContextEndsWith222AndSaysSo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(start_without_context(), ::testing::ExitedWithCode(222),
                "the audio device gave no context.*ALSOFT_DRIVERS=null");
}

} // namespace

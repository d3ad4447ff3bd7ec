// Sound through OpenAL Soft itself: the runtime plays into OpenAL Soft's wave output and
// the tones are measured in the written file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/console/startup.h"
#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_streams.h"
#include "tests/support/program_environment.h"
#include "tests/support/wave_output.h"

namespace {

constexpr double frequency_tolerance = 2.0;     // Hz
constexpr double duration_tolerance = 0.010;    // s
constexpr double beep_seconds = 8776.0 / 44100; // up to its last rising zero crossing
constexpr int failed_check = 1;

rt_main_routine sound_body = nullptr;

// What a body finds wrong ends the child with a non-zero code.
void check(bool condition) {
    if (!condition) run_control.exit_code.store(failed_check);
}

// Lets the output play everything queued, then ends the program (which closes the device
// and so completes the file).
void play_out_and_stop() {
    while (tone_stream.load() != 0 && rt_sound_queued(tone_stream.load()) > 0) rt_sleep_ms(10);
    rt_sleep_ms(300);
    rt_stop_program();
}

// The runtime runs in a death test's child: its shutdown ends the process, with a
// non-zero code when a check of the body failed.
void play_in_child(rt_main_routine body) {
    sound_body = body;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            rt_start_headless([] {
                sound_body();
                play_out_and_stop();
            });
            for (;;) rt_sleep_ms(100);
        },
        ::testing::ExitedWithCode(0), "");
}

class sound_file_test : public ::testing::Test {
  protected:
    // Plays the body into the file and returns the segments of sound found in it.
    std::vector<sound_segment> play(rt_main_routine body) {
        output_.use_in_this_process();
        play_in_child(body);
        const auto read = read_wave_file(output_.file());
        EXPECT_TRUE(read.has_value());
        if (!read) return {};
        samples_ = *read;
        EXPECT_EQ(samples_.rate, sample_rate);
        return sound_segments(samples_);
    }

    static void expect_beep(const sound_segment& segment) {
        EXPECT_NEAR(segment.frequency, 783.99, frequency_tolerance);
        EXPECT_NEAR(segment.duration(), beep_seconds, duration_tolerance);
    }

    wave_output output_;
    wave_samples samples_;
};

TEST_F(sound_file_test, BeepIs784HzForAFifthOfASecondAfterSilence) {
    const auto segments = play(rt_beep);
    ASSERT_EQ(segments.size(), 1u);
    expect_beep(segments[0]);
    EXPECT_GT(segments[0].start, 0.0); // the output was silent until the beep came
}

TEST_F(sound_file_test, TwoBeepsAreTwoTonesWithSilenceBetween) {
    const auto segments = play([] {
        rt_beep();
        rt_beep();
    });
    ASSERT_EQ(segments.size(), 2u);
    expect_beep(segments[0]);
    expect_beep(segments[1]);
    const double gap = segments[1].start - segments[0].end;
    EXPECT_GT(gap, 0.05);
    EXPECT_LT(gap, 0.3);
}

TEST_F(sound_file_test, ToneOfZeroHertzIsSilenceOfItsLength) {
    const auto segments = play([] {
        rt_beep();
        rt_tone(0, 1.0, false);
        rt_beep();
    });
    ASSERT_EQ(segments.size(), 2u);
    // The first beep's last buffer is padded to its end before the silence starts.
    const double padding = (3 * stream_buffer_frames - 8776.0) / sample_rate;
    EXPECT_NEAR(segments[1].start - segments[0].end, 1.0 + padding, duration_tolerance);
}

void play_text(const char* notes) {
    rt_string* text = rt_string_from_text(notes);
    rt_play(text);
    rt_string_free(text);
}

TEST_F(sound_file_test, QuarterNoteAOfOctaveTwoAtTempo120) {
    const auto segments = play([] { play_text("T120 L4 O2 A A"); });
    ASSERT_EQ(segments.size(), 2u);
    for (const sound_segment& note : segments) {
        EXPECT_NEAR(note.frequency, 440.0, frequency_tolerance);
        EXPECT_NEAR(note.duration(), 0.4375, duration_tolerance);
    }
    // The rest of the half second is silence, plus what the cut at the crossing took.
    EXPECT_NEAR(segments[1].start - segments[0].start, 0.5, 0.001);
    EXPECT_NEAR(segments[1].start - segments[0].end, 0.0625, duration_tolerance);
}

TEST_F(sound_file_test, ChordSoundsTogetherAndIsHeldAtFullScale) {
    const auto segments = play([] { play_text("T120 L4 O2 V100 C,E,G"); });
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_NEAR(segments[0].duration(), 0.4375, duration_tolerance);
    // Three full-scale waves overflow: the sum sits at full scale instead of jumping to
    // the other end of the range.
    EXPECT_GE(peak(samples_, segments[0].start, segments[0].end), 32000);
    EXPECT_LT(largest_step(samples_, segments[0].start, segments[0].end), 8000);
}

void expect_refused(const char* notes) {
    play_text(notes);
    check(error_state.error_pending == err_illegal_function_call);
    error_state.error_pending = 0;
}

TEST_F(sound_file_test, FaultyNoteStringsQueueNothing) {
    const auto segments = play([] {
        for (const char* notes : {"CDE O7 C", "CDE V101 C", "CDE L0 C", "CDE T31 C", "CDE C+#"})
            expect_refused(notes);
        check(tone_stream.load() == 0 || rt_sound_queued(tone_stream.load()) == 0);
        rt_beep(); // the only sound in the file
    });
    ASSERT_EQ(segments.size(), 1u);
    expect_beep(segments[0]);
}

void start_without_device() {
    set_environment_variable("ALSOFT_DRIVERS", "no-such-output");
    rt_start_headless([] {});
    for (;;) rt_sleep_ms(100);
}

TEST(SoundDevice, StartUpWithoutAnOutputEndsWith111AndSaysHowToGiveOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(start_without_device(), ::testing::ExitedWithCode(111),
                "no audio device could be opened.*ALSOFT_DRIVERS=null");
}

} // namespace

// Tone synthesis and the note-string language, laid out in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/sound/note_string.h"
#include "runtime/sound/tone_synthesis.h"
#include "tests/support/wave_output.h"

namespace {

constexpr double pitch_tolerance = 1.0; // Hz

wave_samples left_channel(const std::vector<stereo_frame>& frames) {
    wave_samples samples;
    samples.rate = sample_rate;
    for (const stereo_frame& frame : frames) samples.left.push_back(frame.left);
    return samples;
}

bool rises_through_zero_at(const std::vector<stereo_frame>& frames, int32_t i) {
    return frames[i - 1].left <= 0 && frames[i].left > 0;
}

TEST(ToneSynthesis, BeepIs8820FramesCutAtItsLastRisingZeroCrossing) {
    const int64_t count = tone_frame_count(0.2);
    ASSERT_EQ(count, 8820);
    std::vector<stereo_frame> frames(static_cast<size_t>(count));
    const int32_t used = synthesise_tone(frames.data(), 8820, 783.99, 1.0);
    ASSERT_LT(used, 8820);
    EXPECT_TRUE(rises_through_zero_at(frames, used));
    for (int32_t i = used + 1; i < 8820; ++i) EXPECT_FALSE(rises_through_zero_at(frames, i)) << i;
    int peak = 0;
    for (const stereo_frame& frame : frames) {
        EXPECT_EQ(frame.left, frame.right);
        peak = std::max(peak, std::abs(static_cast<int>(frame.left)));
    }
    EXPECT_GE(peak, 32000); // full amplitude
    frames.resize(static_cast<size_t>(used));
    const auto segments = sound_segments(left_channel(frames));
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_NEAR(segments[0].frequency, 783.99, pitch_tolerance);
}

TEST(ToneSynthesis, ZeroHertzIsSilenceOfTheWholeLength) {
    std::vector<stereo_frame> frames(4410, stereo_frame{1, 1});
    EXPECT_EQ(synthesise_tone(frames.data(), 4410, 0, 1.0), 4410);
    for (const stereo_frame& frame : frames) EXPECT_EQ(frame.left, 0);
}

TEST(ToneSynthesis, TonesAboveAQuarterOfTheRateStayWithinFullScale) {
    std::vector<stereo_frame> frames(44100);
    synthesise_tone(frames.data(), 44100, 32767, 1.0);
    for (const stereo_frame& frame : frames) EXPECT_GE(frame.left, -32767);
}

// A string laid out from the default settings.
struct laid_out {
    bool ok = false;
    note_settings settings;
    std::vector<note_piece> pieces;
};

laid_out lay_out(const std::string& notes, const variable_bytes& variables = {}) {
    laid_out result;
    result.ok = lay_out_note_string(notes, variables, result.settings, result.pieces);
    return result;
}

struct timing_case {
    const char* notes;
    int64_t frames;  // length of the laid-out sound
    double pitch;    // of its first tone
    double sounding; // seconds of that tone
};

// Tempo 120: a quarter note is half a second, of which 7/8 sound in normal articulation.
constexpr timing_case timing_cases[] = {
    {"T120 L4 O2 A", 22050, 440.0, 0.4375},
    {"o2 a", 22050, 440.0, 0.4375}, // lower case, defaults tempo 120 and length 4
    {"A", 22050, 1760.0, 0.4375},   // octave 4 by default
    {"N33", 22050, 440.0, 0.4375},
    {"O2 A8", 11025, 440.0, 0.21875},
    {"O2 A.", 33075, 440.0, 0.65625},   // one dot: 1.5 times
    {"O2 A..", 38587, 440.0, 0.765625}, // two dots: 1.75 times
    {"O2 A#", 22050, 466.16, 0.4375},
    {"O2 B-", 22050, 466.16, 0.4375},
    {"O2 ML A", 22050, 440.0, 0.5},   // legato: no silence
    {"O2 MS A", 22050, 440.0, 0.375}, // staccato: a quarter silent
    {"T60 O2 A", 44100, 440.0, 0.875},
    {"O3 < A", 22050, 440.0, 0.4375},
    {"O0 < A", 22050, 110.0, 0.4375}, // held at octave 0
    {"O1 > A", 22050, 440.0, 0.4375},
    {"O2 L2 A0", 44100, 440.0, 0.875},  // length 0 is the default length
    {"O2 A4,C4", 22050, 440.0, 0.4375}, // a chord lasts as long as one note
    {"P4 O2 A", 44100, 440.0, 0.4375},  // after a quarter rest
};

TEST(NoteString, NotesRestsAndSettingsGiveTheirPitchAndLength) {
    for (const timing_case& c : timing_cases) {
        const laid_out result = lay_out(c.notes);
        ASSERT_TRUE(result.ok) << c.notes;
        ASSERT_EQ(result.pieces.size(), 1u) << c.notes;
        EXPECT_TRUE(result.pieces[0].wait) << c.notes;
        const std::vector<stereo_frame>& frames = result.pieces[0].frames;
        EXPECT_EQ(static_cast<int64_t>(frames.size()), c.frames) << c.notes;
        const auto segments = sound_segments(left_channel(frames));
        ASSERT_FALSE(segments.empty()) << c.notes;
        EXPECT_NEAR(segments[0].frequency, c.pitch, pitch_tolerance) << c.notes;
        // The tone ends at its last rising zero crossing, within one period of its length
        // (and a few frames at the ends that are too quiet to count as sound).
        EXPECT_LE(segments[0].duration(), c.sounding) << c.notes;
        EXPECT_GE(segments[0].duration(), c.sounding - 1.0 / c.pitch - 4.0 / sample_rate)
            << c.notes;
    }
}

TEST(NoteString, VolumeScalesTheAmplitude) {
    for (const auto& [notes, peak] :
         {std::pair{"V100 O2 A", 32767}, {"V50 O2 A", 16383}, {"V0 O2 A", 0}}) {
        const laid_out result = lay_out(notes);
        ASSERT_TRUE(result.ok);
        int largest = 0;
        for (const stereo_frame& frame : result.pieces[0].frames)
            largest = std::max(largest, static_cast<int>(frame.left));
        EXPECT_NEAR(largest, peak, 400) << notes;
    }
}

TEST(NoteString, ChordSumsAreHeldAtFullScale) {
    const laid_out result = lay_out("V100 O2 C,E,G");
    ASSERT_TRUE(result.ok);
    int top = 0, largest_step = 0;
    const auto& frames = result.pieces[0].frames;
    for (size_t i = 1; i < frames.size(); ++i) {
        top = std::max(top, static_cast<int>(frames[i].left));
        largest_step = std::max(largest_step, std::abs(frames[i].left - frames[i - 1].left));
    }
    EXPECT_EQ(top, 32767);
    EXPECT_LT(largest_step, 8000);
}

TEST(NoteString, BackgroundPlaysWhatCameBeforeWithWaitingThenGoesOn) {
    const laid_out result = lay_out("O2 A MB A A");
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.pieces.size(), 2u);
    EXPECT_TRUE(result.pieces[0].wait);
    EXPECT_EQ(result.pieces[0].frames.size(), 22050u);
    EXPECT_FALSE(result.pieces[1].wait);
    EXPECT_EQ(result.pieces[1].frames.size(), 44100u);
    EXPECT_TRUE(result.settings.background);
}

TEST(NoteString, SettingsCarryOverOnlyFromStringsWithoutFaults) {
    note_settings settings;
    std::vector<note_piece> pieces;
    ASSERT_TRUE(lay_out_note_string("T60 O2 L8 V20 MS", {}, settings, pieces));
    EXPECT_EQ(settings.tempo, 60);
    EXPECT_EQ(settings.octave, 2);
    EXPECT_EQ(settings.length, 8);
    EXPECT_EQ(settings.volume, 20);
    EXPECT_EQ(settings.articulation, 0.25);
    EXPECT_FALSE(lay_out_note_string("T90 O9", {}, settings, pieces));
    EXPECT_EQ(settings.tempo, 60);
}

TEST(NoteString, FaultsRefuseTheWholeString) {
    for (const char* notes : {"O7",   "V101", "L0",    "T31", "T256", "C+#", "C#-", "C4+",   "N85",
                              "P0",   "P65",  "C65",   "O",   "T",    "N",   "M",   "MX",    "X",
                              "CDE!", ".",    "T120.", "<5",  ",",    "L4,", "A=",  "O=\x14"}) {
        laid_out result = lay_out(notes);
        EXPECT_FALSE(result.ok) << notes;
        EXPECT_TRUE(result.pieces.empty()) << notes;
    }
}

// A note length taken from a variable of each type: 8 is an eighth note.
struct variable_case {
    uint8_t code;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> bytes_of(auto value) {
    std::vector<uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

TEST(NoteString, NumbersComeFromVariablesOfEveryType) {
    const long double extended = 8;
    std::vector<uint8_t> extended_bytes(10);
    std::memcpy(extended_bytes.data(), &extended, 10);
    const variable_case cases[] = {
        {1, {8}},
        {2, bytes_of(int16_t{8})},
        {4, bytes_of(8.0f)},
        {5, bytes_of(int64_t{8})},
        {6, extended_bytes},
        {8, bytes_of(8.0)},
        {20, bytes_of(int32_t{8})},
        {129, {8}},
        {130, bytes_of(uint16_t{8})},
        {133, bytes_of(uint64_t{8})},
        {148, bytes_of(uint32_t{8})},
        {64 + 12, {8, 0xF0}},  // 12-bit unsigned field: the high bits are not its own
        {192 + 12, {8, 0xF0}}, // 12-bit signed field
        {4, bytes_of(7.6f)},   // rounded to the nearest whole number
    };
    for (const variable_case& c : cases) {
        uint8_t area[16]; // the variable sits at offset 4
        std::memset(area, 0xEE, sizeof area);
        std::memcpy(area + 4, c.bytes.data(), c.bytes.size());
        const variable_bytes variables{area, static_cast<int32_t>(4 + c.bytes.size())};
        const std::string notes =
            std::string("O2 L=") + static_cast<char>(c.code) + '\x04' + '\x00' + " A";
        const laid_out result = lay_out(notes, variables);
        ASSERT_TRUE(result.ok) << int{c.code};
        EXPECT_EQ(result.pieces[0].frames.size(), 11025u) << int{c.code};
    }
}

TEST(NoteString, VariableReferencesOutsideTheAreaOrRangeAreFaults) {
    std::vector<uint8_t> area = bytes_of(int64_t{1} << 40);
    const variable_bytes variables{area.data(), static_cast<int32_t>(area.size())};
    for (const std::string& notes : {std::string("L=\x05\x00\x00", 5), // beyond 32 bits
                                     std::string("L=\x14\x06\x00", 5), // past the area's end
                                     std::string("L=\x03\x00\x00", 5), // no such type
                                     std::string("L=\x01\x05\x00"
                                                 "5",
                                                 6),                       // digits after it
                                     std::string("N=\x01\x05\x00.", 6)}) { // dots after it
        EXPECT_FALSE(lay_out(notes, variables).ok);
    }
    EXPECT_TRUE(lay_out(std::string("L=\x01\x05\x00", 5), variables).ok); // byte 5 is 1
    EXPECT_FALSE(lay_out(std::string("L=\x01\x05\x00", 5)).ok);           // no area at all
}

} // namespace

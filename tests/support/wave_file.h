#pragma once
// The tones in a 16-bit PCM wave file, such as OpenAL Soft's wave output writes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct wave_samples {
    int rate = 0;
    std::vector<int16_t> left;
};

// The left channel of a 16-bit PCM wave file; nothing when the file is not one. A file
// whose writer was stopped before it finished its header is read to its end.
std::optional<wave_samples> read_wave_file(const std::string& path);

// A stretch of sound between silences, in seconds from the start of the file.
struct sound_segment {
    double start = 0;
    double end = 0;
    double frequency = 0; // from the rising zero crossings
    double duration() const { return end - start; }
};

// The writer closed the file in order: its header gives the length the file has. While the
// output is open the header holds no length yet.
bool wave_file_finished(const std::string& path);

// Stretches where the sound is above a small threshold; silences shorter than 10 ms do
// not split a stretch.
std::vector<sound_segment> sound_segments(const wave_samples& samples);

// The largest jump between neighbouring samples in [start, end) seconds; a sum that
// wrapped round instead of being held at full scale jumps by most of the range.
int largest_step(const wave_samples& samples, double start, double end);
// The largest magnitude in [start, end) seconds.
int peak(const wave_samples& samples, double start, double end);

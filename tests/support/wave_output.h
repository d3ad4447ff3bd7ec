#pragma once
// OpenAL Soft's wave output writing what the program plays into a file, and the tones a
// test finds in that file.
#include <optional>
#include <string>
#include <vector>

// A private configuration of OpenAL Soft: 16-bit stereo at 44,100 Hz into a file, with
// no limiter or dither that would change the samples, in a folder named after the running
// test. Removed with the object.
class wave_output {
  public:
    wave_output();
    ~wave_output();
    wave_output(const wave_output&) = delete;
    wave_output& operator=(const wave_output&) = delete;

    const std::string& file() const { return file_; }
    // The entry that sends OpenAL Soft's output into the file ("NAME=value"): the
    // configuration file alone, as a user would set it up, with no ALSOFT_DRIVERS beside it.
    // Its paths are named as the program under test names them (program_path).
    std::vector<std::string> environment() const;
    // The same entries set in this process, for a runtime started in-process.
    void use_in_this_process() const;

  private:
    std::string folder_;
    std::string file_;
    std::string config_;
};

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

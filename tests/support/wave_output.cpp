#include "tests/support/wave_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/program_environment.h"

namespace {

constexpr int silence_threshold = 1000;
constexpr double joining_gap_seconds = 0.010;

uint32_t little_endian_32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t little_endian_16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool loud(int16_t sample) {
    return std::abs(sample) > silence_threshold;
}

double frequency_between(const wave_samples& samples, size_t start, size_t end) {
    size_t first = 0, last = 0, crossings = 0;
    for (size_t i = start + 1; i < end; ++i) {
        if (!(samples.left[i - 1] <= 0 && samples.left[i] > 0)) continue;
        if (crossings++ == 0) first = i;
        last = i;
    }
    if (crossings < 2) return 0;
    return static_cast<double>(crossings - 1) * samples.rate / static_cast<double>(last - first);
}

size_t index_of(const wave_samples& samples, double seconds) {
    return std::min(samples.left.size(),
                    static_cast<size_t>(std::max(0.0, seconds) * samples.rate));
}

// Named after the running test, in its working directory (the build tree): a death test's
// child, which runs the test again from its start, finds the same folder.
std::filesystem::path folder_of_this_test() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("wave-") + test->test_suite_name() + "." + test->name();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c) && c != '.'; },
        '-');
    return std::filesystem::current_path() / name;
}

} // namespace

wave_output::wave_output() {
    const std::filesystem::path folder = folder_of_this_test();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    folder_ = folder.string();
    file_ = (folder / "output.wav").string();
    config_ = (folder / "alsoft.conf").string();
    std::ofstream(config_) << "[general]\n"
                              "drivers = wave\n"
                              "channels = stereo\n"
                              "sample-type = int16\n"
                              "frequency = 44100\n"
                              "output-limiter = false\n"
                              "dither = false\n"
                              "[wave]\n"
                              "file = "
                           << program_path(file_) << "\n";
}

wave_output::~wave_output() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::string> wave_output::environment() const {
    return {"ALSOFT_CONF=" + program_path(config_)};
}

void wave_output::use_in_this_process() const {
    set_environment_variable("ALSOFT_CONF", config_);
    // It would take the place of the configuration's drivers.
    remove_environment_variable("ALSOFT_DRIVERS");
}

std::optional<wave_samples> read_wave_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    wave_samples samples;
    int channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* chunk = bytes.data() + at;
        const size_t size = little_endian_32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && at + 24 <= bytes.size()) {
            channels = little_endian_16(chunk + 10);
            samples.rate = static_cast<int>(little_endian_32(chunk + 12));
            bits = little_endian_16(chunk + 22);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (bits != 16 || channels < 1) return std::nullopt;
            const size_t available = bytes.size() - at - 8;
            const size_t length = size == 0 || size > available ? available : size;
            const size_t frame_bytes = 2 * static_cast<size_t>(channels);
            for (size_t i = 0; i + frame_bytes <= length; i += frame_bytes)
                samples.left.push_back(static_cast<int16_t>(little_endian_16(chunk + 8 + i)));
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

bool wave_file_finished(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    constexpr size_t riff_header_bytes = 8;
    return bytes.size() > riff_header_bytes && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           little_endian_32(bytes.data() + 4) == bytes.size() - riff_header_bytes;
}

std::vector<sound_segment> sound_segments(const wave_samples& samples) {
    std::vector<sound_segment> segments;
    const auto gap = static_cast<size_t>(joining_gap_seconds * samples.rate);
    const size_t count = samples.left.size();
    for (size_t i = 0; i < count;) {
        if (!loud(samples.left[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        size_t last_loud = i;
        for (; i < count && i - last_loud <= gap; ++i)
            if (loud(samples.left[i])) last_loud = i;
        const double rate = samples.rate;
        segments.push_back({static_cast<double>(start) / rate,
                            static_cast<double>(last_loud + 1) / rate,
                            frequency_between(samples, start, last_loud + 1)});
    }
    return segments;
}

int largest_step(const wave_samples& samples, double start, double end) {
    int largest = 0;
    for (size_t i = index_of(samples, start) + 1; i < index_of(samples, end); ++i)
        largest = std::max(largest, std::abs(samples.left[i] - samples.left[i - 1]));
    return largest;
}

int peak(const wave_samples& samples, double start, double end) {
    int largest = 0;
    for (size_t i = index_of(samples, start); i < index_of(samples, end); ++i)
        largest = std::max(largest, std::abs(static_cast<int>(samples.left[i])));
    return largest;
}

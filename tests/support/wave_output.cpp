#include "tests/support/wave_output.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/child_process.h"

wave_output::wave_output() {
    char pattern[] = "/tmp/mirva-wave-XXXXXX";
    folder_ = mkdtemp(pattern) ? pattern : "/tmp";
    file_ = folder_ + "/output.wav";
    config_ = folder_ + "/alsoft.conf";
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
    setenv("ALSOFT_CONF", config_.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS"); // it would take the place of the configuration's drivers
}

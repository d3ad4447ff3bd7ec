#include "tests/support/wave_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "tests/support/program_environment.h"

namespace {

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

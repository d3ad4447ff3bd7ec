#pragma once
// OpenAL Soft's wave output writing what the program plays into a file.
#include <string>
#include <vector>

#include "tests/support/wave_file.h"

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

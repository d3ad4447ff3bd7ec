#pragma once
// Starting other programs from tests: the program under test, Xvfb and the X tools.
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/program_environment.h"

struct process_options {
    std::string working_dir;              // empty: the test's own
    std::vector<std::string> environment; // "NAME=value" entries; empty: the test's own
    bool quiet = false;                   // send the program's output to /dev/null
};

// The NAME of a "NAME=value" entry.
std::string variable_name(const std::string& entry);
// The test's environment with some entries replaced or added ("NAME=value").
std::vector<std::string> environment_with(const std::vector<std::string>& overrides);

// A started program. The destructor kills it if it still runs.
class child_process {
  public:
    child_process(const std::vector<std::string>& argv, const process_options& options = {});
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    bool running();
    // Exit status, or 128 + signal number for a killed program; nothing when the
    // program still runs after timeout_ms.
    std::optional<int> wait_exit(int timeout_ms);
    void kill(int signal_number);

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct command_result {
    std::optional<int> status; // nothing: timed out (and killed)
    std::string output;        // what the command wrote to standard output
};

// Runs a short command to its end and collects its standard output.
command_result run_command(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment, int timeout_ms);

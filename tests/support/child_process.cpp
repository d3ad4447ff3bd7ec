#include "tests/support/child_process.h"

#include "runtime/platform/clock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int poll_step_ms = 10;

std::vector<char*> c_string_list(const std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (const std::string& s : strings) list.push_back(const_cast<char*>(s.c_str()));
    list.push_back(nullptr);
    return list;
}

int status_code(int wait_status) {
    if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
    return 128 + WTERMSIG(wait_status);
}

// Everything the child needs is prepared before fork: between fork and exec only
// async-signal-safe calls are allowed, as the test process may have threads.
pid_t spawn(const std::vector<std::string>& argv, const process_options& options, int stdout_fd) {
    if (argv.empty()) return -1;
    const std::vector<std::string> environment =
        options.environment.empty() ? environment_with({}) : options.environment;
    std::vector<char*> args = c_string_list(argv);
    std::vector<char*> env = c_string_list(environment);
    const char* dir = options.working_dir.empty() ? nullptr : options.working_dir.c_str();
    const bool quiet = options.quiet;

    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int null_fd = open("/dev/null", O_RDWR);
    if (quiet) dup2(null_fd, STDERR_FILENO);
    if (stdout_fd >= 0)
        dup2(stdout_fd, STDOUT_FILENO);
    else if (quiet)
        dup2(null_fd, STDOUT_FILENO);
    if (dir && chdir(dir) != 0) _exit(127);
    execve(args[0], args.data(), env.data());
    execvpe(args[0], args.data(), env.data());
    _exit(127);
}

} // namespace

std::string variable_name(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> environment_with(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& o : overrides)
            replaced = replaced || variable_name(o) == variable_name(entry);
        if (!replaced) result.push_back(entry);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

child_process::child_process(const std::vector<std::string>& argv, const process_options& options)
    : pid_(spawn(argv, options, -1)) {}

child_process::~child_process() {
    if (running()) {
        kill(SIGKILL);
        wait_exit(5000);
    }
}

bool child_process::running() {
    if (!started() || status_) return false;
    int wait_status = 0;
    if (waitpid(pid_, &wait_status, WNOHANG) != pid_) return true;
    status_ = status_code(wait_status);
    return false;
}

std::optional<int> child_process::wait_exit(int timeout_ms) {
    const int64_t deadline = rt_clock_ms() + timeout_ms;
    while (running() && rt_clock_ms() < deadline) rt_sleep_ms(poll_step_ms);
    return status_;
}

void child_process::kill(int signal_number) {
    if (running()) ::kill(pid_, signal_number);
}

command_result run_command(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment, int timeout_ms) {
    command_result result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    process_options options;
    options.environment = environment;
    const pid_t pid = spawn(argv, options, fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return result;
    }
    const int64_t deadline = rt_clock_ms() + timeout_ms;
    for (;;) {
        const int64_t left = deadline - rt_clock_ms();
        if (left <= 0) break;
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int wait_status = 0;
    for (;;) {
        if (waitpid(pid, &wait_status, WNOHANG) == pid) {
            result.status = status_code(wait_status);
            return result;
        }
        if (rt_clock_ms() >= deadline) break;
        rt_sleep_ms(poll_step_ms);
    }
    ::kill(pid, SIGKILL);
    waitpid(pid, &wait_status, 0);
    return result;
}

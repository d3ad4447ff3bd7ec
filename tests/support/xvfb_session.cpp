#include "tests/support/xvfb_session.h"

#include <algorithm>

#include "runtime/platform/clock.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int first_candidate = 100;
constexpr int candidate_spread = 400;
constexpr int attempts = 20;
constexpr int start_timeout_ms = 10000;

bool file_exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Another server holds the number while its lock file or socket exists.
bool display_number_taken(int n) {
    return file_exists("/tmp/.X" + std::to_string(n) + "-lock") ||
           file_exists("/tmp/.X11-unix/X" + std::to_string(n));
}

// Xvfb writes its display number to the -displayfd pipe once it accepts clients.
bool wait_for_ready_line(int fd, child_process& server) {
    const int64_t deadline = rt_clock_ms() + start_timeout_ms;
    std::string line;
    while (rt_clock_ms() < deadline && server.running()) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char c;
        if (read(fd, &c, 1) != 1) return false;
        if (c == '\n') return !line.empty();
        line += c;
    }
    return false;
}

bool server_answers(const std::string& name) {
    Display* display = XOpenDisplay(name.c_str());
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

} // namespace

bool program_installed(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

xvfb_session::xvfb_session() {
    // Spread the starting numbers so that tests running side by side rarely collide.
    int n = first_candidate + static_cast<int>(getpid() % candidate_spread);
    for (int attempt = 0; attempt < attempts && !ready(); ++attempt, ++n)
        if (!display_number_taken(n)) start_on(n);
}

xvfb_session::~xvfb_session() {
    if (!server_) return;
    server_->kill(SIGTERM);
    if (!server_->wait_exit(5000)) server_->kill(SIGKILL);
}

bool xvfb_session::start_on(int display_number) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    // Appended rather than concatenated: GCC 12 at -O3 warns falsely on the inlined copy.
    std::string name = ":";
    name += std::to_string(display_number);
    process_options options;
    options.quiet = true;
    auto server = std::make_unique<child_process>(
        std::vector<std::string>{"Xvfb", name, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp", "-noreset"},
        options);
    close(fds[1]);
    const bool up =
        server->started() && wait_for_ready_line(fds[0], *server) && server_answers(name);
    close(fds[0]);
    if (!up) return false;
    server_ = std::move(server);
    display_name_ = name;
    return true;
}

void xvfb_session::use_as_default_display() const {
    setenv("DISPLAY", display_name_.c_str(), 1);
}

// OpenAL Soft's null output gives the program the audio device it needs to start, unless
// the test gives OpenAL Soft a configuration file, whose drivers then choose the output.
std::vector<std::string>
xvfb_session::environment(const std::vector<std::string>& overrides) const {
    std::vector<std::string> entries = {"DISPLAY=" + display_name_, "ALSOFT_DRIVERS=null"};
    for (const std::string& entry : overrides) {
        std::erase_if(entries, [&](const std::string& e) {
            return variable_name(e) == variable_name(entry);
        });
        entries.push_back(entry);
    }
    std::vector<std::string> result = environment_with(entries);
    const auto names = [&](const char* name) {
        return [name](const std::string& e) { return variable_name(e) == name; };
    };
    if (std::any_of(overrides.begin(), overrides.end(), names("ALSOFT_CONF")) &&
        std::none_of(overrides.begin(), overrides.end(), names("ALSOFT_DRIVERS")))
        std::erase_if(result, names("ALSOFT_DRIVERS"));
    return result;
}

// Starts the calculator under a private Xvfb, lets it idle for 10 seconds and prints
// the CPU it used as a percentage of one core (target: at most 1 %).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

pid_t spawn(const char* path, char* const argv[], const char* display) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (display) setenv("DISPLAY", display, 1);
        execv(path, argv);
        _exit(127);
    }
    return pid;
}

// utime + stime of a process in clock ticks.
long cpu_ticks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return utime + stime;
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0); // an audio output for start-up, unless one is chosen
    char xvfb[] = "/usr/bin/Xvfb", display_arg[] = ":93", screen[] = "-screen", zero[] = "0",
         geometry[] = "1280x1024x24", nolisten[] = "-nolisten", tcp[] = "tcp";
    char* xvfb_argv[] = {xvfb, display_arg, screen, zero, geometry, nolisten, tcp, nullptr};
    const pid_t server = spawn(xvfb, xvfb_argv, nullptr);
    std::this_thread::sleep_for(std::chrono::seconds(2));

    char exe[] = MIRVA_EXECUTABLE;
    char* exe_argv[] = {exe, nullptr};
    const pid_t program = spawn(exe, exe_argv, ":93");
    std::this_thread::sleep_for(std::chrono::seconds(2)); // past start-up

    const long before = cpu_ticks(program);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long after = cpu_ticks(program);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double percent = 100.0 * (after - before) / sysconf(_SC_CLK_TCK) / seconds;
    std::printf("idle CPU: %.2f %% of one core over %.1f s (target <= 1 %%)\n", percent, seconds);

    kill(program, SIGKILL);
    kill(server, SIGTERM);
    waitpid(program, nullptr, 0);
    waitpid(server, nullptr, 0);
    return 0;
}

// Starts the calculator under a private Xvfb and measures what it costs while it waits,
// 10 s each: at the menu, at a calculator prompt (the cost comparison's labour rate), at the
// error trap's "PRESS ANY KEY TO CONTINUE" (a deposition rate of 0), and at the closing
// screen. Prints the whole process and each of its threads as a percentage of one core
// (aim: <= 1 %). An executable given as the argument is measured instead of this build's.
// With --wine EXE, the Windows build is measured after this one, in the same run, through
// wine64 in the Wine the caller made (scripts/with-wine.sh --x11), and the Wine server's
// own time beside it.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/cost_example.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int idle_seconds = 10;
constexpr int settle_ms = 2000; // past start-up or the change of screen

struct thread_usage {
    std::string name;
    long long cpu_ns = 0; // time on a core
};
using usage_by_thread = std::map<std::string, thread_usage>; // by thread id

std::string thread_name(const std::string& task_dir) {
    std::ifstream comm(task_dir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The scheduler's own count of nanoseconds on a core: idle threads run for microseconds at
// a time, far below the 10 ms ticks of the user and system times.
long long cpu_nanoseconds(const std::string& task_dir) {
    std::ifstream schedstat(task_dir + "/schedstat");
    long long ns = 0;
    schedstat >> ns;
    return ns;
}

usage_by_thread read_threads(pid_t pid) {
    usage_by_thread threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return threads;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') {
            const std::string task_dir = tasks + "/" + entry->d_name;
            threads[entry->d_name] = {thread_name(task_dir), cpu_nanoseconds(task_dir)};
        }
    closedir(dir);
    return threads;
}

bool environment_has(const std::string& process_dir, const std::string& entry) {
    std::ifstream environ_file(process_dir + "/environ", std::ios::binary);
    std::string variable;
    while (std::getline(environ_file, variable, '\0'))
        if (variable == entry) return true;
    return false;
}

// The Wine server of this run's prefix, which serves the Windows build's calls: part of
// its cost. 0 without Wine.
pid_t wine_server_pid() {
    const char* prefix = std::getenv("WINEPREFIX");
    DIR* dir = prefix ? opendir("/proc") : nullptr;
    if (!dir) return 0;
    pid_t found = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string folder = std::string("/proc/") + entry->d_name;
        if (entry->d_name[0] >= '1' && entry->d_name[0] <= '9' &&
            thread_name(folder).starts_with("wineserver") &&
            environment_has(folder, std::string("WINEPREFIX=") + prefix))
            found = static_cast<pid_t>(std::atoi(entry->d_name));
    }
    closedir(dir);
    return found;
}

long long process_cpu_nanoseconds(pid_t pid) {
    long long total = 0;
    for (const auto& [id, usage] : read_threads(pid)) total += usage.cpu_ns;
    return total;
}

double percent_of_core(long long ns, double seconds) {
    return 100.0 * static_cast<double>(ns) / 1e9 / seconds;
}

void measure_idle(const char* where, pid_t pid) {
    std::this_thread::sleep_for(std::chrono::milliseconds(settle_ms));
    const pid_t server = wine_server_pid();
    const long long server_before = server ? process_cpu_nanoseconds(server) : 0;
    const usage_by_thread before = read_threads(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
    const usage_by_thread after = read_threads(pid);
    const long long server_used = server ? process_cpu_nanoseconds(server) - server_before : 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long long total = 0;
    std::string lines;
    for (const auto& [id, usage] : after) {
        const auto earlier = before.find(id);
        const long long used =
            usage.cpu_ns - (earlier == before.end() ? 0 : earlier->second.cpu_ns);
        total += used;
        char line[96];
        // The process's first thread is the window thread; it carries the program's name.
        const std::string name = id == std::to_string(pid) ? "window" : usage.name;
        std::snprintf(line, sizeof line, "    thread %-16s %5.2f %%\n", name.c_str(),
                      percent_of_core(used, seconds));
        lines += line;
    }
    std::printf("idle at the %s: %.2f %% of one core over %.1f s (aim <= 1 %%)\n%s", where,
                percent_of_core(total, seconds), seconds, lines.c_str());
    if (server)
        std::printf("    wineserver (the prefix) %5.2f %%\n",
                    percent_of_core(server_used, seconds));
}

bool wait_for_row(const std::string& display, x_window_id window, const std::string& text) {
    const int64_t end = rt_clock_ms() + 20000;
    while (rt_clock_ms() < end) {
        for (const auto& row : window_text_rows(display, window, 0x0000AA))
            if (row == text) return true;
        rt_sleep_ms(50);
    }
    return false;
}

bool enter(const std::string& display, x_window_id window, const std::string& text) {
    return (text.empty() || type_text(display, window, text)) &&
           press_key(display, window, "Return");
}

// The cost comparison typed through to its error: the first procedure deposits nothing.
bool type_cost_comparison_with_no_deposition(const std::string& display, x_window_id window) {
    constexpr size_t deposition_rate = 6;
    procedure_answers first = flux_cored_answers();
    first[deposition_rate] = "0";
    if (!enter(display, window, example_labour_rate)) return false;
    const procedure_answers* procedures[] = {&first, &stick_answers()};
    for (const procedure_answers* answers : procedures)
        for (const std::string& answer : *answers)
            if (!enter(display, window, answer)) return false;
    return true;
}

bool fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    return false;
}

bool measure_every_idle_state(const std::string& display, x_window_id window, pid_t pid) {
    if (!wait_for_row(display, window, "SELECT AN OPTION ?"))
        return fail("the calculator did not show its menu under Xvfb");
    measure_idle("menu", pid);
    if (!enter(display, window, "3") ||
        !wait_for_row(display, window, "ENTER THE LABOR COST PER HOUR?"))
        return fail("the cost comparison did not ask for the labour rate");
    measure_idle("cost comparison's first prompt", pid);
    if (!type_cost_comparison_with_no_deposition(display, window) ||
        !wait_for_row(display, window, "An illegal function call has been made."))
        return fail("the error trap did not show");
    measure_idle("error trap's prompt", pid);
    if (!type_text(display, window, "k") || !wait_for_row(display, window, "SELECT AN OPTION ?"))
        return fail("a key did not bring the menu back");
    if (!enter(display, window, "13") ||
        !wait_for_row(display, window, "PRESS ANY KEY TO CONTINUE"))
        return fail("the closing screen did not show");
    measure_idle("closing screen", pid);
    return true;
}

bool measure_program(const std::string& executable, const std::string& launcher) {
    std::printf("%s%s%s\n", launcher.c_str(), launcher.empty() ? "" : " ", executable.c_str());
    // The test support starts the program through the launcher this variable names.
    if (launcher.empty())
        unsetenv("MIRVA_LAUNCHER");
    else
        setenv("MIRVA_LAUNCHER", launcher.c_str(), 1);
    xvfb_session xvfb;
    std::unique_ptr<child_process> program;
    const x_window_id window =
        xvfb.ready() ? start_calculator(xvfb, executable, program, 20000) : 0;
    if (!window) return fail("the calculator did not start under Xvfb");
    return measure_every_idle_state(xvfb.display_name(), window, program->pid());
}

} // namespace

int main(int argc, char** argv) {
    std::string executable = MIRVA_EXECUTABLE, windows_executable;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wine") == 0 && i + 1 < argc)
            windows_executable = argv[++i];
        else
            executable = argv[i];
    }
    if (!measure_program(executable, "")) return 1;
    if (!windows_executable.empty() && !measure_program(windows_executable, "wine64")) return 1;
    return 0;
}

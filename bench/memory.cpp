// What the calculator holds in memory: private (anonymous) memory and resident size at the
// menu, and again at the menu after a run through every entry (the cost comparison with a
// printed copy to a private CUPS queue), under a private Xvfb. Lists the largest private
// mappings each time, with the thread whose stack a mapping is, so that the figures can be
// traced to what holds them.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/cost_example.h"
#include "tests/support/private_cups.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int settle_ms = 1500;   // for the service thread's passes and the frame to land
constexpr int line_pause_ms = 60; // between typed lines, so the window thread keeps up
constexpr int menu_timeout_ms = 20000;
constexpr int print_timeout_ms = 30000;
constexpr int mappings_listed = 8;
constexpr uint32_t menu_blue = 0x0000AA;

// Every entry once, answered through to its last question and back to the menu.
std::vector<std::vector<std::string>> every_entry() {
    std::vector<std::string> cost = {"3", example_labour_rate};
    for (const procedure_answers* answers : {&flux_cored_answers(), &stick_answers()})
        cost.insert(cost.end(), answers->begin(), answers->end());
    cost.insert(cost.end(), {"y", "N"}); // a printed copy
    return {
        {"1", ".18", ".9", ".2", ".1", ".05", ".4", "N"},
        {"2", ".2", ".6", "0", ".15", ".3", ".5", ".25", ".25", "0", "N"},
        cost,
        {"4", ".25", ".25", "N"},
        {"5", "1", ".125", "60", ".0625", "N"},
        {"6", "1", ".125", "60", "60", ".0625", "N"},
        {"7", "1", ".125", "45", ".0625", "N"},
        {"8", "1", ".125", "45", "45", ".0625", "N"},
        {"9", ".5", ".25", "4", "N"},
        {"10", ".25", ".0625", "N"},
        {"11", "200", "25", "12", "50000", "n"},
        {"12", "", "2", "60", "1.5", "60", ".0625", ".0625", "2", "N"},
    };
}

struct memory_figures {
    long rss_kb = 0, pss_kb = 0, private_dirty_kb = 0, anonymous_kb = 0;
};

std::map<std::string, long> read_kb_fields(std::istream& in) {
    std::map<std::string, long> fields;
    std::string name;
    long value = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        if (words >> name >> value && name.back() == ':') fields[name] = value;
    }
    return fields;
}

memory_figures read_rollup(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::map<std::string, long> fields = read_kb_fields(file);
    return {fields["Rss:"], fields["Pss:"], fields["Private_Dirty:"], fields["Anonymous:"]};
}

struct mapping {
    unsigned long start = 0, end = 0;
    std::string permissions, name;
    long size_kb = 0, anonymous_kb = 0;
};

std::vector<mapping> read_mappings(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps");
    std::vector<mapping> mappings;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first.back() != ':') { // a mapping's header: range, permissions, ..., name
            mapping m;
            std::sscanf(first.c_str(), "%lx-%lx", &m.start, &m.end);
            std::string offset, device, inode;
            words >> m.permissions >> offset >> device >> inode;
            std::getline(words >> std::ws, m.name);
            mappings.push_back(m);
            continue;
        }
        long value = 0;
        words >> value;
        if (mappings.empty()) continue;
        if (first == "Size:") mappings.back().size_kb = value;
        if (first == "Anonymous:") mappings.back().anonymous_kb = value;
    }
    return mappings;
}

// Thread names by the stack pointer each thread stopped at (the last field but one of its
// syscall file; readable for a child of ours).
std::map<unsigned long, std::string> stack_pointers(pid_t pid) {
    std::map<unsigned long, std::string> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return threads;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string task = tasks + "/" + entry->d_name;
        std::ifstream syscall(task + "/syscall"), comm(task + "/comm");
        std::vector<std::string> fields;
        for (std::string field; syscall >> field;) fields.push_back(field);
        std::string name;
        std::getline(comm, name);
        if (std::to_string(pid) == entry->d_name) name = "window";
        if (fields.size() >= 2) threads[std::stoul(fields[fields.size() - 2], nullptr, 16)] = name;
    }
    closedir(dir);
    return threads;
}

std::string describe(const mapping& m, const std::map<unsigned long, std::string>& stacks) {
    for (const auto& [sp, thread] : stacks)
        if (sp >= m.start && sp < m.end) return "stack of thread " + thread;
    return m.name.empty() ? "anonymous" : m.name;
}

void print_figures(const char* where, pid_t pid) {
    const memory_figures f = read_rollup(pid);
    std::printf("%s: private anonymous %6.1f MB, private dirty %6.1f MB, resident %6.1f MB "
                "(proportional %6.1f MB)\n",
                where, f.anonymous_kb / 1024.0, f.private_dirty_kb / 1024.0, f.rss_kb / 1024.0,
                f.pss_kb / 1024.0);
    std::vector<mapping> mappings = read_mappings(pid);
    std::sort(mappings.begin(), mappings.end(),
              [](const mapping& a, const mapping& b) { return a.anonymous_kb > b.anonymous_kb; });
    const auto stacks = stack_pointers(pid);
    std::printf("  largest private anonymous mappings:\n");
    for (size_t i = 0; i < mappings.size() && i < mappings_listed; ++i) {
        const mapping& m = mappings[i];
        std::printf("    %8.1f MB of %8.1f MB %s  %s\n", m.anonymous_kb / 1024.0,
                    m.size_kb / 1024.0, m.permissions.c_str(), describe(m, stacks).c_str());
    }
}

// xdotool warns on every key that Xvfb without a window manager reports no focus; the
// warning says nothing here, so the tools' standard error is muted while they type.
class muted_stderr {
  public:
    muted_stderr() : saved_(dup(STDERR_FILENO)) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        close(null);
    }
    ~muted_stderr() {
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    muted_stderr(const muted_stderr&) = delete;
    muted_stderr& operator=(const muted_stderr&) = delete;

  private:
    int saved_;
};

class typist {
  public:
    typist(const std::string& display, x_window_id window) : display_(display), window_(window) {}

    bool enter(const std::string& line) {
        const muted_stderr quiet;
        if (!line.empty() && !type_text(display_, window_, line)) return false;
        const bool entered = press_key(display_, window_, "Return");
        rt_sleep_ms(line_pause_ms);
        return entered;
    }

    bool wait_for_menu() {
        const int64_t end = rt_clock_ms() + menu_timeout_ms;
        while (rt_clock_ms() < end) {
            const auto rows = window_text_rows(display_, window_, menu_blue);
            if (rows.size() > 16 && rows[16].starts_with("SELECT AN OPTION ?")) return true;
            rt_sleep_ms(50);
        }
        return false;
    }

  private:
    std::string display_;
    x_window_id window_;
};

} // namespace

// Optional argument: another build of the calculator to measure instead.
int main(int argc, char** argv) {
    const std::string executable = argc > 1 ? argv[1] : MIRVA_EXECUTABLE;
    // The printed copy goes to a queue of our own, never to the machine's printers.
    private_cups cups;
    const bool printing = cups.ready() && cups.add_raster_queue("rasterfile", true);
    if (printing) cups.use_for_this_process(); // the calculator inherits the environment
    xvfb_session xvfb;
    std::unique_ptr<child_process> program;
    const x_window_id window =
        xvfb.ready() ? start_calculator(xvfb, executable, program, menu_timeout_ms) : 0;
    typist keys(xvfb.display_name(), window);
    if (!window || !keys.wait_for_menu()) {
        std::fprintf(stderr, "the calculator did not show its menu under Xvfb\n");
        return 1;
    }
    std::printf("%s\n", executable.c_str());
    rt_sleep_ms(settle_ms);
    print_figures("at the menu", program->pid());

    for (const auto& entry : every_entry()) {
        for (const std::string& line : entry)
            if (!keys.enter(line)) return 1;
        if (!keys.wait_for_menu()) {
            std::fprintf(stderr, "entry %s did not return to the menu\n", entry[0].c_str());
            return 1;
        }
    }
    if (printing && !cups.wait_for_completed_jobs(1, print_timeout_ms)) {
        std::fprintf(stderr, "the printed copy did not arrive\n");
        return 1;
    }
    rt_sleep_ms(settle_ms);
    print_figures(printing ? "after every entry (and one printed page)"
                           : "after every entry (no CUPS: nothing printed)",
                  program->pid());
    return 0;
}

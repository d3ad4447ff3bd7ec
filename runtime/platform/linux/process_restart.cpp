#include "runtime/platform/process_restart.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/platform/executable_path.h"

void platform_set_environment(const char* name, const char* value) {
    setenv(name, value, 1);
}

void platform_start_again() {
    // The arguments as the process was given them, each ended by a zero byte.
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<char*> argv;
    for (size_t at = 0; at < line.size();) {
        argv.push_back(const_cast<char*>(line.c_str() + at));
        const size_t end = line.find('\0', at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    argv.push_back(nullptr);
    execv(platform_executable_path().c_str(), argv.data());
}

#include "tests/support/program_environment.h"

#include <algorithm>
#include <cstdlib>

std::string program_launcher() {
    const char* launcher = std::getenv("MIRVA_LAUNCHER");
    return launcher ? launcher : "";
}

std::string program_path(const std::string& path) {
    if (program_launcher().empty()) return path;
    std::string windows_path = "Z:" + path;
    std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
    return windows_path;
}

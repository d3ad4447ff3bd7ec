#include "runtime/platform/executable_path.h"

#include <unistd.h>

#include <vector>

std::string platform_executable_path() {
    // A buffer of 65,536 bytes taken once, as the start-up asks for.
    static std::vector<char> buffer(65536);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    return std::string(buffer.data(), static_cast<size_t>(n));
}

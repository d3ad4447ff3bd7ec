#include "runtime/platform/executable_path.h"

#include <vector>

#include "runtime/platform/windows/windows_host.h"

std::string platform_executable_path() {
    // The longest path Windows knows, taken once.
    static std::vector<wchar_t> buffer(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return windows_utf8_of(std::wstring_view(buffer.data(), n));
}

#include "runtime/platform/console_streams.h"

#include <cstdio>

#include "runtime/platform/windows/windows_host.h"

namespace {

bool has_stream(DWORD which) {
    const HANDLE stream = GetStdHandle(which);
    return stream != nullptr && stream != INVALID_HANDLE_VALUE;
}

} // namespace

void platform_connect_console_streams() {
    // Streams given by the parent (redirected to a file or pipe) stay as they are.
    const bool has_output = has_stream(STD_OUTPUT_HANDLE), has_error = has_stream(STD_ERROR_HANDLE);
    if (has_output && has_error) return;
    // Started from the Start menu or Explorer there is no console to attach to, and nothing
    // is written anywhere.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!has_output) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
    if (!has_error) static_cast<void>(std::freopen("CONOUT$", "w", stderr));
}

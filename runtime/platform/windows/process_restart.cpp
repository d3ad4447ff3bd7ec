#include "runtime/platform/process_restart.h"

#include "runtime/platform/executable_path.h"
#include "runtime/platform/windows/windows_host.h"

void platform_set_environment(const char* name, const char* value) {
    SetEnvironmentVariableW(windows_utf16_of(name).c_str(), windows_utf16_of(value).c_str());
}

void platform_start_again() {
    // Windows cannot replace a running process: the new one runs with this one's
    // arguments, console and environment, and this one ends with its exit code.
    std::wstring command_line = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(windows_utf16_of(platform_executable_path()).c_str(), command_line.data(),
                        nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return;
    CloseHandle(started.hThread);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD exit_code = 1;
    GetExitCodeProcess(started.hProcess, &exit_code);
    ExitProcess(exit_code);
}

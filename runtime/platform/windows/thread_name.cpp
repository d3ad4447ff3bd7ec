#include "runtime/platform/thread_name.h"

#include "runtime/platform/windows/windows_host.h"

namespace {

using set_thread_description_function = HRESULT(WINAPI*)(HANDLE, PCWSTR);

// Windows 10 1607 and later; older systems leave threads unnamed.
set_thread_description_function find_set_thread_description() {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription");
    return reinterpret_cast<set_thread_description_function>(reinterpret_cast<void (*)()>(found));
}

} // namespace

void rt_name_this_thread(const char* name) {
    static const set_thread_description_function set = find_set_thread_description();
    if (set) set(GetCurrentThread(), windows_utf16_of(name).c_str());
}

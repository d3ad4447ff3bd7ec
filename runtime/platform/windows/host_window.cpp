// The freeglut window on Windows: its window procedure is wrapped so that the close button,
// Pause and Break, and repaints reach the window layer instead of freeglut, and the event
// loop sleeps in MsgWaitForMultipleObjects until a message or a new frame arrives.
#include "runtime/platform/host_window.h"

#include <atomic>
#include <vector>

#include "runtime/platform/key_identifiers.h"
#include "runtime/platform/windows/lock_keys.h"
#include "runtime/platform/windows/windows_host.h"

namespace {

struct taken_event {
    window_hook_kind kind;
    int32_t a, b;
};

// Window thread only: filled inside the window procedure, emptied at the next turn.
std::vector<taken_event> taken_events;
WNDPROC freeglut_procedure = nullptr;
bool window_is_unicode = false;
std::atomic<HANDLE> wake_event{nullptr};

void take(window_hook_kind kind, int32_t a = 0, int32_t b = 0) {
    taken_events.push_back({kind, a, b});
}

bool is_key_message(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

bool is_press(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

// True when the message is ours and freeglut must not see it.
bool take_message(HWND window, UINT message, WPARAM w) {
    if (is_key_message(message) || message == WM_SETFOCUS) windows_note_lock_states();
    switch (message) {
    case WM_CLOSE: // freeglut would destroy the window
        take(window_hook_kind::close);
        return true;
    case WM_PAINT: // freeglut would redraw a frame with nothing new
        ValidateRect(window, nullptr);
        take(window_hook_kind::exposed);
        return true;
    case WM_SYSCOMMAND: // Alt or F10 alone would open the window menu and keep the keys
        return (w & 0xFFF0) == SC_KEYMENU;
    default:
        break;
    }
    // Ctrl+Pause arrives as VK_CANCEL: that is Break.
    if (is_key_message(message) && (w == VK_PAUSE || w == VK_CANCEL)) {
        take(window_hook_kind::key, w == VK_CANCEL ? key_break : key_pause,
             is_press(message) ? 1 : 0);
        return true;
    }
    return false;
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (take_message(window, message, w)) return 0;
    return window_is_unicode ? CallWindowProcW(freeglut_procedure, window, message, w, l)
                             : CallWindowProcA(freeglut_procedure, window, message, w, l);
}

void wrap_window_procedure(HWND window) {
    window_is_unicode = IsWindowUnicode(window);
    const auto ours = reinterpret_cast<LONG_PTR>(window_procedure);
    const LONG_PTR previous = window_is_unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, ours)
                                                : SetWindowLongPtrA(window, GWLP_WNDPROC, ours);
    freeglut_procedure = reinterpret_cast<WNDPROC>(previous);
}

} // namespace

void host_window_attach() {
    wake_event.store(CreateEventW(nullptr, FALSE, FALSE, nullptr)); // one wake however many
    wrap_window_procedure(WindowFromDC(wglGetCurrentDC()));
    windows_note_lock_states();
}

void host_window_hand_on_events() {
    std::vector<taken_event> events;
    events.swap(taken_events); // the hook may run the window procedure again
    for (const taken_event& e : events) rt_window_hook(e.kind, e.a, e.b);
}

bool host_window_events_waiting() {
    return !taken_events.empty() || HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
}

bool host_window_sleep(int timeout_ms) {
    HANDLE event = wake_event.load();
    const DWORD timeout = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
    return MsgWaitForMultipleObjectsEx(1, &event, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
           WAIT_OBJECT_0;
}

void host_window_wake() {
    if (HANDLE event = wake_event.load()) SetEvent(event);
}

#include "runtime/platform/message_box.h"

#include <atomic>

#include "runtime/platform/clock.h"
#include "runtime/platform/windows/windows_host.h"

namespace {

constexpr DWORD no_box = 0;
constexpr int give_way_poll_ms = 10;
constexpr int give_way_limit_ms = 5000;

// The thread whose box is up (or about to come up), and the button that declines it.
std::atomic<DWORD> box_thread{no_box};
std::atomic<int> declining_button{IDOK};

UINT box_style(box_buttons buttons) {
    // System-modal: the box stays above every window until answered.
    return MB_SYSTEMMODAL | MB_SETFOREGROUND | (buttons == box_buttons::yes_no ? MB_YESNO : MB_OK);
}

box_answer answer_of(int button, box_buttons buttons) {
    switch (button) {
    case IDYES:
        return box_answer::yes;
    case IDNO:
        return box_answer::no;
    case IDOK:
        return box_answer::ok;
    default:
        return box_declining_answer(buttons);
    }
}

BOOL CALLBACK press_declining_button(HWND window, LPARAM) {
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(declining_button.load()), 0);
    return TRUE;
}

} // namespace

box_answer host_message_box(const std::string& caption, const std::string& text,
                            box_buttons buttons) {
    declining_button.store(buttons == box_buttons::yes_no ? IDNO : IDOK);
    box_thread.store(GetCurrentThreadId());
    const int button = platform_boxes_giving_way()
                           ? 0
                           : MessageBoxW(nullptr, windows_utf16_of(text).c_str(),
                                         windows_utf16_of(caption).c_str(), box_style(buttons));
    box_thread.store(no_box);
    return answer_of(button, buttons);
}

void host_message_boxes_give_way() {
    // The box may be on its way up: press its declining button until it has gone.
    for (int waited = 0; waited < give_way_limit_ms; waited += give_way_poll_ms) {
        const DWORD thread = box_thread.load();
        if (thread == no_box) return;
        EnumThreadWindows(thread, press_declining_button, 0);
        rt_sleep_ms(give_way_poll_ms);
    }
}

#include "runtime/platform/x11/x_keys.h"

#include "runtime/platform/clock.h"
#include "runtime/platform/key_identifiers.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <atomic>

namespace {

// The connection is opened on first use and kept for the life of the process; it is
// used only by the threads that ask, and Xlib locks it per call.
std::atomic<Display*> keyboard_display{nullptr};
std::atomic<int> connection_state{0}; // 0 not tried, 1 opening, 2 done (display may be null)

Display* connection() {
    int expected = 0;
    if (connection_state.compare_exchange_strong(expected, 1)) {
        keyboard_display.store(XOpenDisplay(nullptr));
        connection_state.store(2);
    }
    // Another thread may be opening it right now.
    while (connection_state.load() != 2) rt_sleep_ms(1);
    return keyboard_display.load();
}

// Indicator numbers of the three locks, looked up once; -1 when the keyboard has none.
struct lock_indicators {
    int caps = -1, num = -1, scroll = -1;
};

int indicator_index(Display* display, const char* name) {
    int index = -1;
    const Atom indicator = XInternAtom(display, name, False);
    if (!XkbGetNamedIndicator(display, indicator, &index, nullptr, nullptr, nullptr)) return -1;
    return index;
}

const lock_indicators& indicators_of(Display* display) {
    static const lock_indicators found{indicator_index(display, "Caps Lock"),
                                       indicator_index(display, "Num Lock"),
                                       indicator_index(display, "Scroll Lock")};
    return found;
}

// The indicator state from the watched connection's events; -1 until it is watched.
std::atomic<int> indicator_event_type{-1};
std::atomic<unsigned> watched_indicators{0};

bool bit_on(unsigned state, int index) {
    return index >= 0 && (state >> index & 1);
}

struct modifier_key {
    KeySym keysym;
    unsigned bit;
};

constexpr modifier_key modifier_keys[] = {
    {XK_Shift_L, held_left_shift},   {XK_Shift_R, held_right_shift}, {XK_Control_L, held_left_ctrl},
    {XK_Control_R, held_right_ctrl}, {XK_Alt_L, held_left_alt},      {XK_Alt_R, held_right_alt},
};

bool key_down(const char (&keymap)[32], KeyCode code) {
    return code != 0 && (keymap[code / 8] >> (code % 8) & 1);
}

} // namespace

// One request for all three when the indicators are not watched.
void platform_lock_states(bool& caps, bool& num, bool& scroll) {
    caps = num = scroll = false;
    Display* display = connection();
    if (!display) return;
    const lock_indicators& locks = indicators_of(display);
    unsigned state = 0;
    if (indicator_event_type.load() >= 0)
        state = watched_indicators.load();
    else if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success)
        return;
    caps = bit_on(state, locks.caps);
    num = bit_on(state, locks.num);
    scroll = bit_on(state, locks.scroll);
}

int platform_watch_lock_indicators(Display* display) {
    int opcode = 0, event_base = 0, error_base = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event_base, &error_base, &major, &minor)) return -1;
    if (!XkbSelectEventDetails(display, XkbUseCoreKbd, XkbIndicatorStateNotify,
                               XkbAllIndicatorsMask, XkbAllIndicatorsMask))
        return -1;
    // Selected first, then read: a change in between arrives as an event.
    unsigned state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success) return -1;
    watched_indicators.store(state);
    indicator_event_type.store(event_base);
    return event_base;
}

bool platform_is_indicator_event(const XEvent& event) {
    const int type = indicator_event_type.load();
    return type >= 0 && event.type == type &&
           reinterpret_cast<const XkbEvent&>(event).any.xkb_type == XkbIndicatorStateNotify;
}

void platform_keep_indicator_event(const XEvent& event) {
    watched_indicators.store(reinterpret_cast<const XkbEvent&>(event).indicators.state);
}

unsigned platform_held_modifiers() {
    Display* display = connection();
    if (!display) return 0;
    char keymap[32];
    XQueryKeymap(display, keymap);
    unsigned held = 0;
    for (const modifier_key& key : modifier_keys)
        if (key_down(keymap, XKeysymToKeycode(display, key.keysym))) held |= key.bit;
    return held;
}

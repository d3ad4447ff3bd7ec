#include "runtime/platform/host_window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>

#include <X11/Xatom.h>

#include <atomic>
#include <vector>

#include "runtime/platform/key_identifiers.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/x11/message_box_owner.h"
#include "runtime/platform/x11/window_icon.h"
#include "runtime/platform/x11/x11_event_claim.h"
#include "runtime/platform/x11/x_keys.h"

namespace {

// The character each claimed key stands for, as the window layer of the classic
// desktop delivers it, with the X modifier that makes freeglut get it wrong.
struct x_key_character {
    KeySym key;
    unsigned modifier;
    unsigned char character;
};

constexpr x_key_character x_key_characters[] = {
    {XK_Tab, ShiftMask, 9},
    {XK_Return, ControlMask, 10},
    {XK_KP_Enter, ControlMask, 10},
};

constexpr int x_keycodes = 256;
KeySym unshifted_keys[x_keycodes] = {};

const x_key_character* x_key_character_of(const XKeyEvent& event) {
    const KeySym key = x_key_symbol(event.keycode);
    for (const x_key_character& k : x_key_characters)
        if (k.key == key && (event.state & k.modifier)) return &k;
    return nullptr;
}

// freeglut's reading of the X modifier state.
int glut_modifiers_of(unsigned state) {
    int modifiers = 0;
    if (state & (ShiftMask | LockMask)) modifiers |= GLUT_ACTIVE_SHIFT;
    if (state & ControlMask) modifiers |= GLUT_ACTIVE_CTRL;
    if (state & Mod1Mask) modifiers |= GLUT_ACTIVE_ALT;
    return modifiers;
}

// The desktop entry's StartupWMClass; the instance is the entry's file name.
char window_instance[] = "mirvalentopraxius";
char window_class[] = "Mirvalentopraxius";

Display* window_display = nullptr;
Atom wm_delete_window = None;
bool key_mapping_changed = false;
std::atomic<int> wake_descriptor{-1};

// Events that freeglut would mishandle or never deliver: the close button (freeglut
// destroys the window on it), the Pause and Break keys, the keys freeglut would turn
// into other characters (Shift+Tab, Ctrl+Enter), the lock indicators' changes, and
// exposures, which freeglut would answer with a redisplay that draws nothing new.
// Runs while Xlib reads: no Xlib calls.
bool is_ours(const XEvent& event) {
    if (platform_is_indicator_event(event) || event.type == Expose) return true;
    if (event.type == MappingNotify) key_mapping_changed = true; // freeglut's too
    if (event.type == ClientMessage)
        return static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_window;
    if (event.type == KeyPress || event.type == KeyRelease) {
        const KeySym sym = x_key_symbol(event.xkey.keycode);
        return sym == XK_Pause || sym == XK_Break || keyboard_claims_x_key(event.xkey);
    }
    return false;
}

void claim_our_events(int indicator_event_type) {
    const int types[] = {Expose,     ClientMessage, KeyPress,
                         KeyRelease, MappingNotify, indicator_event_type};
    platform_claim_events(window_display, types, sizeof types / sizeof types[0], is_ours);
}

void hand_on(XEvent& event) {
    if (platform_is_indicator_event(event)) {
        platform_keep_indicator_event(event);
        return;
    }
    if (event.type == Expose) {
        if (event.xexpose.count == 0) rt_window_hook(window_hook_kind::exposed, 0, 0); // the last
        return;
    }
    if (event.type == ClientMessage) {
        rt_window_hook(window_hook_kind::close, 0, 0);
        return;
    }
    if (keyboard_claims_x_key(event.xkey)) {
        keyboard_x_key(event.xkey);
        return;
    }
    const bool pressed = event.type == KeyPress;
    // Ctrl+Pause arrives as Pause with the Control state on most layouts: that is Break.
    const bool is_break =
        x_key_symbol(event.xkey.keycode) == XK_Break || (event.xkey.state & ControlMask);
    rt_window_hook(window_hook_kind::key, is_break ? key_break : key_pause, pressed ? 1 : 0);
}

// Task bars and Alt+Tab show the window's own icon. Xlib passes 32-bit property items as
// longs.
void set_window_icon(Window window) {
    const std::vector<unsigned long> items(window_icon, window_icon + window_icon_length);
    XChangeProperty(window_display, window, XInternAtom(window_display, "_NET_WM_ICON", False),
                    XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(items.data()),
                    static_cast<int>(items.size()));
}

} // namespace

void keyboard_learn_x_keys(Display* display) {
    int first = 0, last = 0, per_keycode = 0;
    XDisplayKeycodes(display, &first, &last);
    // Asked of the server, not of Xlib's copy, which may not have taken a change yet.
    KeySym* mapping =
        XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per_keycode);
    if (!mapping) return;
    for (int code = first; code <= last && code < x_keycodes; ++code)
        unshifted_keys[code] = mapping[(code - first) * per_keycode];
    XFree(mapping);
}

KeySym x_key_symbol(unsigned keycode) {
    return keycode < x_keycodes ? unshifted_keys[keycode] : NoSymbol;
}

bool keyboard_claims_x_key(const XKeyEvent& event) {
    return (event.type == KeyPress || event.type == KeyRelease) && x_key_character_of(event);
}

void keyboard_x_key(const XKeyEvent& event) {
    const x_key_character* k = x_key_character_of(event);
    if (!k) return;
    const window_hook_kind kind =
        event.type == KeyPress ? window_hook_kind::character_down : window_hook_kind::character_up;
    rt_window_hook(kind, k->character, glut_modifiers_of(event.state));
}

void host_window_attach() {
    wake_descriptor.store(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    window_display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    platform_set_main_window(window); // message boxes stay above it
    // Task bars and docks match WM_CLASS to the installed desktop entry, and so show the
    // calculator's name and icon for its window.
    XClassHint hint{window_instance, window_class};
    XSetClassHint(window_display, window, &hint);
    set_window_icon(window);
    wm_delete_window = XInternAtom(window_display, "WM_DELETE_WINDOW", False);
    keyboard_learn_x_keys(window_display);
    claim_our_events(platform_watch_lock_indicators(window_display));
}

void host_window_hand_on_events() {
    if (key_mapping_changed) {
        key_mapping_changed = false;
        keyboard_learn_x_keys(window_display);
    }
    XEvent event;
    while (platform_take_claimed_event(event)) hand_on(event);
}

bool host_window_events_waiting() {
    return XPending(window_display) > 0 || platform_claimed_event_waiting();
}

bool host_window_sleep(int timeout_ms) {
    pollfd fds[2] = {{ConnectionNumber(window_display), POLLIN, 0},
                     {wake_descriptor.load(), POLLIN, 0}};
    poll(fds, 2, timeout_ms);
    if (!(fds[1].revents & POLLIN)) return false;
    eventfd_t wakes;
    eventfd_read(fds[1].fd, &wakes); // the counter starts again from 0
    return true;
}

void host_window_wake() {
    const int descriptor = wake_descriptor.load();
    if (descriptor >= 0) eventfd_write(descriptor, 1); // one wake however many frames
}

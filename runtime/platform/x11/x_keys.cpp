#include "runtime/platform/x11/x_keys.h"

#include <GL/freeglut.h>
#include <X11/keysym.h>

#include "runtime/platform/host_window.h"

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
    const int kind = event.type == KeyPress ? window_hook_character_down : window_hook_character_up;
    rt_window_hook(kind, k->character, glut_modifiers_of(event.state));
}

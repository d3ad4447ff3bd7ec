#include "runtime/platform/x11/x11_event_claim.h"

#include <cstdint>
// Last: it defines min and max as macros.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

namespace {

using wire_to_event = Bool (*)(Display*, XEvent*, xEvent*);

constexpr int event_types = 128; // X event codes are 7 bits; the top bit marks sent events
wire_to_event converters[event_types] = {};
x11_event_claim claim_test = nullptr;

// Claimed events wait here for the window thread, the only reader of its connection.
constexpr uint32_t claimed_capacity = 256;
XEvent claimed[claimed_capacity];
uint32_t claimed_head = 0, claimed_tail = 0;

// Xlib's conversion, then the claim; a claimed event is not queued. With no room left it
// stays in the queue, where at worst freeglut takes it as before.
Bool convert_and_claim(Display* display, XEvent* event, xEvent* wire) {
    const int type = wire->u.u.type & 0x7F;
    if (!converters[type](display, event, wire)) return False;
    if (claimed_tail - claimed_head == claimed_capacity || !claim_test(*event)) return True;
    claimed[claimed_tail++ % claimed_capacity] = *event;
    return False;
}

} // namespace

void platform_claim_events(Display* display, const int* types, int count, x11_event_claim claims) {
    claim_test = claims;
    for (int i = 0; i < count; ++i) {
        const int type = types[i];
        if (type <= 0 || type >= event_types) continue;
        const wire_to_event previous = XESetWireToEvent(display, type, convert_and_claim);
        if (previous != convert_and_claim) converters[type] = previous; // not claimed twice
    }
}

bool platform_take_claimed_event(XEvent& event) {
    if (claimed_head == claimed_tail) return false;
    event = claimed[claimed_head++ % claimed_capacity];
    return true;
}

bool platform_claimed_event_waiting() {
    return claimed_head != claimed_tail;
}

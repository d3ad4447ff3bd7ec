#include "runtime/platform/gl_present.h"

// WGL has no way to show part of the back buffer: every frame is drawn whole and swapped,
// so the window layer never asks to show a part.
bool platform_can_present_part() {
    return false;
}

void platform_present_part(int, int, int, int, int) {}

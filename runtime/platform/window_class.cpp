#include "runtime/platform/window_class.h"

#include <X11/Xutil.h>

namespace {

// The desktop entry's StartupWMClass; the instance is the entry's file name.
char window_instance[] = "mirvalentopraxius";
char window_class[] = "Mirvalentopraxius";

} // namespace

void platform_set_window_class(Display* display, unsigned long xid) {
    XClassHint hint{window_instance, window_class};
    XSetClassHint(display, xid, &hint);
}

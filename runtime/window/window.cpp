#include "runtime/window/window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/window_class.h"
#include "runtime/platform/x11_event_claim.h"
#include "runtime/platform/x11_keyboard_state.h"
#include "runtime/window/display.h"
#include "runtime/window/frame_ring.h"
#include "runtime/window/glut_keys.h"
#include "runtime/window/key_identifiers.h"
#include "runtime/window/keyboard.h"
#include "runtime/window/x_keys.h"

namespace {

constexpr int redisplay_period_ms = 8;
Atom wm_delete_window = None;
bool key_mapping_changed = false;
const char* program_name = "";
void (*settle_before_failing)() = nullptr;

// Start-up work still in flight settles before freeglut's failure ends the process: it
// may end the process itself, as it would have done had it finished before glutInit. The
// message and the exit code are freeglut's own.
[[noreturn]] void glut_init_failed(const char* format, va_list arguments) {
    settle_before_failing();
    std::fprintf(stderr, "freeglut (%s): ", program_name);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    std::exit(1);
}

// Posting a redisplay only when there is something to draw keeps an idle window cheap;
// the display callback would return at once anyway.
void redisplay_timer(int) {
    if (display_needs_drawing()) glutPostRedisplay();
    glutTimerFunc(redisplay_period_ms, redisplay_timer, 0);
}

void mouse_callback(int, int, int, int) {}
void motion_callback(int, int) {}
void wheel_callback(int, int, int, int) {}

void register_callbacks() {
    glutDisplayFunc(display_callback);
    glutTimerFunc(redisplay_period_ms, redisplay_timer, 0);
    glutKeyboardFunc(keyboard_callback);
    glutKeyboardUpFunc(keyboard_up_callback);
    glutSpecialFunc(special_callback);
    glutSpecialUpFunc(special_up_callback);
    glutMouseFunc(mouse_callback);
    glutMotionFunc(motion_callback);
    glutPassiveMotionFunc(motion_callback);
    glutReshapeFunc(reshape_callback);
    glutMouseWheelFunc(wheel_callback);
}

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

void claim_our_events(Display* display, int indicator_event_type) {
    const int types[] = {Expose,     ClientMessage, KeyPress,
                         KeyRelease, MappingNotify, indicator_event_type};
    platform_claim_events(display, types, sizeof types / sizeof types[0], is_ours);
}

void handle_ours(XEvent& event) {
    if (platform_is_indicator_event(event)) {
        platform_keep_indicator_event(event);
        return;
    }
    if (event.type == Expose) {
        if (event.xexpose.count == 0) { // the last of a series
            expose_callback();
            glutPostRedisplay();
        }
        return;
    }
    if (event.type == ClientMessage) {
        rt_window_hook(window_hook_close, 0, 0);
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
    rt_window_hook(window_hook_key, is_break ? key_break : key_pause, pressed ? 1 : 0);
}

void handle_claimed_events(Display* display) {
    if (key_mapping_changed) {
        key_mapping_changed = false;
        keyboard_learn_x_keys(display);
    }
    XEvent event;
    while (platform_take_claimed_event(event)) handle_ours(event);
}

// Sleeps until an X event arrives or, while a frame waits to be drawn, until the
// redisplay timer is due. With nothing to draw it sleeps until the frame builder
// publishes a frame, so an idle window costs nothing.
void wait_for_events(Display* display, int64_t next_tick) {
    const int64_t now = rt_clock_ms();
    const bool drawing_due = display_needs_drawing();
    // Reading the queue may claim events: asked after it.
    if (XPending(display) > 0 || platform_claimed_event_waiting() ||
        (drawing_due && now >= next_tick))
        return;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {frame_ready_descriptor(), POLLIN, 0}};
    poll(fds, 2, drawing_due ? static_cast<int>(next_tick - now) : -1);
    if (fds[1].revents & POLLIN) {
        frame_ready_drain();
        glutPostRedisplay(); // a new frame is drawn at once, not at the next timer turn
    }
}

} // namespace

void window_prepare(int argc, char** argv, void (*settle)()) {
    program_name = argv[0];
    settle_before_failing = settle;
    glutInitErrorFunc(glut_init_failed);
    glutInit(&argc, argv);
    glutInitErrorFunc(nullptr); // later errors take freeglut's own way
}

void window_run() {
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(1024, 552);
    glutCreateWindow("Untitled");
    window_ready.store(1);
    register_callbacks();
    platform_set_main_window(glXGetCurrentDrawable()); // message boxes stay above it

    Display* display = glXGetCurrentDisplay();
    platform_set_window_class(display, glXGetCurrentDrawable());
    wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    keyboard_learn_x_keys(display);
    claim_our_events(display, platform_watch_lock_indicators(display));
    int64_t next_tick = rt_clock_ms() + redisplay_period_ms;
    for (;;) {
        handle_claimed_events(display);
        glutMainLoopEvent();
        if (rt_clock_ms() >= next_tick) next_tick = rt_clock_ms() + redisplay_period_ms;
        wait_for_events(display, next_tick);
    }
}

void rt_window_hook(int kind, int32_t a, int32_t b) {
    if (kind == window_hook_close) close_request.fetch_or(1);
    if (kind == window_hook_key) keyboard_hook_key(a, b);
    // Mouse movement feeds no mouse queue here.
}

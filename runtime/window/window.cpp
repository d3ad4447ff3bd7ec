#include "runtime/window/window.h"

#include <GL/freeglut.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/host_window.h"
#include "runtime/window/display.h"
#include "runtime/window/frame_ring.h"
#include "runtime/window/glut_keys.h"

namespace {

constexpr int redisplay_period_ms = 8;
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

// Sleeps until an event arrives or, while a frame waits to be drawn, until the redisplay
// timer is due. With nothing to draw it sleeps until the frame builder publishes a frame,
// so an idle window costs nothing.
void wait_for_events(int64_t next_tick) {
    const int64_t now = rt_clock_ms();
    const bool drawing_due = display_needs_drawing();
    // Reading the queue may take events: asked after it.
    if (host_window_events_waiting() || (drawing_due && now >= next_tick)) return;
    // A new frame is drawn at once, not at the next timer turn.
    if (host_window_sleep(drawing_due ? static_cast<int>(next_tick - now) : -1))
        glutPostRedisplay();
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
    register_callbacks();
    host_window_attach();
    run_control.window_ready.store(1);
    int64_t next_tick = rt_clock_ms() + redisplay_period_ms;
    for (;;) {
        host_window_hand_on_events();
        glutMainLoopEvent();
        if (rt_clock_ms() >= next_tick) next_tick = rt_clock_ms() + redisplay_period_ms;
        wait_for_events(next_tick);
    }
}

void window_set_scale(int scale) {
    display.scale = scale;
}

void window_start_full_screen() {
    display_toggle_full_screen();
}

void rt_window_hook(window_hook_kind kind, int32_t a, int32_t b) {
    switch (kind) {
    case window_hook_kind::close:
        return void(run_control.close_request.fetch_or(1));
    case window_hook_kind::key:
        return keyboard_hook_key(a, b);
    case window_hook_kind::exposed:
        return expose_callback();
    case window_hook_kind::character_down:
        return keyboard_char_down(static_cast<unsigned char>(a), b);
    case window_hook_kind::character_up:
        return keyboard_char_up(static_cast<unsigned char>(a), b);
    }
}

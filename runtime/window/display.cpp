#include "runtime/window/display.h"

#include <GL/freeglut.h>
#include <GL/glext.h> // GL_BGRA and GL_CLAMP_TO_EDGE: Windows' own header stops at OpenGL 1.1
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "runtime/core/run_control.h"
#include "runtime/platform/gl_present.h"
#include "runtime/platform/heap.h"
#include "runtime/window/frame_ring.h"

display_state display;

namespace {

// The window's size as the GL library last took it: at a swap, or at the first reshape.
int gl_width = 0, gl_height = 0;

// The GL library takes a new window size only at a swap; a picture drawn before that lands
// in buffers of the old size, shifted by the difference in height. One swap right after
// the resize, before anything is drawn, shows what the back buffer already holds (the last
// picture, or black before the first) and sizes the buffers for the next picture.
void adopt_window_size(int width, int height) {
    const bool changed = width != gl_width || height != gl_height;
    if (gl_width != 0 && changed && !run_control.paused.load()) glutSwapBuffers();
    gl_width = width;
    gl_height = height;
}

// Where the GL stack can show part of the back buffer, frames are never swapped in: the
// back buffer then always holds the whole picture last drawn, and a new frame is drawn and
// shown only where it differs from that one.
struct back_buffer_picture {
    int32_t width = 0, height = 0;
    bool valid = false;        // the back buffer holds the last slot drawn, of this size
    bool owed_showing = false; // drawn while paused: the window is shown whole next time
};

back_buffer_picture back_picture;

void mark_older_slots_done() {
    const int32_t newest = frame_newest.load();
    int32_t slot = frame_oldest.load();
    if (slot == 0) return;
    while (slot != newest) {
        frame_ring[slot].done.store(1);
        slot = frame_ring_next(slot);
    }
}

void reset_pass_state() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

picture_rect whole_of(const frame_slot& slot) {
    return {0, 0, slot.width, slot.height};
}

// The picture lands at the window's top-left corner, each pixel as a square of the scale's
// size; only the part is drawn.
void draw_unscaled(const frame_slot& slot, const picture_rect& part) {
    const int scale = display.scale;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, display.window_width, display.window_height);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, display.window_width, display.window_height, 0, -1, 1);
    glRasterPos2i(part.x * scale, part.y * scale);
    glPixelZoom(static_cast<GLfloat>(scale), static_cast<GLfloat>(-scale));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, slot.width);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, part.x);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, part.y);
    glDrawPixels(part.width, part.height, GL_BGRA, GL_UNSIGNED_BYTE, slot.pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
}

// The largest rectangle of the picture's aspect in the window, centred: the bars beside
// it stay black.
picture_rect kept_aspect_rect(const frame_slot& slot) {
    const double factor = std::min(static_cast<double>(display.window_width) / slot.width,
                                   static_cast<double>(display.window_height) / slot.height);
    const auto width = static_cast<int32_t>(std::lround(slot.width * factor));
    const auto height = static_cast<int32_t>(std::lround(slot.height * factor));
    return {(display.window_width - width) / 2, (display.window_height - height) / 2, width,
            height};
}

// The picture stretched as a texture over the rectangle onto.
void draw_stretched(const frame_slot& slot, const picture_rect& onto) {
    const GLuint texture = 0xFFFFFFFFu;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, slot.width, slot.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 slot.pixels);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, display.window_width, 0, display.window_height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1, -1, 1);
    glTranslatef(0, static_cast<GLfloat>(-display.window_height), 0);
    glViewport(0, 0, display.window_width, display.window_height);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    display.smoothing ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const auto left = static_cast<float>(onto.x), top = static_cast<float>(onto.y);
    const auto right = static_cast<float>(onto.x + onto.width);
    const auto bottom = static_cast<float>(onto.y + onto.height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(left, top);
    glTexCoord2f(1, 0), glVertex2f(right, top);
    glTexCoord2f(1, 1), glVertex2f(right, bottom);
    glTexCoord2f(0, 1), glVertex2f(left, bottom);
    glEnd();
}

void draw_frame(const frame_slot& slot) {
    for (int pass = 1; pass <= 4; ++pass) {
        reset_pass_state();
        if (pass != 1) continue;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (display.full_screen)
            draw_stretched(slot, kept_aspect_rect(slot));
        else if (display.stretch)
            draw_stretched(slot, {0, 0, display.window_width, display.window_height});
        else
            draw_unscaled(slot, whole_of(slot));
    }
}

// The window takes the picture's size (times the scale) unless the picture is stretched.
bool follows_picture() {
    return !display.stretch && !display.full_screen;
}

bool shown_in_parts() {
    return follows_picture() && platform_can_present_part();
}

void keep_back_picture(const frame_slot& slot) {
    back_picture.width = slot.width;
    back_picture.height = slot.height;
    back_picture.valid = true;
}

bool back_picture_fits(const frame_slot& slot) {
    return back_picture.valid && back_picture.width == slot.width &&
           back_picture.height == slot.height;
}

void present_whole_window() {
    platform_present_part(0, 0, display.window_width, display.window_height, display.window_height);
}

// The GL stack learns of a new window size only at a swap: the frame is drawn and swapped
// in as usual, then drawn again into the back buffer of the new size, which from then on
// holds the whole picture.
void show_whole(const frame_slot& slot) {
    draw_frame(slot);
    if (run_control.paused.load()) {
        back_picture.valid = false; // not swapped: drawn whole again when shown
        return;
    }
    glutSwapBuffers();
    draw_frame(slot);
    present_whole_window();
    keep_back_picture(slot);
    back_picture.owed_showing = false;
}

// Draws what changed since the slot the back buffer holds and copies that part to the
// window (all of it after drawing while paused).
void show_in_parts(const frame_slot& slot, bool redraw_all) {
    if (redraw_all || !back_picture_fits(slot)) {
        show_whole(slot);
        return;
    }
    const picture_rect& part = slot.unshown;
    if (!part.empty()) {
        reset_pass_state();
        draw_unscaled(slot, part);
    }
    if (run_control.paused.load()) {
        back_picture.owed_showing = back_picture.owed_showing || !part.empty();
        return;
    }
    if (back_picture.owed_showing)
        present_whole_window();
    else if (!part.empty())
        platform_present_part(part.x * display.scale, part.y * display.scale,
                              part.width * display.scale, part.height * display.scale,
                              display.window_height);
    back_picture.owed_showing = false;
}

// freeglut covers the screen with the window, or gives it back its size; the reshape that
// follows draws the picture again.
void change_full_screen() {
    display.full_screen = !display.full_screen;
    glutFullScreenToggle();
}

} // namespace

void display_callback() {
    if (display.full_screen_change.exchange(false)) change_full_screen();
    const int32_t newest = frame_newest.load();
    if (newest == 0) return;
    mark_older_slots_done();
    frame_slot& slot = frame_ring[newest];
    if (slot.shown.load() && !display.forced_redraw) return;
    const bool redraw_all = display.forced_redraw;
    display.forced_redraw = false;
    const int window_width = slot.width * display.scale;
    const int window_height = slot.height * display.scale;
    const bool size_differs =
        window_width != display.window_width || window_height != display.window_height;
    const bool picture_changed =
        slot.width != display.drawn_width || slot.height != display.drawn_height;
    if (follows_picture() && size_differs && (display.follow_picture_size || picture_changed)) {
        glutReshapeWindow(window_width, window_height);
        glutPostRedisplay();
        display.resize_pending = true;
        return;
    }
    display.drawn_width = slot.width;
    display.drawn_height = slot.height;
    slot.shown.store(1);
    if (shown_in_parts()) {
        show_in_parts(slot, redraw_all || picture_changed);
        mark_older_slots_done();
    } else {
        back_picture.valid = false; // a swap leaves the back buffer undefined
        draw_frame(slot);
        mark_older_slots_done();
        if (!run_control.paused.load()) glutSwapBuffers();
    }
    // The buffers of the old size are free now.
    if (picture_changed) platform_trim_heap();
}

bool display_needs_drawing() {
    const int32_t newest = frame_newest.load();
    return display.full_screen_change.load() ||
           (newest != 0 && (!frame_ring[newest].shown.load() || display.forced_redraw));
}

void reshape_callback(int width, int height) {
    display.previous_width = display.window_width;
    display.previous_height = display.window_height;
    display.window_width = width;
    display.window_height = height;
    display.resize_pending = false;
    display.forced_redraw = true;
    back_picture.valid = false; // a resized back buffer holds nothing to build on
    adopt_window_size(width, height);
}

void expose_callback() {
    display.forced_redraw = true;
    glutPostRedisplay();
}

// Two presses before the next display call undo each other.
void display_toggle_full_screen() {
    display.full_screen_change.store(!display.full_screen_change.load());
}

#include "runtime/window/display.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <malloc.h>

#include "runtime/core/run_control.h"
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
    if (gl_width != 0 && changed && !paused.load()) glutSwapBuffers();
    gl_width = width;
    gl_height = height;
}

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

// The picture lands 1:1 at the window's top-left corner.
void draw_unscaled(const frame_slot& slot) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, display.window_width, display.window_height);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, display.window_width, display.window_height, 0, -1, 1);
    glRasterPos2i(0, 0);
    glPixelZoom(1, -1);
    glDrawPixels(slot.width, slot.height, GL_BGRA, GL_UNSIGNED_BYTE, slot.pixels);
}

// The picture stretched over the window as a texture.
void draw_stretched(const frame_slot& slot) {
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
    const float w = static_cast<float>(display.window_width);
    const float h = static_cast<float>(display.window_height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(1, 0), glVertex2f(w, 0);
    glTexCoord2f(1, 1), glVertex2f(w, h);
    glTexCoord2f(0, 1), glVertex2f(0, h);
    glEnd();
}

void draw_frame(const frame_slot& slot) {
    for (int pass = 1; pass <= 4; ++pass) {
        reset_pass_state();
        if (pass != 1) continue;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (display.stretch)
            draw_stretched(slot);
        else
            draw_unscaled(slot);
    }
}

} // namespace

void display_callback() {
    const int32_t newest = frame_newest.load();
    if (newest == 0) return;
    mark_older_slots_done();
    frame_slot& slot = frame_ring[newest];
    if (slot.shown.load() && !display.forced_redraw) return;
    display.forced_redraw = false;
    const bool size_differs =
        slot.width != display.window_width || slot.height != display.window_height;
    const bool picture_changed =
        slot.width != display.drawn_width || slot.height != display.drawn_height;
    if (!display.stretch && size_differs && (display.follow_picture_size || picture_changed)) {
        glutReshapeWindow(slot.width, slot.height);
        glutPostRedisplay();
        display.resize_pending = true;
        return;
    }
    display.drawn_width = slot.width;
    display.drawn_height = slot.height;
    slot.shown.store(1);
    draw_frame(slot);
    mark_older_slots_done();
    if (!paused.load()) glutSwapBuffers();
    // The buffers of the old size are free now; the C heap keeps freed memory for reuse,
    // so a change of screen would otherwise leave megabytes resident that nothing uses.
    if (picture_changed) malloc_trim(0);
}

bool display_needs_drawing() {
    const int32_t newest = frame_newest.load();
    return newest != 0 && (!frame_ring[newest].shown.load() || display.forced_redraw);
}

void reshape_callback(int width, int height) {
    display.previous_width = display.window_width;
    display.previous_height = display.window_height;
    display.window_width = width;
    display.window_height = height;
    display.resize_pending = false;
    display.forced_redraw = true;
    adopt_window_size(width, height);
}

#pragma once
// The host's way into the keyboard: freeglut's keyboard callbacks and the keys the host
// window hands on, turned into key identifiers. The *_down/_up functions take the
// modifiers freeglut reports, so that tests drive the same path.
#include <cstdint>

void keyboard_char_down(unsigned char key, int glut_modifiers);
void keyboard_char_up(unsigned char key, int glut_modifiers);
void keyboard_special_down(int key, int glut_modifiers);
void keyboard_special_up(int key, int glut_modifiers);

// window_hook_kind::key from the window layer: Pause (100019) or Break (100318), direction > 0
// pressed, otherwise released; other identifiers are ignored.
void keyboard_hook_key(int32_t id, int32_t direction);

// Registered with glutKeyboardFunc, glutKeyboardUpFunc, glutSpecialFunc and
// glutSpecialUpFunc; the mouse position is ignored.
void keyboard_callback(unsigned char key, int x, int y);
void keyboard_up_callback(unsigned char key, int x, int y);
void special_callback(int key, int x, int y);
void special_up_callback(int key, int x, int y);

#pragma once
// freeglut's keyboard callbacks and the key handling they feed. The *_down/_up
// functions take the modifiers freeglut reports, so that tests drive the same path.

void keyboard_char_down(unsigned char key, int glut_modifiers);
void keyboard_char_up(unsigned char key, int glut_modifiers);
void keyboard_special_down(int key, int glut_modifiers);
void keyboard_special_up(int key, int glut_modifiers);

// Registered with glutKeyboardFunc, glutKeyboardUpFunc, glutSpecialFunc and
// glutSpecialUpFunc; the mouse position is ignored.
void keyboard_callback(unsigned char key, int x, int y);
void keyboard_up_callback(unsigned char key, int x, int y);
void special_callback(int key, int x, int y);
void special_up_callback(int key, int x, int y);

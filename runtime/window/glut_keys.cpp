#include "runtime/window/glut_keys.h"

#include <GL/freeglut.h>

#include <cstdint>

#include "runtime/platform/key_identifiers.h"
#include "runtime/window/held_keys.h"
#include "runtime/window/keyboard.h"

namespace {

struct special_key {
    int glut_key;
    int32_t id;
};

constexpr special_key special_keys[] = {
    {1, 0x3B00},
    {2, 0x3C00},
    {3, 0x3D00},
    {4, 0x3E00},
    {5, 0x3F00},
    {6, 0x4000},
    {7, 0x4100},
    {8, 0x4200},
    {9, 0x4300},
    {10, 0x4400},
    {11, 0x8500},
    {12, 0x8600},
    {100, 0x4B00},
    {101, 0x4800},
    {102, 0x4D00},
    {103, 0x5000},
    {104, 0x4900},
    {105, 0x5100},
    {106, 0x4700},
    {107, 0x4F00},
    {108, 0x5200},
    {112, key_left_shift},
    {113, key_right_shift},
    {114, key_left_ctrl},
    {115, key_right_ctrl},
    {116, key_left_alt},
    {117, key_right_alt},
};

constexpr unsigned char delete_character = 127;

int32_t special_key_id(int key) {
    for (const special_key& k : special_keys)
        if (k.glut_key == key) return k.id;
    return 0;
}

void let_go_both(int32_t left, int32_t right) {
    if (key_is_held(left)) key_release(left);
    if (key_is_held(right)) key_release(right);
}

// A modifier released while the window had no focus leaves no release event behind;
// freeglut's modifier state tells. Its Shift includes Caps Lock, so Shift is only
// ever let go by it, never pressed.
void follow_glut_modifiers(int glut_modifiers) {
    if (!(glut_modifiers & GLUT_ACTIVE_SHIFT)) let_go_both(key_left_shift, key_right_shift);
    if (!(glut_modifiers & GLUT_ACTIVE_CTRL))
        let_go_both(key_left_ctrl, key_right_ctrl);
    else if (!ctrl_held())
        key_press_state(key_left_ctrl);
    if (!(glut_modifiers & GLUT_ACTIVE_ALT))
        let_go_both(key_left_alt, key_right_alt);
    else if (!alt_held())
        key_press_state(key_left_alt);
}

// With Ctrl the window delivers control codes: give back the letter (and Enter).
int32_t character_key_id(unsigned char key, int glut_modifiers) {
    int32_t c = key;
    if (glut_modifiers & GLUT_ACTIVE_CTRL) {
        if (c == 10)
            c = 13;
        else if (c >= 1 && c <= 26)
            c += shift_held() ? 64 : 96;
    }
    return c == delete_character ? key_delete : c;
}

} // namespace

void keyboard_char_down(unsigned char key, int glut_modifiers) {
    follow_glut_modifiers(glut_modifiers);
    key_press(character_key_id(key, glut_modifiers));
}

void keyboard_char_up(unsigned char key, int glut_modifiers) {
    follow_glut_modifiers(glut_modifiers);
    key_release(character_key_id(key, glut_modifiers));
}

void keyboard_special_down(int key, int glut_modifiers) {
    const int32_t id = special_key_id(key);
    if (id == 0) return;
    follow_glut_modifiers(glut_modifiers);
    key_press(id);
}

void keyboard_special_up(int key, int glut_modifiers) {
    const int32_t id = special_key_id(key);
    if (id == 0) return;
    follow_glut_modifiers(glut_modifiers);
    key_release(id);
}

void keyboard_callback(unsigned char key, int, int) {
    keyboard_char_down(key, glutGetModifiers());
}
void keyboard_up_callback(unsigned char key, int, int) {
    keyboard_char_up(key, glutGetModifiers());
}
void special_callback(int key, int, int) {
    keyboard_special_down(key, glutGetModifiers());
}
void special_up_callback(int key, int, int) {
    keyboard_special_up(key, glutGetModifiers());
}

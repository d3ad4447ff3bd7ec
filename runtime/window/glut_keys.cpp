#include "runtime/window/glut_keys.h"

#include <GL/freeglut.h>

#include "runtime/platform/key_identifiers.h"
#include "runtime/window/keyboard.h"

namespace {

struct special_key {
    int glut_key;
    int32_t id;
};

constexpr special_key special_keys[] = {
    {GLUT_KEY_F1, 0x3B00},
    {GLUT_KEY_F2, 0x3C00},
    {GLUT_KEY_F3, 0x3D00},
    {GLUT_KEY_F4, 0x3E00},
    {GLUT_KEY_F5, 0x3F00},
    {GLUT_KEY_F6, 0x4000},
    {GLUT_KEY_F7, 0x4100},
    {GLUT_KEY_F8, 0x4200},
    {GLUT_KEY_F9, 0x4300},
    {GLUT_KEY_F10, 0x4400},
    {GLUT_KEY_F11, 0x8500},
    {GLUT_KEY_F12, 0x8600},
    {GLUT_KEY_LEFT, key_left},
    {GLUT_KEY_UP, 0x4800},
    {GLUT_KEY_RIGHT, 0x4D00},
    {GLUT_KEY_DOWN, 0x5000},
    {GLUT_KEY_PAGE_UP, 0x4900},
    {GLUT_KEY_PAGE_DOWN, 0x5100},
    {GLUT_KEY_HOME, 0x4700},
    {GLUT_KEY_END, 0x4F00},
    {GLUT_KEY_INSERT, 0x5200},
    {GLUT_KEY_SHIFT_L, key_left_shift},
    {GLUT_KEY_SHIFT_R, key_right_shift},
    {GLUT_KEY_CTRL_L, key_left_ctrl},
    {GLUT_KEY_CTRL_R, key_right_ctrl},
    {GLUT_KEY_ALT_L, key_left_alt},
    {GLUT_KEY_ALT_R, key_right_alt},
};

constexpr unsigned char delete_character = 127;

int32_t special_key_id(int key) {
    for (const special_key& k : special_keys)
        if (k.glut_key == key) return k.id;
    return 0;
}

host_modifiers modifiers_of(int glut_modifiers) {
    return {(glut_modifiers & GLUT_ACTIVE_SHIFT) != 0, (glut_modifiers & GLUT_ACTIVE_CTRL) != 0,
            (glut_modifiers & GLUT_ACTIVE_ALT) != 0};
}

int32_t character_key_id(unsigned char key) {
    return key == delete_character ? key_delete : key;
}

} // namespace

void keyboard_char_down(unsigned char key, int glut_modifiers) {
    host_key(character_key_id(key), true, modifiers_of(glut_modifiers));
}

void keyboard_char_up(unsigned char key, int glut_modifiers) {
    host_key(character_key_id(key), false, modifiers_of(glut_modifiers));
}

void keyboard_special_down(int key, int glut_modifiers) {
    if (const int32_t id = special_key_id(key)) host_key(id, true, modifiers_of(glut_modifiers));
}

void keyboard_special_up(int key, int glut_modifiers) {
    if (const int32_t id = special_key_id(key)) host_key(id, false, modifiers_of(glut_modifiers));
}

void keyboard_hook_key(int32_t id, int32_t direction) {
    if (id != key_pause && id != key_break) return;
    if (direction > 0)
        key_press(id);
    else
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

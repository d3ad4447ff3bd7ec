#include "tests/monkey/monkey_keys.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <span>
#include <string_view>

#include "runtime/window/glut_keys.h"

namespace {

constexpr int none = 0, shift = GLUT_ACTIVE_SHIFT, ctrl = GLUT_ACTIVE_CTRL, alt = GLUT_ACTIVE_ALT;

constexpr int arrows[] = {GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN};
constexpr int function_keys[] = {GLUT_KEY_F1, GLUT_KEY_F2,  GLUT_KEY_F3,  GLUT_KEY_F4,
                                 GLUT_KEY_F5, GLUT_KEY_F6,  GLUT_KEY_F7,  GLUT_KEY_F8,
                                 GLUT_KEY_F9, GLUT_KEY_F10, GLUT_KEY_F11, GLUT_KEY_F12};
constexpr int page_keys[] = {GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME, GLUT_KEY_END,
                             GLUT_KEY_INSERT};

// One kind of key: drawn with its weight, then one of its characters or special keys.
struct key_family {
    int weight;
    std::string_view characters; // empty for a family of special keys
    std::span<const int> specials;
    int modifiers = none;
    bool ends_line = false;
};

constexpr key_family key_families[] = {
    {30, "0123456789", {}},
    {5, ".", {}},
    {5, "+-", {}},
    {4, "eE", {}},
    {4, "yYnN", {}},
    {8, "abcdfghijklmopqrstuvwxzABCDFGHIJKLMOPQRSTUVWXZ", {}},
    {2, ",", {}},
    {2, "\"'", {}},
    {2, " ", {}},
    {8, "\r", {}, none, true},
    {1, "m", {}, ctrl, true}, // Ctrl+M is Enter as well
    {6, "\b", {}},
    {2, "\t", {}},
    {2, "\x1b", {}},
    {1, "\x7f", {}}, // Delete
    {3, {}, arrows},
    {3, {}, function_keys},
    {2, {}, page_keys},
    {1, "\t", {}, shift},
    {1, {}, function_keys, shift},
    {4, "abcdefghijklnopqrstuvwxyz[]\\26-", {}, ctrl},
    {1, {}, function_keys, ctrl},
    {1, {}, arrows, ctrl},
    {3, "0123456789abcdefghijklmnopqrstuvwxyz-=\r", {}, alt}, // Alt+Enter is taken by the window
    {1, {}, function_keys, alt},
};

constexpr const char* answers[] = {
    "",   "y",    "Y",     "yes", "YeS",   "n",     "NO",       "1",      "2",
    "12", "0.25", ".0625", "1.5", "45",    "60",    "90",       "0.45",   "30",
    "-3", "0",    "-0.5",  "1e3", "3E+38", "1E-45", "99999999", "-32768",
};

constexpr int total_weight() {
    int sum = 0;
    for (const key_family& f : key_families) sum += f.weight;
    return sum;
}

const key_family& random_family(std::mt19937_64& random) {
    int left = static_cast<int>(random_below(random, total_weight()));
    for (const key_family& f : key_families) {
        if (left < f.weight) return f;
        left -= f.weight;
    }
    return key_families[0];
}

// With Ctrl held the window delivers control codes for letters and @ to _.
unsigned char delivered(char c, int modifiers) {
    const auto code = static_cast<unsigned char>(c);
    constexpr unsigned char control_range_start = 0x40, control_mask = 0x1F;
    return (modifiers & ctrl) && code >= control_range_start ? code & control_mask : code;
}

struct modifier_key {
    int modifier;
    int glut_key;
    const char* name;
};
constexpr modifier_key modifier_keys[] = {
    {shift, 112, "Shift+"}, // left Shift, Ctrl and Alt
    {ctrl, 114, "Ctrl+"},
    {alt, 116, "Alt+"},
};

struct special_name {
    int glut_key;
    const char* name;
};
constexpr special_name special_names[] = {
    {GLUT_KEY_F1, "F1"},     {GLUT_KEY_F2, "F2"},          {GLUT_KEY_F3, "F3"},
    {GLUT_KEY_F4, "F4"},     {GLUT_KEY_F5, "F5"},          {GLUT_KEY_F6, "F6"},
    {GLUT_KEY_F7, "F7"},     {GLUT_KEY_F8, "F8"},          {GLUT_KEY_F9, "F9"},
    {GLUT_KEY_F10, "F10"},   {GLUT_KEY_F11, "F11"},        {GLUT_KEY_F12, "F12"},
    {GLUT_KEY_LEFT, "Left"}, {GLUT_KEY_UP, "Up"},          {GLUT_KEY_RIGHT, "Right"},
    {GLUT_KEY_DOWN, "Down"}, {GLUT_KEY_PAGE_UP, "PageUp"}, {GLUT_KEY_PAGE_DOWN, "PageDown"},
    {GLUT_KEY_HOME, "Home"}, {GLUT_KEY_END, "End"},        {GLUT_KEY_INSERT, "Insert"},
};

std::string character_name(int code) {
    constexpr int first_printable = 32, last_printable = 126;
    if (code >= first_printable && code <= last_printable) {
        // Appended piece by piece: GCC 12 misreads a concatenated literal as overlapping.
        std::string quoted(1, '\'');
        quoted += char(code);
        quoted += '\'';
        return quoted;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", code);
    return hex;
}

} // namespace

uint64_t random_below(std::mt19937_64& random, uint64_t count) {
    return random() % count;
}

monkey_key character_key(char c) {
    return {false, static_cast<unsigned char>(c), none, c == '\r'};
}

std::string random_answer(std::mt19937_64& random) {
    return answers[random_below(random, std::size(answers))];
}

monkey_key random_key(std::mt19937_64& random, key_choice choice) {
    for (;;) {
        const key_family& f = random_family(random);
        if (choice == key_choice::within_line && f.ends_line) continue;
        if (f.characters.empty())
            return {true, f.specials[random_below(random, f.specials.size())], f.modifiers,
                    f.ends_line};
        const char c = f.characters[random_below(random, f.characters.size())];
        return {false, delivered(c, f.modifiers), f.modifiers, f.ends_line};
    }
}

void press(const monkey_key& key) {
    const modifier_key* held = nullptr;
    for (const modifier_key& m : modifier_keys)
        if (key.modifiers == m.modifier) held = &m;
    if (held) keyboard_special_down(held->glut_key, key.modifiers);
    if (key.special) {
        keyboard_special_down(key.code, key.modifiers);
        keyboard_special_up(key.code, key.modifiers);
    } else {
        keyboard_char_down(static_cast<unsigned char>(key.code), key.modifiers);
        keyboard_char_up(static_cast<unsigned char>(key.code), key.modifiers);
    }
    if (held) keyboard_special_up(held->glut_key, key.modifiers);
}

std::string key_name(const monkey_key& key) {
    std::string name;
    for (const modifier_key& m : modifier_keys)
        if (key.modifiers == m.modifier) name = m.name;
    if (!key.special) return name + character_name(key.code);
    for (const special_name& s : special_names)
        if (s.glut_key == key.code) return name + s.name;
    return name + "special " + std::to_string(key.code);
}

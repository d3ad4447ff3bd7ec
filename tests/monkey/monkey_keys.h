#pragma once
// The keys a monkey presses: characters, special keys and their Ctrl, Alt and Shift
// combinations, drawn at random and pressed through the freeglut keyboard callbacks.
#include <cstdint>
#include <random>
#include <string>

struct monkey_key {
    bool special;  // a freeglut special key number, else a character as the window delivers it
    int code;      // the character or the special key number
    int modifiers; // GLUT_ACTIVE_* held around the key
    bool ends_line;
};

// Either any key, or any key that cannot end an input line (for typing at the menu, where
// a line of the driver's own must be sent).
enum class key_choice { any, within_line };

monkey_key random_key(std::mt19937_64& random, key_choice choice);

// A plain character key ('\r' is Enter).
monkey_key character_key(char c);

// An answer a user might type at a prompt: a number (now and then one at the edge of what
// a prompt takes), a yes or a no, or nothing.
std::string random_answer(std::mt19937_64& random);

// Presses and releases the key, with its modifier key pressed before and released after.
void press(const monkey_key& key);

// A readable name such as "Ctrl+a", "F5" or "'7'", for failure messages.
std::string key_name(const monkey_key& key);

// A whole number from 0 to count - 1, the same on every standard library.
uint64_t random_below(std::mt19937_64& random, uint64_t count);

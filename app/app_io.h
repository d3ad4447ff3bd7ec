#pragma once
// The application's statements for printing and typed input, each run through the
// statement frame of the routine that calls it.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <variant>

#include "runtime/runtime.h"

// The calculator's colours, numbers of the 16-colour text palette.
constexpr uint32_t text_grey = 7;    // every prompt, result and table
constexpr uint32_t screen_blue = 9;  // the background of every text screen
constexpr uint32_t border_cyan = 3;  // the menu's border
constexpr uint32_t border_black = 0; // the border of the other text screens

// A print statement: each item gets the wrap check and is printed; the statement ends
// the line unless new_line is false.
void print_items(rt_routine& routine, uint32_t line, std::initializer_list<std::string_view> items,
                 bool new_line = true);

// Where a print statement's text goes: the screen, or through a printer statement the
// printer.
enum class print_device : uint8_t { screen, printer };

// A print statement of one item (none: an empty line) that ends the line.
void print_line(rt_routine& routine, uint32_t line, std::string_view text = {},
                print_device device = print_device::screen);

// A string variable of the application, released when its scope is left (also by a go-to
// back to the menu).
struct string_variable {
    rt_string* text = rt_string_new(0, false);

    string_variable() = default;
    string_variable(const string_variable&) = delete;
    string_variable& operator=(const string_variable&) = delete;
    ~string_variable() { rt_string_free(text); }
};

// A value for a picture template's field: a number or a string variable.
using picture_value = std::variant<float, rt_string*>;

// A print statement through a picture template: each value fills the template's next field,
// then the line is ended. When formatting raised an error, what was produced is printed
// without the line end (the error trap reports on the same line).
void print_using_line(rt_routine& routine, uint32_t line, const char* picture,
                      std::initializer_list<picture_value> values,
                      print_device device = print_device::screen);

// A prompt and its input statement: prints the prompt and "? ", then reads the line.
float ask_single(rt_routine& routine, uint32_t line, std::string_view prompt);
int16_t ask_int16(rt_routine& routine, uint32_t line, std::string_view prompt);
// The answer is kept in the routine's string variable.
void ask_string(rt_routine& routine, uint32_t line, std::string_view prompt, rt_string* answer);

// The answer is "Y" or "YES" in any mix of letter case.
bool answered_yes(rt_string* answer);

// Polls the keyboard, one statement per poll, until a key arrives (consumed).
void wait_for_key(rt_routine& routine, uint32_t line);

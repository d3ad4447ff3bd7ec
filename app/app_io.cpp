#include "app/app_io.h"

#include "runtime/core/line_input.h"
#include "runtime/screen/text_output.h"
#include "runtime/window/keyboard.h"

void print_items(rt_routine& routine, uint32_t line, std::initializer_list<std::string_view> items,
                 bool new_line) {
    routine.statement(line, [&] {
        for (std::string_view item : items) {
            rt_string* text = rt_string_from_bytes(item.data(), static_cast<int32_t>(item.size()));
            rt_print_wrap_check(text);
            rt_print(text, false);
        }
        if (new_line) rt_print("", true);
    });
}

namespace {

template <class T>
T input_value(rt_routine& routine, uint32_t line, std::string_view prompt, uint32_t type_code) {
    print_items(routine, line, {prompt, "? "}, false);
    T value{};
    routine.statement(line, [&] {
        rt_input_target(1, &value, type_code);
        rt_input(1, true);
    });
    return value;
}

} // namespace

float input_single(rt_routine& routine, uint32_t line, std::string_view prompt) {
    return input_value<float>(routine, line, prompt, input_type_single);
}

int16_t input_int16(rt_routine& routine, uint32_t line, std::string_view prompt) {
    return input_value<int16_t>(routine, line, prompt, input_type_int16);
}

void input_string(rt_routine& routine, uint32_t line, std::string_view prompt, rt_string* answer) {
    print_items(routine, line, {prompt, "? "}, false);
    routine.statement(line, [&] {
        rt_input_target(1, answer, input_type_string);
        rt_input(1, true);
    });
}

void wait_for_key(rt_routine& routine, uint32_t line) {
    bool got = false;
    while (!got) routine.statement(line, [&] { got = rt_inkey()->len != 0; });
}

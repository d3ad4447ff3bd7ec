#include "app/app_io.h"

#include "runtime/core/line_input.h"
#include "runtime/screen/text_output.h"
#include "runtime/window/key_queue.h"

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
T read_typed_line(rt_routine& routine, uint32_t line, std::string_view prompt, uint32_t type_code) {
    print_items(routine, line, {prompt, "? "}, false);
    T value{};
    routine.statement(line, [&] {
        rt_input_target(1, &value, type_code);
        rt_input(1, true);
    });
    return value;
}

} // namespace

float ask_single(rt_routine& routine, uint32_t line, std::string_view prompt) {
    return read_typed_line<float>(routine, line, prompt, input_single);
}

int16_t ask_int16(rt_routine& routine, uint32_t line, std::string_view prompt) {
    return read_typed_line<int16_t>(routine, line, prompt, input_integer);
}

void ask_string(rt_routine& routine, uint32_t line, std::string_view prompt, rt_string* answer) {
    print_items(routine, line, {prompt, "? "}, false);
    routine.statement(line, [&] {
        rt_input_target(1, answer, input_string);
        rt_input(1, true);
    });
}

void wait_for_key(rt_routine& routine, uint32_t line) {
    bool got = false;
    // An idle turn sleeps between looks, so a screen left waiting for a key costs nothing.
    while (!got)
        routine.statement(line, [&] {
            got = rt_key_waiting();
            if (got)
                rt_inkey();
            else
                rt_key_wait_idle();
        });
}

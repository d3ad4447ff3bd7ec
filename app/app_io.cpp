#include "app/app_io.h"

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

// Runs the body as one print statement on the device; the printer is told for the whole
// statement, so that its items measure columns on the printer page.
template <class Body>
void print_statement(rt_routine& routine, uint32_t line, print_device device, Body&& body) {
    routine.statement(line, [&] {
        const bool printer = device == print_device::printer;
        if (printer) rt_printer_statement(true);
        body([printer](rt_string* text, bool new_line) {
            if (printer)
                rt_lprint(text, new_line);
            else
                rt_print(text, new_line);
        });
        if (printer) rt_printer_statement(false);
    });
}

} // namespace

void print_line(rt_routine& routine, uint32_t line, std::string_view text, print_device device) {
    if (device == print_device::screen) {
        print_items(routine, line, {text});
        return;
    }
    print_statement(routine, line, device, [&](auto print) {
        if (!text.empty())
            print(rt_string_from_bytes(text.data(), static_cast<int32_t>(text.size())), false);
        print(rt_string_from_text(""), true);
    });
}

void print_using_line(rt_routine& routine, uint32_t line, const char* picture,
                      std::initializer_list<picture_value> values, print_device device) {
    print_statement(routine, line, device, [&](auto print) {
        rt_string* output = nullptr;
        rt_string* picture_text = rt_string_from_text(picture);
        int32_t next = 0;
        for (const picture_value& value : values)
            next = std::visit(
                [&](auto v) { return rt_print_using(picture_text, next, &output, v); }, value);
        // The partial output is printed past the pending error, which stays for the trap.
        const uint32_t pending = error_state.error_pending;
        error_state.error_pending = 0;
        print(output ? output : rt_string_from_text(""), pending == 0);
        error_state.error_pending = pending;
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

bool answered_yes(rt_string* answer) {
    const std::string_view upper = rt_view(rt_ucase(answer));
    return upper == "Y" || upper == "YES";
}

void wait_for_key(rt_routine& routine, uint32_t line) {
    bool got = false;
    // An idle turn sleeps until a key or the shutdown wakes it, so a screen left waiting
    // for a key costs nothing.
    while (!got)
        routine.statement(line, [&] {
            got = rt_key_waiting();
            if (got)
                rt_inkey();
            else
                rt_key_wait_idle();
        });
}

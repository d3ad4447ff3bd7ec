// Random streams of key events from the window layer, the hook and the lock follower,
// interleaved with reads: the queue offsets stay in the BIOS ring, every read is 0, 1 or
// 2 bytes, a two-byte read starts with 0, and the raw scan-code buffer never overflows.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/window/glut_keys.h"
#include "runtime/window/keyboard.h"

namespace {

// The keyboard keeps all its state in the BIOS data area; clearing only that between
// inputs, rather than the whole megabyte, is what makes long campaigns affordable.
constexpr size_t bios_area_start = 0x400, bios_area_size = 0x100;
constexpr int most_keys_queued = 16;

void require(bool condition) {
    if (!condition) std::abort();
}

bool offset_in_ring(uint8_t offset) {
    return offset >= 30 && offset <= 60 && offset % 2 == 0;
}

void check_read() {
    const rt_string* s = rt_inkey();
    require(s->len >= 0 && s->len <= 2);
    if (s->len == 2) require(s->data[0] == 0 && s->data[1] != 0);
}

int32_t identifier_from(const uint8_t* p) {
    int32_t id;
    std::memcpy(&id, p, sizeof id);
    return id;
}

// A key this input pressed, let go at its end: held keys would otherwise pile up from input
// to input, slow every later one and make a finding depend on the inputs before it.
struct pressed_key {
    uint8_t op;
    uint8_t arg;
    int32_t id;
};
std::vector<pressed_key> pressed;

void let_go_pressed_keys() {
    for (auto key = pressed.rbegin(); key != pressed.rend(); ++key) {
        const int modifiers = key->arg >> 5;
        if (key->op == 0) keyboard_char_up(key->arg, modifiers);
        if (key->op == 2) keyboard_special_up(key->arg & 0x7F, modifiers);
        if (key->op == 6) key_release(key->id);
    }
    pressed.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = false;
    if (!started) {
        rt_strings_init();
        rt_low_memory_reset();
        started = true;
    }
    std::memset(low_memory + bios_area_start, 0, bios_area_size);
    reset_key_queue();
    // A full raw buffer moves all its bytes on every scan code: starting each input empty
    // keeps inputs cheap and independent, and long inputs still fill it.
    raw_scan_codes.count.store(0);
    const int32_t temporaries = rt_temporary_count();
    size_t i = 0;
    while (i + 2 <= size) {
        const uint8_t op = data[i] % 9, arg = data[i + 1];
        i += 2;
        const int modifiers = arg >> 5;
        switch (op) {
        case 0:
            keyboard_char_down(arg, modifiers);
            pressed.push_back({op, arg, 0});
            break;
        case 1:
            keyboard_char_up(arg, modifiers);
            break;
        case 2:
            keyboard_special_down(arg & 0x7F, modifiers);
            pressed.push_back({op, arg, 0});
            break;
        case 3:
            keyboard_special_up(arg & 0x7F, modifiers);
            break;
        case 4:
            keyboard_hook_key(arg & 1 ? 100019 : 100318, arg & 2);
            break;
        case 5:
            follow_lock_states({.scroll_lock_on = bool(arg & 1),
                                .caps_lock_on = bool(arg & 2),
                                .num_lock_on = bool(arg & 4)});
            break;
        case 6:
            if (i + 4 > size) break;
            (arg & 1 ? key_press : key_release)(identifier_from(data + i));
            if (arg & 1) pressed.push_back({op, arg, identifier_from(data + i)});
            i += 4;
            break;
        default:
            check_read();
        }
        require(offset_in_ring(low_memory[0x41A]) && offset_in_ring(low_memory[0x41C]));
        require(raw_scan_codes.count.load() <= raw_scan_capacity);
    }
    for (int n = 0; n < most_keys_queued && rt_key_waiting(); ++n) check_read(); // it drains
    require(low_memory[0x41A] == low_memory[0x41C]);
    let_go_pressed_keys();
    rt_release_temporaries(temporaries, 0);
    // Break and Pause only set words the program thread would act on.
    run_control.stop_request.store(0);
    run_control.close_request.store(0);
    run_control.paused.store(0);
    return 0;
}

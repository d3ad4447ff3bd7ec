// Printing arbitrary bytes with cursor, region, colour and size statements mixed in, on
// text and pixel screens: every cell must stay inside its page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"
#include "tests/support/screen_start.h"

namespace {

constexpr int32_t modes[] = {0, 1, 2, 7, 9, 10, 11, 12, 13};

void start_once() {
    static bool started = false;
    if (started) return;
    started = true;
    start_screen();
}

// One statement chosen by the command byte, with two argument bytes.
void run_statement(uint8_t command, uint8_t a, uint8_t b) {
    switch (command % 8) {
    case 0:
        rt_locate(a % 64, b % 128, a & 1, a % 40, b % 40, b % 32);
        break;
    case 1:
        rt_view_print(a % 64, b % 64, a % 4);
        break;
    case 2:
        rt_color(a, b, 0, 3);
        break;
    case 3:
        rt_cls(a % 4, b, a % 4);
        break;
    case 4:
        rt_print_comma();
        break;
    case 5:
        rt_print(rt_tab(static_cast<int8_t>(a) * 3), b & 1);
        break;
    case 6:
        rt_width(0, 40 + (a % 2) * 40, 25 + (b % 3) * 9, 3);
        break;
    default:
        rt_screen(0, 0, a % 4, b % 4, 0, 4 | 8);
        break;
    }
    error_state.error_pending = 0;
    rt_release_temporaries(0, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_once();
    if (size < 1) return 0;
    rt_screen(modes[data[0] % 9], 0, 0, 0, 0, 1);
    error_state.error_pending = 0;
    size_t at = 1;
    while (at < size) {
        const uint8_t length = data[at++];
        if (length >= 0xF0 && at + 3 <= size) { // a statement instead of text
            run_statement(data[at], data[at + 1], data[at + 2]);
            at += 3;
            continue;
        }
        const size_t n = length % 160 < size - at ? length % 160 : size - at;
        std::string text(reinterpret_cast<const char*>(data + at), n);
        std::replace(text.begin(), text.end(), '\x07', '\x08'); // the bell only waits
        rt_print(text, length & 1);
        error_state.error_pending = 0;
        at += n;
    }
    return 0;
}

// Random drawing-command strings on a small image, with random variables and substrings in
// the data segment: nothing may be read or written outside the image or the segment, which
// the rest of low memory is poisoned around while the commands run.
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/draw.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/graphics_internal.h"
#include "runtime/screen/image.h"
#include "tests/support/screen_start.h"

namespace {

constexpr int32_t modes[] = {2, 1, 12, 13, 32};
constexpr int32_t image_width = 48, image_height = 32;
constexpr size_t segment_bytes_given = 1024; // at most this much of the segment is set

int32_t images[std::size(modes)];

void start_once() {
    static bool started = false;
    if (started) return;
    started = true;
    start_screen();
    for (size_t i = 0; i < std::size(modes); ++i)
        images[i] = rt_new_image(image_width, image_height, modes[i], 1);
}

// Everything of low memory except the data segment.
void guard_segment(bool on) {
    uint8_t* segment = low_memory + default_segment_offset;
    uint8_t* after = segment + draw_segment_size;
    const size_t after_size = low_memory_size - (default_segment_offset + draw_segment_size);
    if (on) {
        ASAN_POISON_MEMORY_REGION(low_memory, default_segment_offset);
        ASAN_POISON_MEMORY_REGION(after, after_size);
    } else {
        ASAN_UNPOISON_MEMORY_REGION(low_memory, default_segment_offset);
        ASAN_UNPOISON_MEMORY_REGION(after, after_size);
    }
}

} // namespace

// Byte 0 picks the image and its state, byte 1 the start point; then the command string up
// to the first zero byte, and after it the bytes of the data segment's start.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_once();
    if (size < 2) return 0;
    const uint8_t setup = data[0];
    rt_select_dest(images[setup % std::size(modes)]);
    error_state.error_pending = 0;
    rt_image& image = *image_state.dest;
    image.draw_angle = 0;
    image.draw_scale = 1;
    rt_view(0, 0, 0, 0, 0, 0, 0);
    rt_window(0, 0, 0, 0, 0);
    if (setup & 0x08) rt_view(4, 3, 40, 27, 0, 0, view_coordinates | (setup & 0x10 ? 2 : 0));
    if (setup & 0x20) rt_window(-3, 7, 12, -2, window_coordinates | (setup & 0x40 ? 2 : 0));
    rt_pset(float(data[1] % image_width), float(data[1] / 8 % image_height), 0, 0);
    error_state.error_pending = 0;

    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string_view commands = rest.substr(0, rest.find('\0'));
    const std::string_view variables =
        commands.size() < rest.size() ? rest.substr(commands.size() + 1) : std::string_view();
    uint8_t* segment = low_memory + default_segment_offset;
    std::memset(segment, 0, segment_bytes_given);
    if (!variables.empty())
        std::memcpy(segment, variables.data(), std::min(variables.size(), segment_bytes_given));

    guard_segment(true);
    rt_draw(commands);
    guard_segment(false);
    error_state.error_pending = 0;
    return 0;
}

// Arbitrary bytes as a font file, or a real font file with bytes changed, loaded with any
// options and size and printed with on 32-bit and 1-byte images: nothing may crash, and a
// loaded font must free cleanly.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/image_properties.h"
#include "runtime/screen/loaded_fonts.h"
#include "runtime/screen/text_output.h"
#include "tests/support/screen_start.h"

namespace {

constexpr const char* real_font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr const char* option_names[] = {"BOLD",      "ITALIC",    "UNDERLINE",
                                        "DONTBLEND", "MONOSPACE", "UNICODE"};
constexpr uint8_t patched_file = 0x80;
constexpr int32_t largest_fuzzed_size = 48;

std::vector<uint8_t> original;
std::string path;
int32_t images[2];

void remove_file() {
    std::remove(path.c_str());
}

void start_once() {
    static bool started = false;
    if (started) return;
    started = true;
    start_screen();
    images[0] = rt_new_image(120, 60, 32, 1);
    images[1] = rt_new_image(120, 60, 13, 1);
    std::ifstream file(real_font, std::ios::binary);
    original.assign(std::istreambuf_iterator<char>(file), {});
    path = "/tmp/mirva_fuzz_font_" + std::to_string(getpid()) + ".ttf";
    std::atexit(remove_file);
}

std::string option_list(uint8_t bits) {
    std::string list;
    for (int i = 0; i < 6; ++i)
        if (bits >> i & 1) list += std::string(i % 2 ? " " : "") + option_names[i] + ",";
    return list;
}

// The real font with one byte changed per four input bytes (three of offset, one of value).
std::vector<uint8_t> patched(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes = original;
    if (bytes.empty()) return bytes;
    for (size_t at = 0; at + 4 <= size; at += 4) {
        const size_t offset = (size_t{data[at]} << 16 | size_t{data[at + 1]} << 8 | data[at + 2]) *
                              7919 % bytes.size();
        bytes[offset] = data[at + 3];
    }
    return bytes;
}

void print_with(int32_t font, int32_t image, uint8_t print_mode) {
    rt_select_dest(image);
    rt_set_font(font, 0, 0);
    rt_set_print_mode(1 + print_mode % 3, 0, 0);
    if (font_flags(font) & font_flag_unicode) {
        const uint32_t code_points[] = {'W', 'g', 0x3A9, 0x2588, 0x1F600, 0xFFFFFFFF};
        rt_print(std::string_view(reinterpret_cast<const char*>(code_points), sizeof code_points),
                 true);
    } else {
        rt_print("Wg \xEA\xDB\t|", true);
    }
    rt_set_font(8, 0, 0);
    error_state.error_pending = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_once();
    if (size < 2) return 0;
    const std::vector<uint8_t> bytes = (data[0] & patched_file)
                                           ? patched(data + 2, size - 2)
                                           : std::vector<uint8_t>(data + 2, data + size);
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    rt_string* file_name = rt_string_from_text(path.c_str());
    const std::string options_text = option_list(data[0]); // the string reads it in place
    rt_string* options = rt_string_from_text(options_text.c_str());
    const int32_t font = rt_load_font(file_name, 1 + data[1] % largest_fuzzed_size, options, 1);
    if (font >= first_loaded_font) {
        for (int32_t image : images) print_with(font, image, data[1]);
        rt_free_font(font);
        if (error_state.error_pending) __builtin_trap(); // no image may keep the font
    }
    error_state.error_pending = 0;
    rt_release_temporaries(0, 0);
    return 0;
}

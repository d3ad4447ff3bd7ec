// Fonts loaded from the DejaVu files of fonts-dejavu-core: handles, options and errors, text
// printed with them on 32-bit and 1-byte images (pictures compared with committed ones), the
// advance of proportional fonts, Unicode code points, and freeing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

// AddressSanitizer counts the bytes allocated exactly (leak detection is off in the test
// run); glibc's own count includes its caches.
#if defined(__SANITIZE_ADDRESS__)
#define MIRVA_EXACT_HEAP_COUNT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIRVA_EXACT_HEAP_COUNT 1
#endif
#endif
#ifdef MIRVA_EXACT_HEAP_COUNT
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "runtime/platform/font_engine.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image_properties.h"
#include "runtime/screen/loaded_fonts.h"
#include "runtime/screen/text_output.h"
#include "tests/support/page_reader.h"
#include "tests/support/screen_start.h"

namespace {

const char* const sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr uint32_t options_given = 1;

int32_t load(const char* file, int32_t size, const char* options = nullptr) {
    return rt_load_font(rt_string_from_text(file), size, rt_string_from_text(options),
                        options ? options_given : 0);
}

constexpr uint32_t black = 0xFF000000;

// A new image made the destination; 32-bit ones are cleared to opaque black.
int32_t new_dest(int32_t width, int32_t height, int32_t mode) {
    const int32_t handle = rt_new_image(width, height, mode, 1);
    rt_select_dest(handle);
    if (mode == 32) rt_cls(0, black, 3);
    return handle;
}

uint32_t pixel32(int32_t x, int32_t y) {
    return reinterpret_cast<const uint32_t*>(
        image_state.dest->pixels)[size_t(y) * image_state.dest->width + x];
}

// Pixels of a 32-bit destination, or palette indices of a 1-byte one.
uint32_t pixel_at(int32_t x, int32_t y) {
    return image_state.dest->bytes_per_pixel == 4
               ? pixel32(x, y)
               : image_state.dest->pixels[size_t(y) * image_state.dest->width + x];
}

// Columns of dest_image's first text row that hold a pixel other than the background.
std::set<int32_t> inked_columns(uint32_t background, int32_t rows) {
    std::set<int32_t> columns;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < image_state.dest->width; ++x)
            if (pixel_at(x, y) != background) columns.insert(x);
    return columns;
}

std::string code_point_text(uint32_t code_point) {
    return std::string(reinterpret_cast<const char*>(&code_point), 4);
}

TEST(load_font, gives_handles_from_32_and_reuses_freed_ones) {
    start_screen();
    const int32_t first = load(sans, 16);
    const int32_t second = load(mono, 20, "MONOSPACE");
    const int32_t third = load(sans, 12);
    EXPECT_EQ(first, 32);
    EXPECT_EQ(second, 33);
    EXPECT_EQ(third, 34);
    rt_free_font(second);
    EXPECT_EQ(take_error(), 0u);
    EXPECT_FALSE(font_exists(second));
    EXPECT_EQ(load(sans, 30), 33);
    EXPECT_EQ(load(sans, 30), 35);
}

TEST(load_font, fills_the_handle_table_from_size_and_options) {
    start_screen();
    const struct {
        const char* file;
        int32_t size;
        const char* options;
        uint32_t flags;
        bool monospace;
    } cases[] = {
        {sans, 16, nullptr, 0, false},
        {sans, 16, "", 0, false},
        {sans, 40, " unicode ", font_flag_unicode, false},
        {mono, 18, "Monospace", font_flag_monospace, true},
        {sans, 7, "  bold , Monospace,unicode,,NONSENSE , DontBlend",
         font_flag_monospace | font_flag_unicode | font_flag_dont_blend, true},
        {sans, 2048, "ITALIC,UNDERLINE", 0, false},
    };
    for (const auto& c : cases) {
        const int32_t handle = load(c.file, c.size, c.options);
        ASSERT_GE(handle, 32) << (c.options ? c.options : "no options");
        EXPECT_EQ(font_height(handle), c.size);
        EXPECT_EQ(font_flags(handle), c.flags) << (c.options ? c.options : "");
        EXPECT_EQ(font_width(handle) > 0, c.monospace) << (c.options ? c.options : "");
        EXPECT_EQ(rt_font_height(handle, 1), c.size);
        rt_free_font(handle);
    }
    EXPECT_EQ(take_error(), 0u);
}

TEST(load_font, refuses_sizes_and_files_it_cannot_use) {
    start_screen();
    EXPECT_EQ(load(sans, 0), 0);
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_EQ(load(sans, -3), 0);
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_EQ(load(sans, 2049), -1);
    EXPECT_EQ(load("/nonexistent/font.ttf", 16), -1);
    EXPECT_EQ(load("/usr/share/fonts/truetype/dejavu", 16), -1) << "a folder";
    EXPECT_EQ(load("/etc/passwd", 16), -1) << "no font";
    EXPECT_EQ(take_error(), 0u);
    EXPECT_EQ(load(sans, 16), 32) << "failed loads take no handle";
}

// The bytes of the mono font, served from memory under a name that is no file.
std::string mono_bytes;
bool serve_mono(const char* path, font_file_bytes& bytes) {
    if (std::string_view(path) != "in-memory.ttf") return false;
    bytes = {reinterpret_cast<const uint8_t*>(mono_bytes.data()), mono_bytes.size()};
    return true;
}

TEST(load_font, reads_the_files_its_reader_serves_from_memory_and_others_from_disk) {
    start_screen();
    std::ifstream file(mono, std::ios::binary);
    mono_bytes.assign(std::istreambuf_iterator<char>(file), {});
    platform_set_font_file_reader(serve_mono);
    const int32_t from_memory = load("in-memory.ttf", 20, "MONOSPACE");
    const int32_t from_disk = load(mono, 20, "MONOSPACE");
    platform_set_font_file_reader(nullptr);
    EXPECT_EQ(load("in-memory.ttf", 20), -1) << "without the reader it is no file";
    ASSERT_GE(from_memory, 32);
    ASSERT_GE(from_disk, 32);
    EXPECT_EQ(font_width(from_memory), font_width(from_disk));
    new_dest(40, 20, 32);
    std::set<int32_t> columns[2];
    for (int i = 0; i < 2; ++i) {
        rt_cls(0, black, 3);
        rt_set_font(i == 0 ? from_memory : from_disk, 0, 0);
        rt_print("W", false);
        columns[i] = inked_columns(black, 20);
    }
    EXPECT_FALSE(columns[0].empty());
    EXPECT_EQ(columns[0], columns[1]);
}

// Where the mono font's table directory records a table's place in the file.
size_t table_offset_field(const std::string& font, std::string_view tag) {
    constexpr size_t directory = 12, record_size = 16, offset_in_record = 8;
    for (size_t record = directory; record + record_size <= font.size(); record += record_size)
        if (font.compare(record, tag.size(), tag) == 0) return record + offset_in_record;
    return font.size();
}

// The mono font with one byte changed, loaded at 20 pixels from memory.
int32_t load_damaged_mono(size_t offset, uint8_t value) {
    std::ifstream file(mono, std::ios::binary);
    mono_bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (offset >= mono_bytes.size()) return 0;
    mono_bytes[offset] = static_cast<char>(value);
    platform_set_font_file_reader(serve_mono);
    const int32_t font = load("in-memory.ttf", 20);
    platform_set_font_file_reader(nullptr);
    return font;
}

// Pointing the horizontal header a few bytes off gives an ascender-to-descender span of a
// few font units: scaled to the cell, every glyph would be thousands of cells large.
TEST(load_font, refuses_a_file_whose_vertical_metrics_dwarf_the_cell) {
    start_screen();
    std::ifstream file(mono, std::ios::binary);
    const std::string real(std::istreambuf_iterator<char>(file), {});
    const size_t last_offset_byte = table_offset_field(real, "hhea") + 3;
    for (uint8_t value : {0xA2, 0x2C, 0x00})
        EXPECT_EQ(load_damaged_mono(last_offset_byte, value), -1) << int(value);
    EXPECT_EQ(take_error(), 0u);
}

// One changed byte among the points of the l's outline (in fonts-dejavu-core's file) puts
// a point far outside the em: that glyph is not drawn, the others are.
TEST(damaged_glyph, leaves_the_page_unchanged_while_sound_glyphs_draw) {
    start_screen();
    constexpr size_t l_outline_byte = 34342;
    constexpr uint8_t real_byte = 254;
    constexpr uint8_t damaged_byte = 92;
    std::ifstream file(mono, std::ios::binary);
    const std::string real(std::istreambuf_iterator<char>(file), {});
    ASSERT_GT(real.size(), l_outline_byte);
    ASSERT_EQ(static_cast<uint8_t>(real[l_outline_byte]), real_byte)
        << "another release of the font file";
    const int32_t font = load_damaged_mono(l_outline_byte, damaged_byte);
    ASSERT_GE(font, 32);
    new_dest(40, 20, 32);
    rt_set_font(font, 0, 0);
    rt_print("l", false);
    EXPECT_TRUE(inked_columns(black, 20).empty());
    rt_print("W", false);
    EXPECT_FALSE(inked_columns(black, 20).empty());
    EXPECT_EQ(take_error(), 0u);
}

TEST(free_font, refuses_fonts_in_use_and_handles_that_are_no_loaded_font) {
    start_screen();
    const int32_t font = load(sans, 16);
    const int32_t image = new_dest(100, 50, 32);
    rt_set_font(font, 0, 0);
    rt_select_dest(0);
    rt_free_font(font);
    EXPECT_EQ(take_error(), err_illegal_function_call);
    EXPECT_TRUE(font_exists(font));
    rt_set_font(8, image, 1);
    rt_free_font(font);
    EXPECT_EQ(take_error(), 0u);
    for (int32_t none : {font, 16, 8, 31, 99, -1}) {
        rt_free_font(none);
        EXPECT_EQ(take_error(), err_invalid_handle) << none;
    }
}

TEST(set_font, takes_loaded_fonts_on_pixel_images_and_monospace_ones_on_text_pages) {
    start_screen();
    const int32_t proportional = load(sans, 24);
    const int32_t monospace = load(mono, 16, "MONOSPACE");
    const int32_t image = new_dest(200, 100, 32);
    image_state.dest->cursor_row = 2;
    rt_set_font(proportional, 0, 0);
    EXPECT_EQ(rt_image_font(image, 1), proportional);
    EXPECT_EQ(image_state.dest->cursor_row, 1);
    EXPECT_EQ(image_state.dest->print_bottom, 3) << "100 / 24 = 4 rows, the last kept out";
    rt_set_font(proportional, 0, 1);
    EXPECT_EQ(take_error(), err_illegal_function_call) << "a proportional font on the text screen";
    rt_set_font(monospace, 0, 1);
    EXPECT_EQ(take_error(), 0u);
    EXPECT_EQ(image_state.table[image_state.page_list[0]].font, monospace);
    EXPECT_EQ(image_state.table[image_state.page_list[1]].font, monospace)
        << "every text screen page";
    rt_free_font(monospace);
    EXPECT_EQ(take_error(), err_illegal_function_call);
}

TEST(proportional_font, advances_the_cursor_by_each_glyph_width) {
    start_screen();
    const int32_t font = load(sans, 24);
    new_dest(400, 48, 32);
    rt_set_font(font, 0, 0);
    rt_print("ii", false);
    const int32_t narrow = (image_state.dest->cursor_col - 1) / 2;
    rt_locate(1, 1, 0, 0, 0, 3);
    rt_print("WW", false);
    const int32_t wide = (image_state.dest->cursor_col - 1) / 2;
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, 2 * narrow) << "W is far wider than i";
    rt_locate(1, 1, 0, 0, 0, 3);
    rt_print("iW", false);
    EXPECT_EQ(image_state.dest->cursor_col, 1 + narrow + wide);
    // The W's ink starts where the i's advance ends: printed over a cleared image, nothing
    // is inked from the end of the i's ink up to the W.
    rt_cls(0, black, 3);
    image_state.dest->print_mode = 1; // foreground only: untouched pixels stay black
    rt_print("iW", false);
    const std::set<int32_t> ink = inked_columns(black, 24);
    ASSERT_FALSE(ink.empty());
    EXPECT_LT(*ink.begin(), narrow);
    EXPECT_GE(*ink.upper_bound(narrow - 1), narrow);
}

TEST(proportional_font, wraps_when_the_next_glyph_would_pass_the_right_edge) {
    start_screen();
    const int32_t font = load(sans, 16);
    new_dest(60, 64, 32);
    rt_set_font(font, 0, 0);
    rt_print("WWWWWWWW", false);
    EXPECT_EQ(image_state.dest->cursor_row, 2) << "eight W of about 14 pixels do not fit in 60";
    EXPECT_LE(image_state.dest->cursor_col - 1, 60);
}

class print_modes : public testing::TestWithParam<int32_t> {};

// Orange on dark blue over a striped image, so that pixels a mode leaves alone show.
TEST_P(print_modes, draw_the_string_as_the_committed_picture) {
    start_screen();
    const int32_t font = load(sans, 24);
    new_dest(160, 28, 32);
    for (int32_t y = 0; y < 28; ++y)
        for (int32_t x = 0; x < 160; ++x)
            reinterpret_cast<uint32_t*>(image_state.dest->pixels)[y * 160 + x] =
                (x / 4) % 2 ? 0xFF606060 : 0xFFA0D0A0;
    rt_set_font(font, 0, 0);
    rt_color(0xFFFF9020, 0xFF102060, 0, 3);
    rt_set_print_mode(GetParam(), 0, 0);
    rt_print("Weld 7 \xEAg", false); // 234 is the code page's capital omega
    ASSERT_EQ(take_error(), 0u);
    EXPECT_TRUE(page_matches_expected(*image_state.dest, "fonts/loaded_print_mode" +
                                                             std::to_string(rt_print_mode(0, 0)) +
                                                             ".ppm"));
}

INSTANTIATE_TEST_SUITE_P(one_to_three, print_modes, testing::Values(1, 2, 3));

TEST(print_mode_blending, scales_the_alpha_of_translucent_colours_by_coverage) {
    start_screen();
    const int32_t font = load(sans, 24);
    new_dest(40, 24, 32);
    rt_set_font(font, 0, 0);
    rt_color(0x80FFFFFF, 0xFF000000, 0, 3); // half-transparent white
    rt_set_print_mode(2, 0, 0);             // foreground only
    rt_print("\xDB", false);                // the full block inks its whole cell
    EXPECT_EQ(pixel32(2, 12), 0xFF7F7F7Fu) << "full coverage: half white over black";
    EXPECT_EQ(pixel32(39, 12), black) << "beyond the cell nothing is drawn";
}

TEST(unicode_font, draws_code_points_above_255) {
    start_screen();
    const int32_t unicode = load(sans, 24, "UNICODE");
    const int32_t bytes = load(sans, 24);
    new_dest(40, 24, 32);
    rt_set_font(unicode, 0, 0);
    rt_print(code_point_text(0x3A9), false); // capital omega
    EXPECT_EQ(image_state.dest->cursor_col - 1, loaded_font_char_width(unicode, 0x3A9));
    const std::string omega(reinterpret_cast<const char*>(image_state.dest->pixels), 40 * 24 * 4);
    ASSERT_FALSE(inked_columns(black, 24).empty());
    // The same letter reached through the code page from the byte 234 looks the same; the
    // low byte alone (0xA9, the copyright sign) does not.
    new_dest(40, 24, 32);
    rt_set_font(bytes, 0, 0);
    rt_print("\xEA", false);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image_state.dest->pixels), 40 * 24 * 4),
              omega);
    new_dest(40, 24, 32);
    rt_set_font(unicode, 0, 0);
    rt_print(code_point_text(0xA9), false);
    EXPECT_NE(std::string(reinterpret_cast<const char*>(image_state.dest->pixels), 40 * 24 * 4),
              omega);
}

struct mask_case {
    const char* name;
    int32_t mode;
    bool blend_off;
    const char* options;
    uint32_t fg, bg;
    bool masked;
};

class coverage_mask : public testing::TestWithParam<mask_case> {};

TEST_P(coverage_mask, leaves_only_foreground_and_background_pixels) {
    start_screen();
    const mask_case c = GetParam();
    const int32_t font = load(sans, 24, c.options);
    new_dest(80, 24, c.mode);
    if (c.blend_off) rt_blend_off(0, 0);
    rt_set_font(font, 0, 0);
    rt_color(c.fg, c.bg, 0, 3);
    rt_print("Wag", false);
    std::set<uint32_t> colours;
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < image_state.dest->cursor_col - 1; ++x)
            colours.insert(pixel_at(x, y));
    if (c.masked) {
        EXPECT_EQ(colours, (std::set<uint32_t>{c.fg, c.bg}));
    } else {
        EXPECT_GT(colours.size(), 2u) << "blending gives shades between the two";
    }
}

INSTANTIATE_TEST_SUITE_P(
    pages, coverage_mask,
    testing::Values(
        mask_case{"one_byte_page", 13, false, nullptr, 14, 1, true},
        mask_case{"blending_off", 32, true, nullptr, 0xFFFFFF00, 0xFF0000FF, true},
        mask_case{"dont_blend_font", 32, false, "DONTBLEND", 0xFFFFFF00, 0xFF0000FF, true},
        mask_case{"blending_32_bit", 32, false, nullptr, 0xFFFFFF00, 0xFF0000FF, false}),
    [](const testing::TestParamInfo<mask_case>& info) { return info.param.name; });

TEST(font_styles, change_the_glyphs) {
    start_screen();
    const int32_t plain = load(sans, 24);
    EXPECT_GT(loaded_font_char_width(load(sans, 24, "BOLD"), 'm'),
              loaded_font_char_width(plain, 'm'));
    const struct {
        const char* options;
        const char* text;
    } styled[] = {{"ITALIC", "I"}, {"UNDERLINE", " "}, {"BOLD", "l"}};
    for (const auto& s : styled) {
        const int32_t font = load(sans, 24, s.options);
        new_dest(40, 24, 32);
        rt_set_font(plain, 0, 0);
        rt_print(s.text, false);
        const std::set<int32_t> plain_ink = inked_columns(black, 24);
        new_dest(40, 24, 32);
        rt_set_font(font, 0, 0);
        rt_print(s.text, false);
        EXPECT_NE(inked_columns(black, 24), plain_ink) << s.options;
    }
}

TEST(font_monospace, centres_glyphs_in_cells_of_one_width) {
    start_screen();
    const int32_t font = load(sans, 20, "MONOSPACE");
    const int32_t width = font_width(font);
    new_dest(width * 4, 20, 32);
    rt_set_font(font, 0, 0);
    rt_print("iWi", false);
    EXPECT_EQ(image_state.dest->cursor_col, 4) << "cursor columns count cells";
    const std::set<int32_t> ink = inked_columns(black, 20);
    ASSERT_FALSE(ink.empty());
    EXPECT_GT(*ink.begin(), width / 4) << "the narrow i sits in the middle of its cell";
    EXPECT_LT(*ink.rbegin(), 3 * width);
}

// Loading, drawing with and freeing a font, including the cells made for text pages.
[[maybe_unused]] void font_cycle(int32_t cycle, rt_string* file, rt_string* options,
                                 int32_t text_image) {
    const int32_t font = rt_load_font(file, 16, options, 1);
    ASSERT_GE(font, 32);
    rt_set_font(font, 0, 0);
    rt_print("Wg", false);
    rt_set_font(8, 0, 0);
    if (cycle % 10 == 0) {
        rt_set_font(font, text_image, 1);
        rt_set_font(16, text_image, 1);
    }
    rt_free_font(font);
    ASSERT_EQ(take_error(), 0u);
}

TEST(load_and_free, a_thousand_times_leaves_the_heap_as_it_was) {
#ifndef MIRVA_EXACT_HEAP_COUNT
    GTEST_SKIP() << "the heap is counted exactly in the AddressSanitizer build";
#else
    start_screen();
    rt_string* file = rt_string_from_text(sans);
    rt_string* options = rt_string_from_text("BOLD, ITALIC, UNDERLINE, MONOSPACE");
    const int32_t text_image = rt_new_image(10, 5, 0, 1);
    new_dest(100, 30, 32);
    // The first cycle makes the font table, the engine and the drawing scratch.
    font_cycle(0, file, options, text_image);
    const size_t before = __sanitizer_get_current_allocated_bytes();
    for (int32_t cycle = 1; cycle <= 1000; ++cycle) font_cycle(cycle, file, options, text_image);
    EXPECT_EQ(__sanitizer_get_current_allocated_bytes(), before);
#endif
}

} // namespace

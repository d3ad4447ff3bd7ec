// The table of loaded fonts: loading with options, handles, freeing, and the text-page cells.
#include "runtime/screen/loaded_fonts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/platform/font_engine.h"
#include "runtime/screen/code_page.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

namespace {

constexpr int32_t table_growth = 16;
constexpr uint32_t first_printable = 32, last_printable = 126;
// Cursor columns are 16-bit: an advance this large still leaves room to add it to one.
constexpr int32_t largest_advance = 16384;

// Entry i holds handle first_loaded_font + i. The display reads it on another thread, so
// the table moves only while frames are held.
loaded_font* font_table = nullptr;
int32_t font_table_size = 0;

struct font_option {
    std::string_view name;
    uint32_t flag;
    bool platform_font_style::*style;
};

constexpr font_option font_options[] = {
    {"BOLD", 0, &platform_font_style::bold},           {"ITALIC", 0, &platform_font_style::italic},
    {"UNDERLINE", 0, &platform_font_style::underline}, {"DONTBLEND", font_flag_dont_blend, nullptr},
    {"MONOSPACE", font_flag_monospace, nullptr},       {"UNICODE", font_flag_unicode, nullptr},
};

std::string_view trimmed(std::string_view item) {
    const size_t first = item.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return item.substr(first, item.find_last_not_of(" \t") - first + 1);
}

void apply_option(std::string_view item, uint32_t& flags, platform_font_style& style) {
    std::string upper(trimmed(item));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const font_option& option : font_options) {
        if (option.name != upper) continue;
        flags |= option.flag;
        if (option.style) style.*option.style = true;
    }
}

void parse_options(std::string_view list, uint32_t& flags, platform_font_style& style) {
    for (;;) {
        const size_t comma = list.find(',');
        apply_option(list.substr(0, comma), flags, style);
        if (comma == std::string_view::npos) return;
        list.remove_prefix(comma + 1);
    }
}

// Index of the lowest free entry, growing the table when every entry is taken; -1 when
// memory runs out.
int32_t free_entry() {
    for (int32_t i = 0; i < font_table_size; ++i)
        if (!font_table[i].engine) return i;
    hold_frames();
    auto* grown = static_cast<loaded_font*>(
        std::realloc(font_table, sizeof(loaded_font) * (font_table_size + table_growth)));
    if (grown) {
        std::memset(grown + font_table_size, 0, sizeof(loaded_font) * table_growth);
        font_table = grown;
        font_table_size += table_growth;
    }
    release_frames();
    return grown ? font_table_size - table_growth : -1;
}

// A broken font file may claim any advance.
int32_t glyph_advance(platform_font* engine, uint32_t code_point) {
    return std::min(platform_font_advance(engine, code_point), largest_advance);
}

int32_t widest_printable_advance(platform_font* engine) {
    int32_t widest = 0;
    for (uint32_t c = first_printable; c <= last_printable; ++c)
        widest = std::max(widest, glyph_advance(engine, c));
    return std::max(widest, 1);
}

// The code point a character code stands for: itself with a Unicode font, else the byte's
// entry in the code page table.
uint32_t font_code_point(const loaded_font& font, uint32_t code) {
    return (font.flags & font_flag_unicode) ? code : code_page[code & 255];
}

bool font_in_use(int32_t handle) {
    for (int32_t slot = 0; slot < image_state.table_size; ++slot)
        if (image_state.table[slot].in_use && image_state.table[slot].font == handle) return true;
    return false;
}

} // namespace

int32_t rt_load_font(rt_string* file, int32_t size, rt_string* options, uint32_t given) {
    if (error_state.error_pending) return 0;
    if (size <= 0) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    if (size > largest_font_size) return -1;
    uint32_t flags = 0;
    platform_font_style style{};
    if (given & 1) parse_options(rt_view(options), flags, style);
    const std::string path(rt_view(file));
    platform_font* engine = platform_font_open(path.c_str(), size, style);
    if (!engine) return -1;
    const int32_t entry = free_entry();
    if (entry < 0) {
        platform_font_close(engine);
        return -1;
    }
    const int32_t width = (flags & font_flag_monospace) ? widest_printable_advance(engine) : 0;
    font_table[entry] = loaded_font{engine, size, width, flags, nullptr};
    return first_loaded_font + entry;
}

void rt_free_font(int32_t handle) {
    if (error_state.error_pending) return;
    if (!loaded_font_of(handle)) {
        rt_raise_error(err_invalid_handle);
        return;
    }
    if (font_in_use(handle)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    loaded_font& font = font_table[handle - first_loaded_font];
    platform_font_close(font.engine);
    std::free(font.text_cells);
    font = loaded_font{};
}

const loaded_font* loaded_font_of(int32_t handle) {
    if (handle < first_loaded_font || handle - first_loaded_font >= font_table_size) return nullptr;
    const loaded_font& font = font_table[handle - first_loaded_font];
    return font.engine ? &font : nullptr;
}

int32_t loaded_font_char_width(int32_t handle, uint32_t code) {
    const loaded_font* font = loaded_font_of(handle);
    if (!font) return 0;
    if (font->width > 0) return font->width;
    return glyph_advance(font->engine, font_code_point(*font, code));
}

bool loaded_font_render_cell(const loaded_font& font, uint32_t code, int32_t cell_width,
                             uint8_t* coverage) {
    const uint32_t code_point = font_code_point(font, code);
    const int32_t pen_x =
        font.width > 0 ? (font.width - glyph_advance(font.engine, code_point)) / 2 : 0;
    return platform_font_render(font.engine, code_point, cell_width, pen_x, coverage);
}

bool loaded_font_prepare_text_cells(int32_t handle) {
    const loaded_font* found = loaded_font_of(handle);
    if (!found || found->width == 0) return false;
    if (found->text_cells) return true;
    loaded_font& font = font_table[handle - first_loaded_font];
    const size_t cell_bytes = size_t(font.width) * size_t(font.height);
    auto* cells = static_cast<uint8_t*>(std::malloc(cell_bytes * 256));
    if (!cells) return false;
    for (uint32_t code = 0; code < 256; ++code)
        loaded_font_render_cell(font, code, font.width, cells + code * cell_bytes);
    font.text_cells = cells;
    return true;
}

const uint8_t* loaded_font_text_cell(int32_t handle, uint8_t code) {
    const loaded_font* font = loaded_font_of(handle);
    if (!font || !font->text_cells) return nullptr;
    return font->text_cells + size_t(code) * size_t(font->width) * size_t(font->height);
}

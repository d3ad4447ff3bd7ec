#include "runtime/screen/fonts.h"

#include "runtime/core/errors.h"
#include "runtime/core/run_control.h"
#include "runtime/screen/glyphs.h"
#include "runtime/screen/image.h"
#include "runtime/screen/loaded_fonts.h"

// Built in: 8 and 9 the 8x8 set, 14 and 15 the 14-row cut of the 8x16 set, 16 and 17 the
// 8x16 set; the odd handles are the double-width ones of the 40-column text modes.
constexpr uint32_t mono = font_flag_monospace;
// clang-format off
uint32_t font_height_table[first_loaded_font] = {
    0, 0, 0, 0, 0, 0, 0, 0,  8,  8, 0, 0, 0, 0, 14, 14,
    16, 16};
uint32_t font_width_table[first_loaded_font] = {
    0, 0, 0, 0, 0, 0, 0, 0,  8, 16, 0, 0, 0, 0,  8, 16,
    8, 16};
uint32_t font_flags_table[first_loaded_font] = {
    0, 0, 0, 0, 0, 0, 0, 0, mono, mono, 0, 0, 0, 0, mono, mono,
    mono, mono};
// clang-format on

uint8_t glyphs_8x8[256 * 64];
uint8_t glyphs_8x16[256 * 128];

static void expand_glyph_rows(const uint8_t* rows, int32_t row_count, uint8_t* pixels) {
    for (int32_t r = 0; r < row_count; ++r) {
        for (int32_t b = 0; b < 8; ++b) *pixels++ = (rows[r] & (0x80 >> b)) ? 255 : 0;
    }
}

void rt_fonts_init() {
    expand_glyph_rows(glyph_rows_8x8, 256 * 8, glyphs_8x8);
    expand_glyph_rows(glyph_rows_8x16, 256 * 16, glyphs_8x16);
}

static bool font_built_in(int32_t font) {
    return font >= 0 && font < first_loaded_font && font_height_table[font] != 0;
}

bool font_exists(int32_t font) {
    return font_built_in(font) || loaded_font_of(font);
}

int32_t font_height(int32_t font) {
    if (const loaded_font* loaded = loaded_font_of(font)) return loaded->height;
    return font_built_in(font) ? static_cast<int32_t>(font_height_table[font]) : 0;
}

int32_t font_width(int32_t font) {
    if (const loaded_font* loaded = loaded_font_of(font)) return loaded->width;
    return font_built_in(font) ? static_cast<int32_t>(font_width_table[font]) : 0;
}

uint32_t font_flags(int32_t font) {
    if (const loaded_font* loaded = loaded_font_of(font)) return loaded->flags;
    return font_built_in(font) ? font_flags_table[font] : 0;
}

const uint8_t* font_glyph(int32_t font, uint32_t code) {
    if (!font_built_in(font)) return nullptr;
    uint32_t c = code & 255;
    int32_t height = font_height(font);
    if (height == 8) return glyphs_8x8 + c * 64;
    // The 14-row cut drops the first and the last row of the 16-row glyph.
    return glyphs_8x16 + c * 128 + (16 - height) / 2 * 8;
}

static void store_text_cell(rt_image& page, uint32_t code) {
    int32_t cell = (page.cursor_row - 1) * page.width + (page.cursor_col - 1);
    page.pixels[cell * 2] = static_cast<uint8_t>(code);
    page.pixels[cell * 2 + 1] = text_attribute_of(page);
}

static void draw_glyph_cell(const rt_image& image, const uint8_t* glyph) {
    int32_t height = font_height(image.font);
    int32_t width = font_width(image.font);
    int32_t scale = width / 8; // double-width fonts repeat every pixel
    int32_t x0 = (image.cursor_col - 1) * width;
    int32_t y0 = (image.cursor_row - 1) * height;
    bool store_set = image.print_mode != 2;
    bool store_clear = image.print_mode != 1;
    uint32_t fg = static_cast<uint32_t>(image.fg_colour);
    uint32_t bg = image.bg_colour;
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t col = 0; col < 8; ++col) {
            bool set = glyph[row * 8 + col] != 0;
            if (set ? !store_set : !store_clear) continue;
            for (int32_t s = 0; s < scale; ++s)
                put_pixel(x0 + col * scale + s, y0 + row, set ? fg : bg);
        }
    }
}

void font_draw_char(uint32_t code) {
    if (error_state.error_pending) return;
    if (image_state.dest->text_page) {
        store_text_cell(*image_state.dest, code);
        return;
    }
    if (image_state.dest->font >= first_loaded_font) {
        loaded_font_draw_char(code);
        return;
    }
    const uint8_t* glyph = font_glyph(image_state.dest->font, code);
    if (glyph) draw_glyph_cell(*image_state.dest, glyph);
}

int32_t font_char_width(uint32_t code) {
    if (error_state.error_pending) return 0;
    if (image_state.dest->font >= first_loaded_font)
        return loaded_font_char_width(image_state.dest->font, code);
    return font_width(image_state.dest->font);
}

// The display draws every cell of a text page into its frame: 80 columns of 64-pixel cells
// are already wider than most displays, and larger ones make frames and cell maps of
// hundreds of megabytes.
constexpr int32_t largest_text_cell = 64;

static bool shows_on_text_pages(int32_t font) {
    return (font_flags(font) & font_flag_monospace) && font_width(font) <= largest_text_cell &&
           font_height(font) <= largest_text_cell;
}

static void set_screen_pages_font(int32_t font) {
    rt_take_frame_lock();
    for (int32_t page = 0; page < image_state.page_list_size; ++page) {
        if (image_state.page_list[page] != 0)
            image_state.table[image_state.page_list[page]].font = font;
    }
    rt_release_frame_lock();
}

void rt_set_font(int32_t font, int32_t page_or_handle, uint32_t given) {
    if (error_state.error_pending) return;
    if (!font_exists(font)) {
        rt_raise_error(err_invalid_handle);
        return;
    }
    int32_t slot = given ? image_resolve(page_or_handle) : image_state.dest_image;
    if (slot < 0) return;
    rt_image& image = image_state.table[slot];
    if (image.text_page && !shows_on_text_pages(font)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    // The display shows text pages of a loaded font from cells rendered beforehand.
    if (image.text_page && font >= first_loaded_font && !loaded_font_prepare_text_cells(font)) {
        rt_raise_error(err_out_of_memory);
        return;
    }
    if (image.text_page && (image.flags & image_screen_page)) {
        set_screen_pages_font(font);
        return;
    }
    image.font = font;
    image_reset_text_region(image);
}

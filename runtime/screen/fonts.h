#pragma once
// Font handles and the built-in glyph sets: cell sizes for every other part of the screen
// code and the drawing of one character cell.
#include <cstdint>

constexpr uint32_t font_flag_dont_blend = 0x08;
constexpr uint32_t font_flag_monospace = 0x10;
constexpr uint32_t font_flag_unicode = 0x20; // strings hold one 32-bit code point per character

// Handles below this are built in (8, 9, 14, 15, 16, 17) or not fonts at all.
constexpr int32_t first_loaded_font = 32;

// The font handle table, indexed by handle; zero height means "not a font".
extern uint32_t font_height_table[first_loaded_font];
extern uint32_t font_width_table[first_loaded_font]; // 0 = proportional
extern uint32_t font_flags_table[first_loaded_font];

// Working glyph sets, one byte per pixel (0 or 255), glyph c at c * 64 and c * 128.
extern uint8_t glyphs_8x8[256 * 64];
extern uint8_t glyphs_8x16[256 * 128];

// Start-up: expands the constant glyph rows into the working sets.
void rt_fonts_init();

// Built-in handles and live loaded fonts (loaded_fonts.h).
bool font_exists(int32_t font);
// Cell height and width in pixels (width 0 = proportional); 0 for handles that are no font.
int32_t font_height(int32_t font);
int32_t font_width(int32_t font);
uint32_t font_flags(int32_t font);

// The source rows of a built-in glyph: font_height(font) rows of 8 one-byte pixels. The
// double-width handles 9, 15 and 17 answer the same 8-pixel rows as 8, 14 and 16; the
// caller draws each pixel twice. Codes are taken modulo 256. Null for other handles.
const uint8_t* font_glyph(int32_t font, uint32_t code);

// Draws one character at the text cursor of dest_image: on a pixel page through put_pixel
// by print_mode (1 set pixels only, 2 clear pixels only, 3 both), without clipping; on a
// text page it stores the code and the text attribute in the cursor's cell.
void font_draw_char(uint32_t code);
// Width of one character in dest_image's font: the glyph's own width with a proportional font.
int32_t font_char_width(uint32_t code);

// Sets the font of a page or image (given non-zero: page_or_handle names it, else
// dest_image). Error 258 for a handle that is no font, 5 for a proportional font or one
// with cells over 64 pixels a side on a text page (7 when the cells of a loaded font for the
// display cannot be made). On a text screen page every screen page changes font; on any
// other image the cursor goes home and the print region is recomputed for the new cell
// height.
void rt_set_font(int32_t font, int32_t page_or_handle, uint32_t given);

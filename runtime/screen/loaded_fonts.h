#pragma once
// Fonts loaded from files, handles 32 and up. Each is a face of the font engine with a cell
// of a fixed height; the handle table gives other screen code its height, width (0 for a
// proportional font) and flags, and characters are drawn through 8-bit coverage maps.
//
// The style options: BOLD emboldens the outlines and widens each glyph's advance to match;
// ITALIC slants the outlines right by about 12 degrees about the baseline (ink that leans
// out of the cell is cut off); UNDERLINE draws the face's underline across every cell.
// MONOSPACE gives every cell the width of the widest printable ASCII glyph (32 to 126) and
// centres each glyph in it; without it the font is proportional.
#include <cstdint>

#include "runtime/core/rt_string.h"

// Sizes above this answer -1 instead of a font.
constexpr int32_t largest_font_size = 2048;

struct loaded_font {
    struct platform_font* engine; // null: the handle is free
    int32_t height;
    int32_t width; // 0 = proportional
    uint32_t flags;
    uint8_t* text_cells; // coverage maps of the 256 byte codes, made when first set on a text page
};

// Loads a font file with cells of size pixels. Given bit value 1: options is a
// comma-separated list of BOLD, ITALIC, UNDERLINE, DONTBLEND, MONOSPACE and UNICODE, each
// item trimmed and in any letter case; other items are ignored. Answers the lowest free
// handle from 32 up, or -1 when the size is above 2048, the file cannot be read as a
// scalable font or memory runs out. A size of 0 or less raises 5.
int32_t rt_load_font(rt_string* file, int32_t size, rt_string* options, uint32_t given);
// Frees a loaded font: 258 unless the handle is a live loaded font, 5 while a live image
// still has it as its font.
void rt_free_font(int32_t handle);

// The table entry of a live loaded font; null for every other handle.
const loaded_font* loaded_font_of(int32_t handle);
// Horizontal advance of one character: the cell width of monospace fonts, else the glyph's
// own width in pixels.
int32_t loaded_font_char_width(int32_t handle, uint32_t code);
// Renders one character into a coverage map of cell_width x height bytes: proportional
// glyphs from the cell's left edge, monospace glyphs centred in their cell. False when the
// font cannot render it (the map is then blank).
bool loaded_font_render_cell(const loaded_font& font, uint32_t code, int32_t cell_width,
                             uint8_t* coverage);
// Draws one character of dest_image's loaded font at its text cursor, clipped to the image:
// blended by print_mode through the coverage map on 32-bit images, or with the map as a
// mask on 1-byte pages, on images with blending off and with DONTBLEND fonts.
void loaded_font_draw_char(uint32_t code);
// Makes the 256 coverage maps a text page is shown with (monospace fonts only, cell width
// x height bytes each, code c at c x width x height); false when memory runs out.
bool loaded_font_prepare_text_cells(int32_t handle);
// The coverage map of byte code on a text page shown with a loaded font whose text cells
// are made; null otherwise. Read by the display refresh.
const uint8_t* loaded_font_text_cell(int32_t handle, uint8_t code);
// Each of the four bytes from the background's towards the foreground's by coverage (0-255).
uint32_t coverage_blend(uint32_t background, uint32_t foreground, uint32_t coverage);

#pragma once
// Picture pixels written many at a time: glyph rows widened into pixel masks in vector
// registers, palette pixels sixteen at a time by a byte shuffle where the machine has one.
#include <cstddef>
#include <cstdint>

// A text cell's two colours as the row writer uses them.
struct cell_colours {
    uint32_t ink;        // the foreground
    uint32_t difference; // background ^ foreground: a blank pixel flips exactly these bits
};

cell_colours colours_of_cell(uint32_t background, uint32_t foreground);

// One text cell to write: its top-left pixel, its glyph (rows of 8 one-byte pixels,
// non-zero = ink; null for a blank cell) and its colours.
struct glyph_cell {
    uint32_t* origin;
    const uint8_t* glyph;
    cell_colours colours;
};

// Writes cells of one row of text, all rows high, a picture row at a time so that the
// stores run in order: 8 pixels a cell row, or 16 with scale 2 (double-width cells show
// every pixel twice). pitch is the picture's width in pixels.
void write_glyph_cells(const glyph_cell* cells, int32_t count, size_t pitch, int32_t rows,
                       int32_t scale);

// count pixels, each the colour of its byte. colours holds the 2^bits_per_pixel entries of
// the page, alpha already set; a byte beyond them shows the entry of its low bits.
void write_palette_pixels(uint32_t* out, const uint8_t* pixels, size_t count,
                          const uint32_t* colours, int32_t bits_per_pixel);

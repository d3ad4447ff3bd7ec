#pragma once
// Scalable font files (TrueType, OpenType and the other outline formats FreeType reads)
// rendered into 8-bit coverage maps of one text cell. FreeType needs neither a display nor
// a device, so tests call it for real; no stand-in is needed.
#include <cstddef>
#include <cstdint>

struct platform_font;

struct platform_font_style {
    bool bold;      // outlines emboldened (FreeType's synthetic bold); advances grow to match
    bool italic;    // outlines slanted right by about 12 degrees about the baseline
    bool underline; // a line at the face's underline position across the whole cell
};

// Opens a font file with its glyphs scaled so that the face's ascender-to-descender span
// fills cell_height pixels. Null when the file cannot be read, holds no font, the font has
// no scalable outlines, or that span is so small that glyphs would dwarf the cell.
platform_font* platform_font_open(const char* path, int32_t cell_height, platform_font_style style);
void platform_font_close(platform_font* font);

// Fuzzing serves font files from memory: a path the reader answers for is opened from the
// bytes it gives (which must outlive the font), any other path from disk. Null: disk only.
struct font_file_bytes {
    const uint8_t* data;
    size_t size;
};
using font_file_reader = bool (*)(const char* path, font_file_bytes& bytes);
void platform_set_font_file_reader(font_file_reader reader);

// Advance width in whole pixels of the glyph for a code point (the font's missing-glyph
// shape when it has none); 0 when the glyph cannot be loaded.
int32_t platform_font_advance(platform_font* font, uint32_t code_point);

// Renders the glyph for a code point into coverage, cell_width x cell_height bytes row by
// row (0 no ink, 255 full ink), with the glyph's origin pen_x pixels from the left edge of
// the cell on the baseline. The map is cleared first; ink outside the cell is dropped.
// False when the glyph cannot be rendered or is many cells large (a damaged outline).
bool platform_font_render(platform_font* font, uint32_t code_point, int32_t cell_width,
                          int32_t pen_x, uint8_t* coverage);

#pragma once
// The built-in glyph sets as committed constant data, one byte per glyph row with the
// leftmost pixel in bit 7, code page 437 order (made by tools/make_glyphs.py).
#include <cstdint>

extern const uint8_t glyph_rows_8x8[256 * 8];
extern const uint8_t glyph_rows_8x16[256 * 16];

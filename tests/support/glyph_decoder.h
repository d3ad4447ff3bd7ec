#pragma once
// Reads a picture of a text screen (8x16 cells, such as the 640x400 window of the 80x25
// screen, or 8x8 cells, such as the 640x200 two-colour screen) back into its character
// codes, for tests that look at real window pixels.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A cell that matches no glyph decodes to this byte. A cell of one colour decodes to ' ',
// whether it holds a space or a full block.
constexpr char undecodable_cell = '\0';

// pixels: top row first, channels 3 (RGB) or 4 (RGBA; alpha ignored), rows packed.
// Each cell is read as two colours: the background is background_rgb (0xRRGGBB) when the
// cell contains it, else the colour of the cell's top-left pixel; every other pixel is
// foreground. The bitmap must equal a glyph of the set of that cell height (8 or 16) or
// its inverse exactly. Returns one string of code page 437 bytes per row of cells.
std::vector<std::string> decode_text_screen(const uint8_t* pixels, int32_t width, int32_t height,
                                            int32_t channels,
                                            std::optional<uint32_t> background_rgb = {},
                                            int32_t cell_height = 16);

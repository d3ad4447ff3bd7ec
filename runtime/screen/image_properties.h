#pragma once
// Inspecting and adjusting images: size, pixel size, colours, font and print mode; the
// blending and transparency switches; palette entries and palette copies; alpha editing of
// 32-bit images.
//
// The image argument: with its given bit set, a negative value is an image handle (258
// when not live) and a non-negative one a page number (the page is made when missing);
// without it dest_image is meant. Every operation does nothing, answering 0, while an error
// is pending.
#include <cstdint>

// Queries; given bit value 1 = image.
int32_t rt_image_width(int32_t image, uint32_t given);
int32_t rt_image_height(int32_t image, uint32_t given);
// 0 for text pages, 4 for 32-bit images, 1 otherwise.
int32_t rt_pixel_size(int32_t image, uint32_t given);
// -1 on text pages, 0 on 32-bit images, else the transparent colour (-1 for none).
int32_t rt_transparent_colour(int32_t image, uint32_t given);
// -1 when the image is 32-bit and blends, else 0.
int32_t rt_blending(int32_t image, uint32_t given);
uint32_t rt_default_colour(int32_t image, uint32_t given);
uint32_t rt_background_colour(int32_t image, uint32_t given);
int32_t rt_image_font(int32_t image, uint32_t given);
// The stored print mode: 1 foreground only, 2 background only, 3 both.
int32_t rt_print_mode(int32_t image, uint32_t given);
// Palette entry index (0-255) with its alpha byte forced to 0xFF; given bit value 1 =
// image. Error 5 for another index or an image without a palette.
uint32_t rt_palette_colour(int32_t index, int32_t image, uint32_t given);
// Cell width and height of a font; given bit value 1 = font, else dest_image's font. A
// given handle must be 8, 14, 16 or a live loaded font (258 otherwise).
int32_t rt_font_width(int32_t font, uint32_t given);
int32_t rt_font_height(int32_t font, uint32_t given);

// Settings.
// Blending on: 32-bit images only (5 otherwise). Off: 32-bit images; others are left alone.
void rt_blend_on(int32_t image, uint32_t given);
void rt_blend_off(int32_t image, uint32_t given);
// Given bit values 1 = colour, 2 = image. Palette images: a colour below 256 becomes the
// transparent colour, no colour clears it. Text pages: no colour is accepted and does
// nothing. 32-bit images: every pixel of the colour's red, green and blue becomes fully
// transparent. Every other combination raises 5.
void rt_set_transparent(uint32_t colour, int32_t image, uint32_t given);
// n = 1 both colours (stored 3), 2 foreground only (stored 1), 3 background only (stored 2);
// other n change nothing. Text pages accept only 1 (5 otherwise). Given bit value 2 = image.
void rt_set_print_mode(int32_t n, int32_t image, uint32_t given);
// Palette entry index := colour (all 32 bits); given bit value 1 = image. Error 5 for an
// index outside 0-255 or an image without a palette.
void rt_set_palette_colour(int32_t index, uint32_t colour, int32_t image, uint32_t given);
// All 256 entries from source (default source_image) to destination (default dest_image);
// given bit values 1 = source, 2 = destination. Both need a palette (5 otherwise).
void rt_copy_palette(int32_t source, int32_t destination, uint32_t given);
// 32-bit images, alpha 0-255 (5 otherwise). Given bit values 1 = first colour, 2 = second,
// 4 = image. No colour: every pixel's alpha. One colour, or two equal ones: the pixels of
// exactly that value. Two colours: the pixels whose blue, green, red and alpha bytes each
// lie between the two colours' bytes, inclusive.
void rt_set_alpha(int32_t alpha, uint32_t first, uint32_t second, int32_t image, uint32_t given);

// Shared by the property and colour operations.
// The slot the optional image argument names (dest_image when not given); -1 after raising
// 258 for a dead handle.
int32_t image_argument_slot(int32_t image, bool given);
// Highest palette index a colour of the image may name: 15 on text pages, else colour_mask.
uint32_t last_palette_index(const struct rt_image& image);
// Alpha of every pixel of a 32-bit image whose four bytes each lie between the bytes of
// low and high, inclusive, := alpha.
void image_set_alpha_in_range(struct rt_image& image, uint8_t alpha, uint32_t low, uint32_t high);

#pragma once
// Colours from red, green, blue and alpha for an image, and colours taken apart again. On
// 32-bit images a colour is 0xAARRGGBB; on palette images it is a palette index, and
// packing one means finding the nearest palette entry.
//
// Components are clamped to 0-255 first. Given bit value 1 = image (as in
// image_properties.h; default dest_image). Every operation answers 0 while an error is
// pending.
#include <cstdint>

uint32_t rt_rgb(int32_t red, int32_t green, int32_t blue, int32_t image, uint32_t given);
// With alpha 0 on a palette image that has a transparent colour, that colour.
uint32_t rt_rgba(int32_t red, int32_t green, int32_t blue, int32_t alpha, int32_t image,
                 uint32_t given);
// 32-bit images: the colour's alpha byte. Palette images: 0 for the transparent colour,
// else 255; a colour beyond the palette raises 5.
uint32_t rt_alpha_of(uint32_t colour, int32_t image, uint32_t given);
// 32-bit images: the colour's own bytes; palette images: the bytes of its palette entry (a
// colour beyond the palette raises 5).
uint32_t rt_red_of(uint32_t colour, int32_t image, uint32_t given);
uint32_t rt_green_of(uint32_t colour, int32_t image, uint32_t given);
uint32_t rt_blue_of(uint32_t colour, int32_t image, uint32_t given);

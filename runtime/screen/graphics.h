#pragma once
// Pixel graphics on dest_image: points, lines and boxes with dash styles, circles and arcs,
// flood fill, and the view port and world window that map program coordinates to pixels.
// Every operation does nothing while an error is pending, raises 5 on a text page, and
// stores pixels through put_pixel. Arguments whose bit is clear in `given` are ignored and
// take their defaults from dest_image.
#include <cstdint>

#include "runtime/core/rt_string.h"

// rt_pset / rt_preset: the point is relative to the graphics cursor (STEP); colour given.
constexpr uint32_t pset_step = 1;
constexpr uint32_t pset_colour = 2;

// rt_line kinds and given bits.
constexpr int32_t line_plain = 0;
constexpr int32_t line_box = 1;
constexpr int32_t line_filled_box = 2;
constexpr uint32_t line_first_point = 1;     // else the line starts at the graphics cursor
constexpr uint32_t line_second_relative = 2; // second point relative to the first
constexpr uint32_t line_first_relative = 4;  // first point relative to the graphics cursor
constexpr uint32_t line_colour = 8;
constexpr uint32_t line_style = 16; // 16-bit dash mask, bit 15 first; else solid

// rt_circle given bits. Angles in radians, 0 to 2 pi; a negative angle also draws the
// radius line to it.
constexpr uint32_t circle_relative = 1;
constexpr uint32_t circle_colour = 2;
constexpr uint32_t circle_start = 4;
constexpr uint32_t circle_end = 8;
constexpr uint32_t circle_aspect = 16;

// rt_paint / rt_paint_tile given bits. paint_tile_form in rt_paint raises 5 (the tile form
// has its own entry); paint_background only applies to rt_paint_tile.
constexpr uint32_t paint_relative = 1;
constexpr uint32_t paint_fill = 2;
constexpr uint32_t paint_border = 4;
constexpr uint32_t paint_tile_form = 8;
constexpr uint32_t paint_background = 8;

// rt_view: coordinates given; absolute (no origin shift); fill colour; border colour.
constexpr uint32_t view_coordinates = 1;
constexpr uint32_t view_absolute = 2;
constexpr uint32_t view_fill = 4;
constexpr uint32_t view_border = 8;

// rt_window: corners given; larger y lower on the screen (no inversion).
constexpr uint32_t window_coordinates = 1;
constexpr uint32_t window_no_inversion = 2;

// Sets the pixel at (x, y) to colour (default fg_colour; bg_colour for rt_preset) and moves
// the graphics cursor there.
void rt_pset(float x, float y, uint32_t colour, uint32_t given);
void rt_preset(float x, float y, uint32_t colour, uint32_t given);
// A styled line, a box outline or a filled box from (x1, y1) to (x2, y2).
void rt_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t kind, int32_t style,
             uint32_t given);
// Circle, arc or ellipse of the given radius in program units; the aspect (vertical over
// horizontal) defaults to the mode's pixel shape.
void rt_circle(double x, double y, double radius, uint32_t colour, double start, double end,
               double aspect, uint32_t given);
// Flood fill from (x, y) with fill colour (default fg_colour) up to the border colour
// (default the fill colour).
void rt_paint(float x, float y, uint32_t fill, uint32_t border, uint32_t given);
// Flood fill with a tile pattern (1 to 64 bytes, 256 on 4-bit pages; palette pages only) up
// to the border colour (default fg_colour). A pixel that already holds its tile value stops
// the fill, unless that value is the background value: the background string (1 to 255
// bytes) read as one tile row of the page's format, its leftmost pixel. Without a
// background string no value is exempt.
void rt_paint_tile(float x, float y, rt_string* pattern, uint32_t border, rt_string* background,
                   uint32_t given);
// Sets the view port to the pixel rectangle (x1, y1)-(x2, y2), or back to the whole page.
void rt_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border,
             uint32_t given);
// Sets the world window mapping (x1, y1)-(x2, y2) onto the view port, or removes it.
void rt_window(float x1, float y1, float x2, float y2, uint32_t given);
// Colour of source_image at the mapped point: a palette index, 0xAARRGGBB on 32-bit pages,
// or -1 outside the view port.
int64_t rt_point(float x, float y);
// The graphics cursor: 0 pixel x, 1 pixel y, 2 world x, 3 world y.
float rt_point(int32_t n);

#pragma once
// What the application calls of the screen: modes, colours, pages and images, printing,
// the text cursor and window, and clearing. The graphics and the drawing-command language
// have their own headers.
#include <cstdint>
#include <string_view>

#include "runtime/core/rt_string.h"

// The arguments given to rt_screen.
constexpr uint32_t screen_mode_given = 1, screen_colour_switch_given = 2,
                   screen_active_page_given = 4, screen_visual_page_given = 8;
void rt_screen(int32_t mode, int32_t colour_switch, int32_t active_page, int32_t visual_page,
               int32_t fifth, uint32_t given);
void rt_width(int32_t device, int32_t columns, int32_t rows, uint32_t given);
// The arguments given to rt_color: foreground, background, border (or palette) colour.
constexpr uint32_t colour_foreground_given = 1, colour_background_given = 2,
                   colour_border_given = 4;
void rt_color(uint32_t first, uint32_t second, uint32_t third, uint32_t given);
// The attribute and its colour value, given together (neither: the default palette).
constexpr uint32_t palette_entry_given = 3;
void rt_palette(int32_t attribute, int32_t colour, uint32_t given);
void rt_pcopy(int32_t from, int32_t to);
void rt_out(int32_t port, int32_t value);
int32_t rt_new_image(int32_t width, int32_t height, int32_t mode, uint32_t given);
void rt_free_image(int32_t handle, uint32_t given);
void rt_select_dest(int32_t page_or_handle);
void rt_select_source(int32_t page_or_handle);
int32_t rt_dest_handle();
int32_t rt_source_handle();
int32_t rt_visible_handle();

void rt_print(rt_string* text, bool new_line);
void rt_print(std::string_view text, bool new_line);
// Before a string item: a new line when the item would not fit in the rest of the line.
void rt_print_wrap_check(rt_string* text);
// The comma item: on to the next print zone.
void rt_print_comma();
// Spaces (after a carriage return when moving left) that bring the cursor to column n.
rt_string* rt_tab(int32_t column);
// The arguments given to rt_locate.
constexpr uint32_t locate_row_given = 1, locate_column_given = 2, locate_cursor_given = 4;
void rt_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop,
               uint32_t given);
// The text window's top and bottom rows, given together (neither: the whole page).
constexpr uint32_t view_print_rows_given = 3;
void rt_view_print(int32_t top, int32_t bottom, uint32_t given);
// The arguments given to rt_cls: the clearing method and the colour to clear to.
constexpr uint32_t cls_method_given = 1, cls_colour_given = 2;
void rt_cls(int32_t method, uint32_t colour, uint32_t given);

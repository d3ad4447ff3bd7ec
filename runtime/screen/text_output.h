#pragma once
// Printing onto dest_image: the text cursor, wrapping at the right edge, scrolling of the
// print region, control characters and print zones; cursor, region and clearing statements.
#include <cstdint>
#include <string_view>

#include "runtime/core/rt_string.h"

struct rt_image;

// When 2, every byte is printed as its glyph and no control character is obeyed.
extern int32_t control_char_mode;
// Printer line width set by rt_width for the printer (device 2).
extern int32_t printer_line_width;

// The printer code installs this while it prints onto its page; null otherwise. It answers
// whether dest_image is the printer page, after acting on the event: query does nothing, a
// character marks the page as having content, page_full and form_feed hand the page to the
// printer (the text code then clears it).
enum class printer_event : uint8_t { query, character, page_full, form_feed };
extern bool (*printer_page_hook)(printer_event event);
// Slot of the page whose cursor rt_tab measures from while a printer statement runs; null or
// a negative answer means dest_image.
extern int32_t (*tab_page_hook)();

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

// The printer's line starts afresh: its page was cleared other than by a new line.
void printer_line_restart();
// Cursor to column 1 of the next row, scrolling the print region when it runs off the bottom.
void text_new_line();
// Fills text rows first..last (1-based, inclusive) of a text page with spaces.
void fill_text_rows(rt_image& image, int32_t first_row, int32_t last_row, uint8_t attribute);
// Fills pixel rows [y1, y2) of x range [x1, x2) of dest_image with a colour, without blending.
void fill_pixel_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

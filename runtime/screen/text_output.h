#pragma once
// Printing onto dest_image (the statements are in screen.h): the text cursor, wrapping at
// the right edge, scrolling of the print region, control characters and print zones.
#include <cstdint>

#include "runtime/screen/screen.h"

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

// The printer's line starts afresh: its page was cleared other than by a new line.
void printer_line_restart();
// Cursor to column 1 of the next row, scrolling the print region when it runs off the bottom.
void text_new_line();
// Fills text rows first..last (1-based, inclusive) of a text page with spaces.
void fill_text_rows(rt_image& image, int32_t first_row, int32_t last_row, uint8_t attribute);
// Fills pixel rows [y1, y2) of x range [x1, x2) of dest_image with a colour, without blending.
void fill_pixel_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

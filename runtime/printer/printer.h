#pragma once
// The printer: printed text is typeset onto an off-screen 80 x 60 page (640 x 960 pixels,
// black on white) by the screen's own text output, and the whole page goes to the
// desktop's default printer when it is full, on a form feed, after 10 idle seconds and at
// the end of the run. Without a printer pages are silently discarded.
#include <cstdint>
#include <string_view>

#include "runtime/core/rt_string.h"

constexpr int32_t printer_page_width = 640;
constexpr int32_t printer_page_height = 960;
constexpr int32_t printer_page_rows = 60;
constexpr double printer_idle_seconds = 10.0;

// Prints the text on the printer page; with new_line the line is ended, as rt_print does.
void rt_lprint(rt_string* text, bool new_line);
void rt_lprint(std::string_view text, bool new_line);

// A printing statement sets this for its whole duration (each item through rt_lprint, the
// line end as rt_lprint of "" with new_line) and clears it afterwards. While it is set,
// rt_tab measures columns on the printer page (creating the page first when needed).
void rt_printer_statement(bool active);

// Sends a page or image (negative: image handle, else screen page number) to the default
// printer, stretched to the printable area. An invalid handle raises 258.
void rt_print_page(int32_t page_or_handle);

// Slot of the printer page, -1 before the first rt_lprint.
int32_t printer_page_slot();
// The printer page holds text not yet printed.
bool printer_page_pending();

// Service thread: prints a pending page after printer_idle_seconds without printing.
void printer_idle_check();
// Shutdown, after the program thread has parked: prints a pending page.
void printer_shutdown_flush();

#pragma once
// Reading printed documents back: PWG raster pages decoded with libcups's raster reader,
// and the printer page recovered from the printable area of a raster queue's sheet.
#include <string>
#include <vector>

#include "tests/support/printer_page_text.h"
#include "tests/support/private_cups.h"
#include "tests/support/rgba_image.h"

struct raster_page {
    int x_dpi = 0, y_dpi = 0;
    rgba_image sheet; // the whole sheet, margins included
};

// Every page of a PWG raster document (8-bit sRGB or grey); empty when it is no raster.
std::vector<raster_page> decode_pwg_raster(const std::string& document);
// Every page of a PostScript document as Ghostscript renders it at dpi; empty when
// Ghostscript cannot read it.
std::vector<raster_page> rasterise_postscript(const std::string& document, int dpi);

// How the printed copy of the program under test reaches a queue: this build's spooler
// sends PWG raster, and the Windows build run through a launcher (Wine) prints through
// Wine's PostScript driver.
struct program_print_path {
    bool postscript = false;
    queue_paper paper = raster_queue_page;
    // Adds the queue such documents need, as the default destination.
    bool add_default_queue(private_cups& cups) const;
    // The pages of a document the queue received.
    std::vector<raster_page> pages(const std::string& document) const;
};
program_print_path print_path_of_program_under_test();

// The same for the printable area of a queue's sheet.
rgba_image printer_page_on_sheet(const rgba_image& sheet,
                                 const queue_paper& paper = raster_queue_page);

// The rows of the printer page printed on a queue's sheet.
std::vector<std::string> printed_rows(const rgba_image& sheet,
                                      const queue_paper& paper = raster_queue_page);

// Every pixel of the sheet outside the printable area is white.
bool margins_are_white(const rgba_image& sheet, const queue_paper& paper = raster_queue_page);

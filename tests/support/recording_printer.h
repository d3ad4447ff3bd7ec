#pragma once
// A stand-in printer for in-process tests: a printable area of a chosen size, every page
// recorded as the picture the spooler would have been sent.
#include <cstddef>
#include <vector>

#include "runtime/platform/print_spooler.h"
#include "tests/support/rgba_image.h"

// Installs the stand-in; with available false it refuses every page like a missing printer.
void install_recording_printer(print_area area, bool available = true);
std::vector<rgba_image> recorded_pages();
size_t recorded_page_count();

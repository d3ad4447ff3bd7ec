#pragma once
// The printer page read back as text from a picture of it: a recorded page, a window or a
// printed sheet.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/rgba_image.h"

inline constexpr uint32_t paper_white_rgb = 0xFFFFFF;

// The 640 x 960 printer page as it lies stretched over width x height pixels at (left, top)
// of a picture, taking for each page pixel the device pixel at the centre of the place it
// was stretched to.
rgba_image printer_page_in(const rgba_image& picture, int left, int top, int width, int height);
// The rows of characters of a printer page, trailing blanks and trailing empty rows
// dropped; undecodable cells read as undecodable_cell.
std::vector<std::string> printer_page_text(const rgba_image& page);

#pragma once
// Reading pages back in tests: text pages as rows of characters and attributes, pixel pages
// as grey maps of palette indices (or colour pictures of 32-bit pages) compared with
// committed expected files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/screen/image.h"
#include "tests/support/rgba_image.h"

struct text_page_rows {
    std::vector<std::string> text;       // one string of character bytes per row
    std::vector<std::string> attributes; // the text_attribute bytes of the same cells
};

text_page_rows read_text_page(const rt_image& page);
// The characters of each row: the cells of a text page, or the glyphs read back from the
// pixels of a pixel page (cells that match no glyph read as undecodable_cell).
std::vector<std::string> page_text(const rt_image& page);
// Row n (1-based) of a page without its trailing blanks.
std::string text_row(const rt_image& page, int row);
// Every row without trailing blanks, trailing empty rows dropped.
std::vector<std::string> text_rows(const rt_image& page);
// Attribute byte of the cell at row, column (1-based).
uint8_t attribute_at(const rt_image& page, int row, int column);

// The picture as the display would colour it through the page's palette (pixel pages).
rgba_image page_picture(const rt_image& page);
// Palette-index pages as binary PGM (P5, max value colour_mask), 32-bit pages as PPM (P6).
std::string page_as_pnm(const rt_image& page);

// A committed grey map of palette indices (P5, as page_as_pnm writes them).
struct grey_map {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> values; // one per pixel, top row first
};
// Reads tests/data/<name> (found through MIRVA_TEST_DATA); empty when it is missing or not
// a one-byte grey map.
grey_map read_expected_grey_map(const std::string& name);

// Compares a pixel page with tests/data/<name> (found through MIRVA_TEST_DATA). On a
// mismatch the actual page goes to actual/<name> and actual/<name>.png beside the test
// binary. With MIRVA_UPDATE_EXPECTED=1 the expected file is (re)written instead.
::testing::AssertionResult page_matches_expected(const rt_image& page, const std::string& name);

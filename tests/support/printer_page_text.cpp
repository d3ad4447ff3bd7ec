#include "tests/support/printer_page_text.h"

#include <cstring>

#include "runtime/printer/printer.h"
#include "tests/support/glyph_decoder.h"

rgba_image printer_page_in(const rgba_image& picture, int left, int top, int width, int height) {
    rgba_image page;
    page.width = printer_page_width;
    page.height = printer_page_height;
    page.bytes.resize(size_t(page.width) * page.height * 4);
    for (int y = 0; y < page.height; ++y) {
        const int sy = top + static_cast<int>((2 * y + 1) * int64_t(height) / (2 * page.height));
        for (int x = 0; x < page.width; ++x) {
            const int sx = left + static_cast<int>((2 * x + 1) * int64_t(width) / (2 * page.width));
            std::memcpy(&page.bytes[(size_t(y) * page.width + x) * 4],
                        &picture.bytes[(size_t(sy) * picture.width + sx) * 4], 4);
        }
    }
    return page;
}

std::vector<std::string> printer_page_text(const rgba_image& page) {
    std::vector<std::string> rows =
        decode_text_screen(page.bytes.data(), page.width, page.height, 4, paper_white_rgb);
    for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

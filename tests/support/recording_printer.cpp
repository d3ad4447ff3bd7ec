#include "tests/support/recording_printer.h"

#include <mutex>

namespace {

// Pages arrive on the program or the service thread and are read on the test's thread.
std::mutex pages_mutex;
std::vector<rgba_image> pages;
print_area stand_in_area{};
bool stand_in_available = true;

bool record_page(print_row_source rows, const void* context) {
    rgba_image page;
    page.width = stand_in_area.width;
    page.height = stand_in_area.height;
    page.bytes.resize(size_t(page.width) * page.height * 4);
    std::vector<uint32_t> row(size_t(page.width));
    for (int y = 0; y < page.height; ++y) {
        rows(context, stand_in_area, y, row.data());
        for (int x = 0; x < page.width; ++x) {
            uint8_t* p = &page.bytes[(size_t(y) * page.width + x) * 4];
            p[0] = static_cast<uint8_t>(row[size_t(x)] >> 16);
            p[1] = static_cast<uint8_t>(row[size_t(x)] >> 8);
            p[2] = static_cast<uint8_t>(row[size_t(x)]);
            p[3] = 0xFF;
        }
    }
    std::lock_guard<std::mutex> hold(pages_mutex);
    if (!stand_in_available) return false;
    pages.push_back(std::move(page));
    return true;
}

} // namespace

void install_recording_printer(print_area area, bool available) {
    {
        std::lock_guard<std::mutex> hold(pages_mutex);
        stand_in_area = area;
        stand_in_available = available;
        pages.clear();
    }
    platform_set_print_stand_in(record_page);
}

std::vector<rgba_image> recorded_pages() {
    std::lock_guard<std::mutex> hold(pages_mutex);
    return pages;
}

size_t recorded_page_count() {
    std::lock_guard<std::mutex> hold(pages_mutex);
    return pages.size();
}

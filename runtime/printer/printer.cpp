// The printer page and its flushing; the picture goes to the spooler a row at a time.
#include "runtime/printer/printer.h"

#include <atomic>
#include <cstring>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/core/seconds_clock.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/print_spooler.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"

namespace {

constexpr int32_t page_mode = 13;
constexpr int32_t page_font = 16;
constexpr int32_t ink_colour = 0;
constexpr uint8_t paper_colour = 15;
constexpr int printing_wait_ms = 64;
constexpr double print_time_resolution = 0.001;
constexpr uint32_t given_first = 1;

// What the spooler needs of a page; the pointers stay valid while the image lives, so the
// service thread never has to look into the image table.
struct page_picture {
    const uint8_t* pixels;
    const uint32_t* palette; // null on 32-bit images
    int32_t width, height;
};

int32_t page_slot = -1; // program thread only
page_picture printer_picture{};
std::atomic<bool> page_exists{false}; // publishes printer_picture to the service thread
std::atomic<bool> page_pending{false};
std::atomic<double> last_print_time{0};
// The program thread's printing and the service thread's check exclude each other: each
// raises its own flag first and then looks at the other's.
std::atomic<bool> printing{false};
std::atomic<bool> checking{false};
// The service thread printed and blanked the page; the program thread still owes it the
// rest of a clear (cursor home, graphics state) before printing on it again.
std::atomic<bool> clear_owed{false};
bool in_printer_statement = false;

uint32_t picture_colour(const page_picture& picture, int32_t x, int32_t y) {
    const size_t at = size_t(y) * size_t(picture.width) + size_t(x);
    if (!picture.palette) return reinterpret_cast<const uint32_t*>(picture.pixels)[at];
    return picture.palette[picture.pixels[at]];
}

// Nearest pixel of the page for each device pixel, sampled at the device pixel's centre;
// x and y are stretched independently.
void stretched_row(const void* context, print_area area, int32_t y, uint32_t* row) {
    const page_picture& picture = *static_cast<const page_picture*>(context);
    const int32_t source_y =
        static_cast<int32_t>((2 * int64_t(y) + 1) * picture.height / (2 * int64_t(area.height)));
    for (int32_t x = 0; x < area.width; ++x) {
        const int32_t source_x =
            static_cast<int32_t>((2 * int64_t(x) + 1) * picture.width / (2 * int64_t(area.width)));
        row[x] = picture_colour(picture, source_x, source_y);
    }
}

// A printer that cannot be had loses the page without a word.
void send_picture(const page_picture& picture) {
    platform_print_picture(stretched_row, &picture);
}

void print_printer_page() {
    send_picture(printer_picture);
    page_pending.store(false);
}

void blank_printer_page() {
    std::memset(const_cast<uint8_t*>(printer_picture.pixels), paper_colour,
                size_t(printer_page_width) * printer_page_height);
}

void enter_printing() {
    for (;;) {
        printing.store(true);
        if (!checking.load()) return;
        printing.store(false);
        rt_sleep_ms(printing_wait_ms);
    }
}

void leave_printing() {
    printing.store(false);
}

bool create_printer_page() {
    const int32_t slot = image_create(printer_page_width, printer_page_height, page_mode, nullptr);
    if (slot < 0) {
        rt_raise_error(err_out_of_memory);
        return false;
    }
    select_dest_slot(slot);
    rt_cls(0, paper_colour, cls_method_given | cls_colour_given);
    rt_set_font(page_font, 0, 0);
    image_state.dest->fg_colour = ink_colour;
    image_state.dest->draw_colour = ink_colour;
    image_state.dest->bg_colour = paper_colour;
    rt_view_print(1, printer_page_rows, view_print_rows_given);
    printer_picture = {image_state.dest->pixels, image_state.dest->palette, image_state.dest->width,
                       image_state.dest->height};
    page_slot = slot;
    page_exists.store(true);
    return true;
}

void settle_owed_clear() {
    if (!clear_owed.exchange(false)) return;
    rt_cls(0, paper_colour, cls_colour_given);
    printer_line_restart();
}

// Makes the printer page the destination, creating it on first use.
bool select_printer_page() {
    if (page_slot < 0) return create_printer_page();
    select_dest_slot(page_slot);
    settle_owed_clear();
    return true;
}

// Text output asks while it prints; the page is the destination exactly while rt_lprint
// prints on it.
bool on_printer_event(printer_event event) {
    if (image_state.dest_image != page_slot) return false;
    switch (event) {
    case printer_event::character:
        page_pending.store(true);
        break;
    case printer_event::page_full:
    case printer_event::form_feed:
        print_printer_page();
        break;
    case printer_event::query:
        break;
    }
    return true;
}

// The cursor of a page printed while idle goes home before anyone measures from it.
void settle_idle_print() {
    if (!clear_owed.load()) return;
    enter_printing();
    const int32_t previous = image_state.dest_image;
    select_printer_page();
    select_dest_slot(previous);
    leave_printing();
}

// rt_tab measures on the printer page while a printing statement runs.
int32_t printer_tab_page() {
    if (!in_printer_statement) return -1;
    if (page_slot < 0)
        rt_lprint(std::string_view(), false);
    else
        settle_idle_print();
    return page_slot;
}

void print_on_page(const uint8_t* bytes, int32_t length, bool new_line) {
    if (error_state.error_pending) return;
    enter_printing();
    const int32_t previous = image_state.dest_image;
    if (select_printer_page()) {
        page_pending.store(true);
        last_print_time.store(rt_timer(print_time_resolution, given_first));
        printer_page_hook = on_printer_event;
        rt_print(std::string_view(reinterpret_cast<const char*>(bytes), size_t(length)), new_line);
        printer_page_hook = nullptr;
    }
    select_dest_slot(previous);
    leave_printing();
}

bool idle_long_enough() {
    const double now = static_cast<double>(rt_time_of_day_ms()) / 1000.0;
    const double since = now - last_print_time.load();
    return (since < 0 ? -since : since) >= printer_idle_seconds;
}

} // namespace

void rt_lprint(rt_string* text, bool new_line) {
    print_on_page(text ? text->data : nullptr, text ? text->len : 0, new_line);
}

void rt_lprint(std::string_view text, bool new_line) {
    print_on_page(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()),
                  new_line);
}

void rt_printer_statement(bool active) {
    in_printer_statement = active;
    tab_page_hook = active ? printer_tab_page : nullptr;
}

void rt_print_page(int32_t page_or_handle) {
    if (error_state.error_pending) return;
    const int32_t slot = image_resolve(page_or_handle);
    if (slot < 0) return;
    const rt_image& image = image_state.table[slot];
    if (image.text_page) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const page_picture picture{image.pixels, image.bytes_per_pixel == 4 ? nullptr : image.palette,
                               image.width, image.height};
    send_picture(picture);
}

int32_t printer_page_slot() {
    return page_slot;
}

bool printer_page_pending() {
    return page_pending.load();
}

void printer_idle_check() {
    checking.store(true);
    if (!printing.load() && page_exists.load() && page_pending.load() && idle_long_enough()) {
        send_picture(printer_picture);
        blank_printer_page();
        clear_owed.store(true);
        page_pending.store(false); // last: whoever sees it clear sees the blank page
    }
    checking.store(false);
}

void printer_shutdown_flush() {
    if (page_exists.load() && page_pending.load()) print_printer_page();
}

// Turns the visible page into a 32-bit picture in the next frame-ring slot, skipping the
// work when nothing visible changed and redrawing only the changed cells of text pages.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/core/process_exit.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/host_window.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/loaded_fonts.h"
#include "runtime/window/cursor_shape.h"
#include "runtime/window/frame_pixels.h"
#include "runtime/window/frame_ring.h"

frame_slot frame_ring[frame_ring_slots + 1];
std::atomic<int32_t> frame_newest{0};
std::atomic<int32_t> frame_oldest{0};
std::atomic<int32_t> frame_built{0};

namespace {

constexpr uint32_t opaque = 0xFF000000u;
constexpr int32_t glyph_row_width = 8; // pixels of one built-in glyph row

// The monochrome adapter's mode keeps its four attributes after its four colour entries.
constexpr uint16_t mono_mode = 10;
constexpr int32_t mono_palette_entries = 8;

// What the last build converted, to tell whether anything visible changed.
struct kept_state {
    uint8_t* data = nullptr; // cells or pixel bytes
    size_t data_size = 0;
    uint32_t palette[256] = {};
    int32_t width = 0, height = 0, font = 0; // page size in cells or pixels
    bool blink = false, cursor_phase = false;
    int32_t cursor_x = -1, cursor_y = -1;
    bool valid = false;
};

kept_state kept;
int32_t cells_drawn = 0;

// The visible page as one build sees it: its record, cells or pixels and palette. Plain
// memory with no destructor: the service thread may still build while the process exits.
struct page_copy {
    rt_image record{};
    uint8_t* pixels = nullptr;
    size_t capacity = 0;
    uint32_t palette[256] = {};
};

page_copy frame_copy;

size_t page_bytes(const rt_image& page) {
    const size_t cells = static_cast<size_t>(page.width) * page.height;
    if (page.text_page) return cells * 2; // character and attribute
    return page.bits_per_pixel == 32 ? cells * 4 : cells;
}

int32_t palette_entries(const rt_image& page) {
    if (page.text_page) return 256;
    if (page.mode == mono_mode) return mono_palette_entries;
    return page.bits_per_pixel == 32 ? 0 : 1 << page.bits_per_pixel;
}

// The one place that reads the program's page without a lock, by design: a frame may catch
// a page mid-update and the next build corrects it. False when no page is shown.
bool copy_visible_page_for_frame(page_copy& copy) {
    const int32_t slot = image_state.visible_page.load();
    if (slot <= 0 || !image_state.table || !image_state.table[slot].in_use ||
        !image_state.table[slot].pixels)
        return false;
    const rt_image& page = image_state.table[slot];
    copy.record = page;
    const size_t size = page_bytes(copy.record);
    if (size > copy.capacity) {
        auto* grown = static_cast<uint8_t*>(std::realloc(copy.pixels, size));
        if (!grown) return false; // no frame this time; the next pass tries again
        copy.pixels = grown;
        copy.capacity = size;
    }
    std::memcpy(copy.pixels, page.pixels, size);
    if (page.palette)
        std::memcpy(copy.palette, page.palette, sizeof(uint32_t) * palette_entries(copy.record));
    copy.record.pixels = copy.pixels;
    copy.record.palette = copy.palette;
    return true;
}

// Only the builder frees buffers, and only those the display has marked done.
void release_done_slots() {
    int32_t oldest = frame_oldest.load();
    const int32_t newest = frame_newest.load();
    if (oldest == 0) return;
    const auto near_newest = [newest](int32_t slot) {
        int32_t back = newest;
        for (int i = 0; i < 4; ++i) {
            if (slot == back) return true;
            back = back == 1 ? frame_ring_slots : back - 1;
        }
        return false;
    };
    while (!near_newest(oldest) && frame_ring[oldest].done.load()) {
        std::free(frame_ring[oldest].pixels);
        frame_ring[oldest].pixels = nullptr;
        oldest = frame_ring_next(oldest);
    }
    frame_oldest.store(oldest);
}

bool ring_full() {
    const int32_t oldest = frame_oldest.load();
    return oldest != 0 && frame_newest.load() + 1 == (oldest == 1 ? 65 : oldest);
}

picture_rect whole_of(const frame_slot& slot) {
    return {0, 0, slot.width, slot.height};
}

// The part of a buffer that held slot `from`'s picture that differs from the newest
// picture: every change made after it (the whole picture if a size changed in between).
picture_rect changed_after(int32_t from, const frame_slot& into) {
    picture_rect changed;
    const int32_t newest = frame_newest.load();
    for (int32_t slot = from; slot != newest;) {
        slot = frame_ring_next(slot);
        const frame_slot& later = frame_ring[slot];
        if (later.width != into.width || later.height != into.height) return whole_of(into);
        changed = unite(changed, later.change);
    }
    return changed;
}

// What the buffer of the slot last allocated lacks of the newest picture.
picture_rect stale_part;

frame_slot& allocate_next_slot(int32_t width, int32_t height) {
    const int32_t next = frame_ring_next(frame_newest.load());
    frame_slot& slot = frame_ring[next];
    if (slot.pixels) rt_process_exit(9090); // the ring's bookkeeping is broken
    slot.width = width;
    slot.height = height;
    slot.length = width * height * 4;
    slot.done.store(0);
    slot.shown.store(0);
    slot.change = whole_of(slot);
    stale_part = whole_of(slot);
    const int32_t oldest = frame_oldest.load();
    if (oldest != 0 && oldest != frame_newest.load() && frame_ring[oldest].done.load() &&
        frame_ring[oldest].length == slot.length) {
        slot.pixels = frame_ring[oldest].pixels; // recycle a buffer of the same size
        frame_ring[oldest].pixels = nullptr;
        if (frame_ring[oldest].width == width) stale_part = changed_after(oldest, slot);
        frame_oldest.store(frame_ring_next(oldest));
    } else {
        slot.pixels = static_cast<uint32_t*>(std::malloc(slot.length));
    }
    return slot;
}

// The display draws only what changed since the slot it drew last: a slot it never took
// hands its changes on to the next (all of the picture when its size was another).
void publish(frame_slot& slot) {
    const int32_t previous = frame_newest.load();
    slot.unshown = slot.change;
    if (previous != 0 && !frame_ring[previous].shown.load()) {
        const frame_slot& untaken = frame_ring[previous];
        const bool same_size = untaken.width == slot.width && untaken.height == slot.height;
        slot.unshown = same_size ? unite(slot.unshown, untaken.unshown) : whole_of(slot);
    }
    const int32_t slot_number = static_cast<int32_t>(&slot - frame_ring);
    frame_newest.store(slot_number);
    int32_t none = 0;
    frame_oldest.compare_exchange_strong(none, slot_number);
    host_window_wake();
}

bool keep_data(const uint8_t* data, size_t size) {
    const bool same = kept.data_size == size && std::memcmp(kept.data, data, size) == 0;
    if (!same) {
        if (kept.data_size != size) {
            std::free(kept.data);
            kept.data = static_cast<uint8_t*>(std::malloc(size));
            kept.data_size = size;
            kept.valid = false;
        }
        std::memcpy(kept.data, data, size);
    }
    return same;
}

bool keep_palette(const uint32_t* palette, int32_t entries) {
    const size_t bytes = sizeof(uint32_t) * entries;
    const bool same = std::memcmp(kept.palette, palette, bytes) == 0;
    if (!same) std::memcpy(kept.palette, palette, bytes);
    return same;
}

// The mode-10 adapter shows attributes 0-8 through a two-phase table.
void mono_colours(const rt_image& page, uint32_t colours[4]) {
    const int phase = (rt_clock_ms() & 512) ? 1 : 0;
    for (int v = 0; v < 4; ++v) colours[v] = mono_attribute_table[page.palette[4 + v] % 9][phase];
}

bool build_palette_page(const rt_image& page) {
    const int32_t entries = 1 << page.bits_per_pixel;
    uint32_t colours[256];
    if (page.mode == mono_mode)
        mono_colours(page, colours);
    else
        std::memcpy(colours, page.palette, sizeof(uint32_t) * entries);
    const size_t size = static_cast<size_t>(page.width) * page.height;
    const bool same_size =
        kept.width == page.width && kept.height == page.height && kept.font == -1;
    const bool same_data = keep_data(page.pixels, size);
    const bool same_palette = keep_palette(colours, entries);
    if (kept.valid && same_size && same_data && same_palette) return false;
    kept.width = page.width;
    kept.height = page.height;
    kept.font = -1;
    frame_slot& slot = allocate_next_slot(page.width, page.height);
    for (int32_t i = 0; i < entries; ++i) colours[i] |= opaque;
    write_palette_pixels(slot.pixels, page.pixels, size, colours, page.bits_per_pixel);
    kept.valid = true;
    publish(slot);
    return true;
}

bool build_direct_page(const rt_image& page) {
    frame_slot& slot = allocate_next_slot(page.width, page.height);
    std::memcpy(slot.pixels, page.pixels, slot.length);
    kept.valid = false;
    publish(slot);
    return true;
}

struct text_frame {
    const rt_image& page;
    frame_slot& slot;
    int32_t cell_w, cell_h;
    bool blink, cursor_phase;
    int32_t cursor_x, cursor_y;
};

// The cells of one text row that are drawn again, written together a picture row at a time
// so that the stores run in order through memory.
struct cells_to_draw {
    static constexpr int32_t capacity = 128;
    glyph_cell cells[capacity];
    int32_t count = 0;
};

void write_cells(const text_frame& f, cells_to_draw& batch) {
    write_glyph_cells(batch.cells, batch.count, f.slot.width, f.cell_h, f.cell_w / glyph_row_width);
    batch.count = 0;
}

uint32_t* cell_origin(const text_frame& f, int32_t x, int32_t y) {
    return f.slot.pixels + static_cast<size_t>(y) * f.cell_h * f.slot.width + x * f.cell_w;
}

uint32_t background_of(const text_frame& f, uint8_t attribute) {
    return f.page.palette[(attribute >> 4) & 7] | opaque;
}

uint32_t foreground_of(const text_frame& f, uint8_t attribute) {
    if ((attribute & 0x80) && f.blink) return background_of(f, attribute); // blinked away
    return f.page.palette[attribute & 15] | opaque;
}

void draw_cell(const text_frame& f, cells_to_draw& batch, int32_t x, int32_t y, uint8_t code,
               uint8_t attribute) {
    const uint32_t background = background_of(f, attribute);
    const uint32_t foreground = foreground_of(f, attribute);
    const uint8_t* glyph = font_glyph(f.page.font, code);
    // Loaded fonts: a coverage map of the whole cell, shaded between the two colours.
    const uint8_t* coverage = glyph ? nullptr : loaded_font_text_cell(f.page.font, code);
    uint32_t* origin = cell_origin(f, x, y);
    if (!coverage) {
        batch.cells[batch.count++] = {origin, glyph, colours_of_cell(background, foreground)};
        if (batch.count == cells_to_draw::capacity) write_cells(f, batch);
        return;
    }
    for (int32_t row = 0; row < f.cell_h; ++row) {
        uint32_t* out = origin + static_cast<size_t>(row) * f.slot.width;
        for (int32_t col = 0; col < f.cell_w; ++col)
            out[col] = coverage_blend(background, foreground, *coverage++);
    }
}

// Over the drawn cursor cell, in its foreground, in the phase that shows it.
void draw_cursor(const text_frame& f, uint8_t attribute) {
    if (!f.page.cursor_visible || !f.cursor_phase) return;
    const cursor_rows rows = cursor_shape(f.page.cursor_start, f.page.cursor_stop, f.cell_h);
    uint32_t* origin = cell_origin(f, f.cursor_x, f.cursor_y);
    for (int32_t row = rows.first; row < rows.first + rows.count; ++row)
        std::fill_n(origin + static_cast<size_t>(row) * f.slot.width, f.cell_w,
                    foreground_of(f, attribute));
}

// Cells first to end - 1 of cell row y as the previous picture shows them, where the
// recycled buffer lacks them: cells drawn again and parts it already holds are not copied.
void copy_earlier_cells(const text_frame& f, const uint32_t* earlier, int32_t y, int32_t first,
                        int32_t end) {
    if (!earlier || first == end) return;
    const int32_t left = std::max(first * f.cell_w, stale_part.x);
    const int32_t right = std::min(end * f.cell_w, stale_part.x + stale_part.width);
    const int32_t top = std::max(y * f.cell_h, stale_part.y);
    const int32_t bottom = std::min((y + 1) * f.cell_h, stale_part.y + stale_part.height);
    if (left >= right || top >= bottom) return;
    const size_t width = f.slot.width;
    const size_t start = static_cast<size_t>(top) * width + left;
    const size_t run = static_cast<size_t>(right - left);
    if (run == width) { // whole picture rows lie end to end
        std::memcpy(f.slot.pixels + start, earlier + start,
                    run * (bottom - top) * sizeof(uint32_t));
        return;
    }
    for (int32_t row = 0; row < bottom - top; ++row)
        std::memcpy(f.slot.pixels + start + row * width, earlier + start + row * width,
                    run * sizeof(uint32_t));
}

// The cells drawn by a build, gathered a row at a time (no work per cell beyond a store).
struct drawn_cells {
    int32_t left = INT32_MAX, right = -1, top = -1, bottom = -1;
    void add_row(int32_t y, int32_t first, int32_t last) {
        if (last < 0) return;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    picture_rect in_pixels(const text_frame& f) const {
        if (top < 0) return {};
        return {left * f.cell_w, top * f.cell_h, (right - left + 1) * f.cell_w,
                (bottom - top + 1) * f.cell_h};
    }
};

bool build_text_page(const rt_image& page) {
    const int32_t cell_w = font_width(page.font), cell_h = font_height(page.font);
    if (cell_w <= 0 || cell_h <= 0) return false;
    const bool blink = (run_control.refresh_count.load() & 8) != 0;
    int32_t cursor_x = page.cursor_col - 1, cursor_y = page.cursor_row - 1;
    if (page.pending_wrap == 2 && cursor_y < page.height - 1) {
        cursor_x = 0;
        ++cursor_y;
    }
    const bool same_size =
        kept.width == page.width && kept.height == page.height && kept.font == page.font;
    if (!same_size) kept.valid = false;
    const size_t size = static_cast<size_t>(page.width) * page.height * 2;
    // The kept cells are refreshed cell by cell as cells are drawn.
    const bool same_cells =
        kept.data_size == size && std::memcmp(kept.data, page.pixels, size) == 0;
    const bool same_palette = keep_palette(page.palette, 256);
    if (!same_palette) kept.valid = false;
    const bool cursor_moved = cursor_x != kept.cursor_x || cursor_y != kept.cursor_y;
    if (kept.valid && same_cells && blink == kept.blink && blink == kept.cursor_phase &&
        !cursor_moved)
        return false;
    if (kept.data_size != size) {
        std::free(kept.data);
        kept.data = static_cast<uint8_t*>(std::malloc(size));
        kept.data_size = size;
        kept.valid = false;
    }
    const int32_t previous = frame_newest.load();
    frame_slot& slot = allocate_next_slot(page.width * cell_w, page.height * cell_h);
    const bool incremental =
        kept.valid && previous != 0 && frame_ring[previous].length == slot.length;
    const uint32_t* earlier = incremental ? frame_ring[previous].pixels : nullptr;
    const text_frame f{page, slot, cell_w, cell_h, blink, blink, cursor_x, cursor_y};
    cells_drawn = 0;
    drawn_cells drawn;
    cells_to_draw batch;
    for (int32_t y = 0; y < page.height; ++y) {
        int32_t unchanged_from = 0; // the skipped cells before x, still to be copied
        int32_t first_drawn = -1, last_drawn = -1;
        bool cursor_cell_drawn = false;
        for (int32_t x = 0; x < page.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * page.width + x) * 2;
            const uint8_t code = page.pixels[at], attribute = page.pixels[at + 1];
            if (incremental) {
                const bool unchanged = kept.data[at] == code && kept.data[at + 1] == attribute &&
                                       (!(attribute & 0x80) || blink == kept.blink);
                const bool cursor_cell = x == cursor_x && y == cursor_y;
                const bool cursor_cell_flips = cursor_cell && blink != kept.cursor_phase;
                const bool cursor_arrived = cursor_cell && cursor_moved;
                const bool old_cursor_cell =
                    cursor_moved && x == kept.cursor_x && y == kept.cursor_y;
                if (unchanged && !cursor_cell_flips && !cursor_arrived && !old_cursor_cell)
                    continue;
            }
            copy_earlier_cells(f, earlier, y, unchanged_from, x);
            unchanged_from = x + 1;
            kept.data[at] = code;
            kept.data[at + 1] = attribute;
            draw_cell(f, batch, x, y, code, attribute);
            cursor_cell_drawn = cursor_cell_drawn || (x == cursor_x && y == cursor_y);
            if (first_drawn < 0) first_drawn = x;
            last_drawn = x;
            ++cells_drawn;
        }
        copy_earlier_cells(f, earlier, y, unchanged_from, page.width);
        drawn.add_row(y, first_drawn, last_drawn);
        write_cells(f, batch);
        if (cursor_cell_drawn)
            draw_cursor(f, page.pixels[(static_cast<size_t>(y) * page.width + cursor_x) * 2 + 1]);
    }
    kept.width = page.width;
    kept.height = page.height;
    kept.font = page.font;
    kept.blink = blink;
    kept.cursor_phase = blink;
    kept.cursor_x = cursor_x;
    kept.cursor_y = cursor_y;
    kept.valid = true;
    if (incremental) slot.change = drawn.in_pixels(f);
    publish(slot);
    return true;
}

void build_page(const rt_image& page) {
    release_done_slots();
    if (ring_full()) return;
    if (page.text_page)
        build_text_page(page);
    else if (page.bits_per_pixel == 32)
        build_direct_page(page);
    else
        build_palette_page(page);
}

} // namespace

void frame_builder() {
    if (rt_frame_lock_acknowledge()) {
        if (copy_visible_page_for_frame(frame_copy)) build_page(frame_copy.record);
        rt_frame_lock_acknowledge();
    }
    int32_t once = -1;
    run_control.auto_display.compare_exchange_strong(once, 0);
    frame_built.store(1);
}

int32_t frame_cells_drawn() {
    return cells_drawn;
}

void rt_display_now() {
    if (run_control.auto_display.load() == 0) {
        frame_builder();
        return;
    }
    run_control.auto_display.store(-1);
    while (run_control.auto_display.load() == -1 && run_control.display_running.load())
        rt_sleep_ms(1);
}

void rt_wait_for_refresh() {
    if (run_control.auto_display.load() == 0) {
        frame_builder();
        return;
    }
    frame_built.store(0);
    while (!frame_built.load() && run_control.display_running.load()) rt_sleep_ms(1);
}

// Screen modes and pages: the mode change, page creation and selection, and the text size.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/screen/text_output.h"

namespace {

constexpr size_t text_memory = 0xB8000;
constexpr size_t text_memory_size = 65536;
constexpr size_t mode13_memory = 0xA0000;
constexpr int32_t text_pages = 8;
constexpr int32_t largest_text_side = 1024;

int32_t last_active_page = 0;
bool page0_from_handle = false; // page 0 is an image the program gave as the new screen

struct text_size {
    int32_t columns, rows, font;
};

// Text screens that a change back to the text mode keeps, with the font they keep.
constexpr text_size kept_text_sizes[] = {
    {80, 50, 8}, {40, 50, 9}, {80, 43, 8}, {40, 43, 9}, {40, 25, 17}};

struct pixel_mode_size {
    int32_t mode, width, height;
};

constexpr pixel_mode_size pixel_mode_sizes[] = {
    {1, 320, 200}, {2, 640, 200},  {7, 320, 200},  {8, 640, 200},
    {9, 640, 350}, {10, 640, 350}, {11, 640, 480}, {12, 640, 480},
};

int32_t grid_font_for_rows(int32_t rows) {
    return rows >= 50 ? 8 : rows >= 43 ? 14 : 16;
}

int32_t text_font_for(int32_t columns, int32_t rows) {
    return grid_font_for_rows(rows) + (columns <= 40 ? 1 : 0);
}

bool pending_text_set() {
    return image_state.pending_text_size[0] != -1 || image_state.pending_text_size[1] != -1 ||
           image_state.pending_text_size[2] != -1;
}

size_t text_page_bytes(int32_t columns, int32_t rows) {
    if (rows == 25 && columns == 40) return 2048;
    if (rows == 25 && columns == 80) return 4096;
    return size_t(columns) * size_t(rows) * 2;
}

rt_image& page0() {
    return image_state.table[image_state.page_list[0]];
}

text_size previous_screen() {
    if (image_state.page_list_size == 0 || image_state.page_list[0] == 0) return {80, 25, 16};
    const rt_image& p = page0();
    return {image_columns(p), image_rows(p), p.font};
}

text_size text_size_to_make(const text_size& previous) {
    const int32_t* p = image_state.pending_text_size;
    text_size size{80, 25, 16};
    if (p[0] != -1 && p[1] != -1 && p[2] != -1) {
        size = {p[0], p[1], p[2]};
    } else if (p[1] != -1) {
        size.rows = p[1];
        size.font = grid_font_for_rows(size.rows == 43 || size.rows == 50 ? size.rows : 25);
        size.columns = previous.columns == 40 ? 40 : 80;
        if (size.columns == 40) ++size.font;
    } else if (p[0] != -1) {
        size.columns = p[0];
        if (previous.rows == 43 || previous.rows == 50) size.rows = previous.rows;
        size.font = grid_font_for_rows(size.rows) + (size.columns == 40 ? 1 : 0);
    } else {
        for (const text_size& kept : kept_text_sizes)
            if (kept.columns == previous.columns && kept.rows == previous.rows) size = kept;
    }
    if (size.rows == 25 && size.columns == 40) size.font = 17;
    if (size.rows == 25 && size.columns == 80) size.font = 16;
    return size;
}

bool grow_page_list(int32_t count) {
    if (count <= image_state.page_list_size) return true;
    auto* grown =
        static_cast<int32_t*>(std::realloc(image_state.page_list, sizeof(int32_t) * count));
    if (!grown) return false;
    std::fill(grown + image_state.page_list_size, grown + count, 0);
    image_state.page_list = grown;
    image_state.page_list_size = count;
    return true;
}

void set_font_and_region(rt_image& image, int32_t font) {
    image.font = font;
    image_reset_text_region(image);
}

// Pages after the first show the palette of page 0.
void share_page0_palette(rt_image& image) {
    if (!image.palette || image.palette == page0().palette) return;
    if (image.flags & image_palette_owned) std::free(image.palette);
    image.palette = page0().palette;
    image.flags &= ~image_palette_owned;
}

void free_screen_pages() {
    for (int32_t n = image_state.page_list_size - 1; n >= 0; --n) {
        const int32_t slot = image_state.page_list[n];
        if (slot == 0) continue;
        if (n == 0 && page0_from_handle) {
            image_state.table[slot].flags &= ~image_screen_page;
        } else {
            image_free(slot);
        }
    }
    image_state.page_list_size = 0;
    page0_from_handle = false;
}

bool make_text_pages(const text_size& size) {
    const size_t bytes = text_page_bytes(size.columns, size.rows);
    const int32_t in_video_memory = std::min<int32_t>(text_pages, text_memory_size / bytes);
    if (!grow_page_list(text_pages)) return false;
    for (int32_t n = 0; n < text_pages; ++n) {
        uint8_t* cells = n < in_video_memory ? low_memory + text_memory + n * bytes : nullptr;
        const int32_t slot = image_create(size.columns, size.rows, 0, cells);
        if (slot < 0) return false;
        image_state.page_list[n] = slot;
        set_font_and_region(image_state.table[slot], size.font);
        share_page0_palette(image_state.table[slot]);
    }
    fill_text_cells(low_memory + text_memory, text_memory_size / 2);
    return true;
}

int32_t make_pixel_page0(int32_t mode, const text_size& previous) {
    if (mode == 13) {
        std::memset(low_memory + mode13_memory, 0, 320 * 200);
        return image_create(320, 200, 13, low_memory + mode13_memory);
    }
    for (const pixel_mode_size& size : pixel_mode_sizes) {
        if (size.mode != mode) continue;
        const int32_t slot = image_create(size.width, size.height, mode, nullptr);
        if (slot < 0) return slot;
        // An 80 x 60 screen (80 x 43 on 350 lines) keeps its 8-pixel font.
        const int32_t small_font_rows = mode >= 11 ? 60 : mode >= 9 ? 43 : 0;
        if (previous.columns == 80 && previous.rows == small_font_rows)
            set_font_and_region(image_state.table[slot], 8);
        return slot;
    }
    return -1;
}

// mode_slot: the image given as the new screen, or 0 to make one of mode.
void change_mode(int32_t mode, int32_t mode_slot) {
    const text_size previous = previous_screen();
    free_screen_pages();
    bool made = grow_page_list(1);
    if (made && mode_slot != 0) {
        image_state.page_list[0] = mode_slot;
        page0_from_handle = true;
    } else if (made && mode == 0) {
        made = make_text_pages(text_size_to_make(previous));
    } else if (made) {
        image_state.page_list[0] = make_pixel_page0(mode, previous);
        made = image_state.page_list[0] > 0;
    }
    image_state.pending_text_size[0] = image_state.pending_text_size[1] =
        image_state.pending_text_size[2] = -1;
    if (!made) {
        rt_raise_error(err_screen_out_of_memory); // the screen cannot exist without its pages
        return;
    }
    for (int32_t n = 0; n < image_state.page_list_size; ++n)
        image_state.table[image_state.page_list[n]].flags |= image_screen_page;
    select_dest_slot(image_state.page_list[0]);
    select_source_slot(image_state.page_list[0]);
    image_state.visible_page.store(image_state.page_list[0]);
    page0().draw_angle = 0.0;
    page0().draw_scale = 1.0;
    last_active_page = 0;
    image_state.screen_generation.fetch_add(1);
}

void copy_graphics_state(rt_image& to, const rt_image& from) {
    constexpr size_t first = offsetof(rt_image, view_x1);
    constexpr size_t end = offsetof(rt_image, draw_scale) + sizeof(double);
    std::memcpy(reinterpret_cast<uint8_t*>(&to) + first,
                reinterpret_cast<const uint8_t*>(&from) + first, end - first);
}

void select_active_page(int32_t page) {
    const int32_t slot = page_get_or_create(page);
    if (slot < 0) return;
    if (slot != image_state.dest_image || slot != image_state.source_image) {
        select_dest_slot(slot);
        select_source_slot(slot);
        page_reset(*image_state.dest);
    }
    if (page != last_active_page && !image_state.table[slot].text_page) {
        if (last_active_page < image_state.page_list_size &&
            image_state.page_list[last_active_page] != 0)
            copy_graphics_state(image_state.table[slot],
                                image_state.table[image_state.page_list[last_active_page]]);
        last_active_page = page;
    }
}

void select_visual_page(int32_t page) {
    const int32_t slot = page_get_or_create(page);
    if (slot < 0 || slot == image_state.visible_page.load()) return;
    image_state.visible_page.store(slot);
    page_reset(*image_state.dest);
    image_state.screen_generation.fetch_add(1);
}

// Which image a mode argument names: -1 after raising an error, 0 for a mode number.
int32_t mode_argument_slot(int32_t mode) {
    int32_t slot = 0;
    rt_error error = 0;
    if (mode >= 0) {
        if ((mode >= 3 && mode <= 6) || mode > 13) error = err_illegal_function_call;
    } else {
        slot = image_slot_of_handle(mode);
        // Another screen page cannot become the screen: the change frees it.
        if (slot < 0) {
            error = err_invalid_handle;
        } else if ((image_state.table[slot].flags & image_screen_page) &&
                   slot != image_state.page_list[0]) {
            error = err_illegal_function_call;
        }
    }
    if (error == 0) return slot;
    rt_raise_error(static_cast<int32_t>(error));
    return -1;
}

void resize_custom_screen(int32_t width, int32_t height) {
    rt_image& screen = page0();
    if (width == screen.width && height == screen.height) return;
    auto* pixels = static_cast<uint8_t*>(
        std::calloc(size_t(width) * size_t(height) * screen.bytes_per_pixel, 1));
    if (!pixels) {
        rt_raise_error(err_screen_out_of_memory);
        return;
    }
    hold_frames();
    if (screen.flags & image_pixels_owned) std::free(screen.pixels);
    screen.pixels = pixels;
    screen.flags |= image_pixels_owned;
    screen.width = static_cast<uint16_t>(width);
    screen.height = static_cast<uint16_t>(height);
    if (screen.flags & image_palette_owned) palette_reset(screen);
    image_reset_text_region(screen);
    image_reset_graphics(screen);
    release_frames();
    image_state.screen_generation.fetch_add(1);
}

void width_of_custom_screen(int32_t columns, int32_t rows, uint32_t given) {
    const rt_image& screen = page0();
    const int32_t cell_width = std::max(font_width(screen.font), 1);
    const int32_t width = (given & 1) ? columns * cell_width : screen.width;
    const int32_t height = (given & 2) ? rows * font_height(screen.font) : screen.height;
    if (width > 32767 || height > 32767) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    resize_custom_screen(width, height);
}

void width_of_text_screen(int32_t columns, int32_t rows, uint32_t given) {
    const rt_image& screen = page0();
    if (!(given & 1)) columns = screen.width;
    if (!(given & 2)) rows = screen.height;
    if (columns > largest_text_side || rows > largest_text_side) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const int32_t font = text_font_for(columns, rows);
    if (columns == screen.width && rows == screen.height && font == screen.font) return;
    image_state.pending_text_size[0] = columns;
    image_state.pending_text_size[1] = rows;
    image_state.pending_text_size[2] = font;
    rt_screen(0, 0, 0, 0, 0, screen_mode_given);
}

// Cell heights a pixel mode offers for a text grid (8-pixel-wide cells): the 8-pixel font
// when the rows fill the height exactly, the mode's taller font likewise; 350-line screens
// take 43 rows of the 8-pixel font (344 lines).
int32_t grid_font_of_rows(const rt_image& screen, int32_t rows) {
    static constexpr int32_t taller[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 14, 14, 16, 16, 0};
    const bool lines_350 = screen.mode == 9 || screen.mode == 10;
    if (rows * 8 == screen.height || (lines_350 && rows == 43)) return 8;
    const int32_t tall = screen.mode < 14 ? taller[screen.mode] : 0;
    return tall && rows * tall == screen.height ? tall : 0;
}

void width_of_pixel_screen(int32_t columns, int32_t rows, uint32_t given) {
    const rt_image& screen = page0();
    const bool columns_match = !(given & 1) || columns * 8 == screen.width;
    const int32_t font = (given & 2) ? grid_font_of_rows(screen, rows) : screen.font;
    if (columns_match && font != 0) {
        if (font == screen.font) return;
        for (int32_t n = 0; n < image_state.page_list_size; ++n)
            if (image_state.page_list[n] != 0)
                set_font_and_region(image_state.table[image_state.page_list[n]], font);
        image_state.screen_generation.fetch_add(1);
        return;
    }
    const bool text_columns = !(given & 1) || columns == 40 || columns == 80;
    const bool text_rows = !(given & 2) || rows == 25 || rows == 43 || rows == 50;
    if (!text_columns || !text_rows) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (given & 1) image_state.pending_text_size[0] = columns;
    if (given & 2) image_state.pending_text_size[1] = rows;
    if ((given & 3) == 3) image_state.pending_text_size[2] = text_font_for(columns, rows);
    rt_screen(0, 0, 0, 0, 0, screen_mode_given);
}

} // namespace

int32_t page_get_or_create(int32_t page) {
    if (page < 0 || page > largest_page_number || image_state.page_list_size == 0) {
        rt_raise_error(err_illegal_function_call);
        return -1;
    }
    if (!grow_page_list(page + 1)) {
        rt_raise_error(err_out_of_memory);
        return -1;
    }
    if (image_state.page_list[page] != 0) return image_state.page_list[page];
    const rt_image& screen = page0();
    const int32_t slot = image_create(screen.width, screen.height, screen.mode, nullptr);
    if (slot < 0) {
        rt_raise_error(err_out_of_memory);
        return -1;
    }
    rt_image& image = image_state.table[slot];
    share_page0_palette(image);
    image.flags |= image_screen_page;
    set_font_and_region(image, page0().font);
    image_state.page_list[page] = slot;
    return slot;
}

void page_reset(rt_image& image) {
    switch (image.mode) {
    case 0:
        image.fg_colour = 7;
        break;
    case 1:
    case 10:
        image.fg_colour = 3;
        break;
    case 2:
    case 11:
        image.fg_colour = 1;
        break;
    case 32:
        image.fg_colour = static_cast<int32_t>(0xFFFFFFFF);
        break;
    default:
        image.fg_colour = 15;
        break;
    }
    image.bg_colour = image.mode == 32 ? 0xFF000000u : 0;
    image.draw_colour = static_cast<uint32_t>(image.fg_colour);
    const int32_t rows = image_rows(image);
    image.print_top = 1;
    if (image.cursor_row > rows) image.cursor_row = 1;
    image.print_bottom = static_cast<int16_t>(std::max(rows - 1, 1));
}

void rt_screen(int32_t mode, int32_t colour_switch, int32_t active_page, int32_t visual_page,
               int32_t fifth, uint32_t given) {
    (void)colour_switch;
    (void)fifth;
    if (error_state.error_pending) return;
    if (!(given == 1 && mode == 0)) image_state.auto_resize = 0;
    int32_t mode_slot = 0;
    if (given & 1) {
        mode_slot = mode_argument_slot(mode);
        if (mode_slot < 0) return;
    }
    if ((given & 4) && !(given & 8)) {
        visual_page = active_page;
        given |= 8;
    }
    if (((given & 4) && active_page < 0) || ((given & 8) && visual_page < 0)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    const bool screen_exists = image_state.page_list_size > 0;
    // Without a mode, or naming the screen's own image, the current screen is rebuilt.
    const bool same_screen =
        !(given & 1) || (screen_exists && mode_slot == image_state.page_list[0]);
    bool full_change = pending_text_set() || !screen_exists;
    if (!same_screen && screen_exists)
        full_change = full_change || mode_slot != 0 || mode != page0().mode;
    if (full_change) {
        if (same_screen) {
            mode = screen_exists ? page0().mode : 0;
            mode_slot = screen_exists && page0_from_handle ? image_state.page_list[0] : 0;
        }
        hold_frames();
        change_mode(mode, mode_slot);
    }
    if (given & 4) select_active_page(active_page);
    if (given & 8) select_visual_page(visual_page);
    if (full_change) release_frames();
}

void rt_pcopy(int32_t from, int32_t to) {
    if (error_state.error_pending) return;
    const int32_t from_slot = from < 0 ? image_slot_of_handle(from) : page_get_or_create(from);
    if (error_state.error_pending) return;
    const int32_t to_slot = to < 0 ? image_slot_of_handle(to) : page_get_or_create(to);
    if (error_state.error_pending) return;
    if (from_slot < 0 || to_slot < 0) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (from_slot == to_slot) return;
    const rt_image& source = image_state.table[from_slot];
    rt_image& target = image_state.table[to_slot];
    if (source.bytes_per_pixel != target.bytes_per_pixel || source.width != target.width ||
        source.height != target.height ||
        (source.bytes_per_pixel == 1 && target.colour_mask < source.colour_mask)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    std::memcpy(target.pixels, source.pixels,
                size_t(source.width) * source.height * source.bytes_per_pixel);
}

void rt_width(int32_t device, int32_t columns, int32_t rows, uint32_t given) {
    if (error_state.error_pending) return;
    if (device == 2 && given == 1 && columns >= 1 && columns <= 255) {
        printer_line_width = columns;
        return;
    }
    if (device != 0 || (given & 3) == 0 || ((given & 1) && columns <= 0) ||
        ((given & 2) && rows <= 0)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    image_state.auto_resize = 0;
    const rt_image& screen = page0();
    if (screen.mode == 256 || screen.mode == 32) {
        width_of_custom_screen(columns, rows, given);
    } else if (screen.mode == 0) {
        width_of_text_screen(columns, rows, given);
    } else {
        width_of_pixel_screen(columns, rows, given);
    }
}

// The table of images: slots, handles, creation and release, and the current selections.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/run_control.h"
#include "runtime/core/zeroed_memory.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

rt_image_state image_state;

namespace {

constexpr int32_t table_growth = 4096;
constexpr int32_t largest_side = 32767; // cursor and region fields are 16-bit signed

int32_t image_table_used = 0; // slots ever handed out
int32_t frame_holds = 0;
int32_t* free_slots = nullptr;
int32_t free_slots_size = 0;
int32_t free_slots_count = 0;

// The display reads the table on another thread: a move of the table is fenced by frame_lock.
bool grow_image_table() {
    hold_frames();
    auto* grown = static_cast<rt_image*>(
        grow_zeroed(image_state.table, sizeof(rt_image) * image_state.table_size,
                    sizeof(rt_image) * (image_state.table_size + table_growth)));
    if (grown) {
        image_state.table = grown;
        image_state.table_size += table_growth;
        image_state.dest = &image_state.table[image_state.dest_image];
    }
    release_frames();
    if (!grown) rt_raise_error(err_image_table_memory);
    return grown != nullptr;
}

bool push_free_slot(int32_t slot) {
    if (free_slots_count == free_slots_size) {
        auto* grown = static_cast<int32_t*>(
            std::realloc(free_slots, sizeof(int32_t) * (free_slots_size + table_growth)));
        if (!grown) {
            rt_raise_error(err_free_slot_memory);
            return false;
        }
        free_slots = grown;
        free_slots_size += table_growth;
    }
    free_slots[free_slots_count++] = slot;
    return true;
}

int32_t take_slot() {
    if (free_slots_count > 0) return free_slots[--free_slots_count];
    if (image_table_used == image_state.table_size && !grow_image_table()) return -1;
    return image_table_used++;
}

struct mode_defaults {
    uint8_t bits_per_pixel;
    int32_t font;
    int32_t fg_colour;
};

mode_defaults defaults_of_mode(int32_t mode) {
    switch (mode) {
    case 0:
        return {16, 16, 7};
    case 1:
        return {2, 8, 3};
    case 2:
        return {1, 8, 1};
    case 7:
    case 8:
        return {4, 8, 15};
    case 9:
        return {4, 14, 15};
    case 10:
        return {2, 14, 3};
    case 11:
        return {1, 16, 1};
    case 12:
        return {4, 16, 15};
    case 13:
        return {8, 8, 15};
    case 256:
        return {8, 16, 15};
    default:
        return {32, 16, static_cast<int32_t>(0xFFFFFFFF)};
    }
}

bool build_blend_tables() {
    if (image_state.blend_table) return true;
    auto* blend = static_cast<uint8_t*>(std::malloc(256 * 256 * 256));
    auto* alpha = static_cast<uint8_t*>(std::malloc(256 * 256));
    if (!blend || !alpha) {
        std::free(blend);
        std::free(alpha);
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        const float x = static_cast<float>(i) / 255.0f;
        for (int j = 0; j < 256; ++j) {
            const float y = static_cast<float>(j) / 255.0f;
            alpha[i << 8 | j] =
                static_cast<uint8_t>(std::nearbyint((1.0f - (1.0f - x) * (1.0f - y)) * 255.0f));
            uint8_t* row = blend + (i << 16 | j << 8);
            for (int k = 0; k < 256; ++k)
                row[k] = static_cast<uint8_t>(std::nearbyint(x * j + (1.0f - x) * k));
        }
    }
    image_state.alpha_table = alpha;
    image_state.blend_table = blend;
    return true;
}

bool allocate_storage(rt_image& image) {
    const size_t bytes = size_t{image.width} * image.height * image.bytes_per_pixel;
    image.pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!image.pixels) return false;
    if (image.text_page) fill_text_cells(image.pixels, bytes / 2);
    image.flags |= image_pixels_owned;
    return true;
}

} // namespace

// One cell written, then copied onward in doubling runs: a page or the whole text memory
// is blanked in a few block copies rather than a byte at a time.
void fill_text_cells(uint8_t* cells, size_t count) {
    if (count == 0) return;
    cells[0] = ' ';
    cells[1] = 7;
    const size_t bytes = 2 * count;
    for (size_t done = 2; done < bytes; done *= 2)
        std::memcpy(cells + done, cells, std::min(done, bytes - done));
}

void hold_frames() {
    if (frame_holds++ == 0) rt_take_frame_lock();
}

void release_frames() {
    if (--frame_holds == 0) rt_release_frame_lock();
}

bool image_mode_valid(int32_t mode) {
    return (mode >= 0 && mode <= 2) || (mode >= 7 && mode <= 13) || mode == 256 || mode == 32;
}

int32_t image_rows(const rt_image& image) {
    if (image.text_page) return image.height;
    const int32_t h = font_height(image.font);
    return h > 0 ? image.height / h : image.height;
}

int32_t image_columns(const rt_image& image) {
    if (image.text_page) return image.width;
    const int32_t w = font_width(image.font);
    return w > 0 ? image.width / w : image.width;
}

void image_reset_text_region(rt_image& image) {
    image.cursor_col = 1;
    image.cursor_row = 1;
    image.pending_wrap = 0;
    image.print_top = 1;
    image.print_bottom = static_cast<int16_t>(std::max(image_rows(image) - 1, 1));
}

void image_reset_graphics(rt_image& image) {
    image.view_x1 = image.view_y1 = 0;
    image.view_x2 = image.width - 1;
    image.view_y2 = image.height - 1;
    image.view_origin_x = image.view_origin_y = 0;
    image.gfx_x = image.width / 2.0f;
    image.gfx_y = image.height / 2.0f;
    image.coord_mode = 0;
    image.scale_x = image.scale_y = 1.0f;
    image.offset_x = image.offset_y = 0.0f;
    image.window_x1 = image.window_y1 = 0.0f;
    image.window_x2 = static_cast<float>(image.width - 1);
    image.window_y2 = static_cast<float>(image.height - 1);
}

int32_t image_create(int32_t width, int32_t height, int32_t mode, uint8_t* pixels) {
    if (width < 1 || height < 1 || width > largest_side || height > largest_side ||
        !image_mode_valid(mode))
        return -1;
    const int32_t slot = take_slot();
    if (slot < 0) return -1;
    rt_image& image = image_state.table[slot];
    image = rt_image{};
    image.in_use = 1;
    image.width = static_cast<uint16_t>(width);
    image.height = static_cast<uint16_t>(height);
    image.mode = static_cast<uint16_t>(mode);
    const mode_defaults defaults = defaults_of_mode(mode);
    image.bits_per_pixel = defaults.bits_per_pixel;
    image.bytes_per_pixel = mode == 0 ? 2 : mode == 32 ? 4 : 1;
    image.text_page = mode == 0;
    image.font = defaults.font;
    image.fg_colour = defaults.fg_colour;
    image.bg_colour = mode == 32 ? 0xFF000000u : 0u;
    image.print_mode = 3;
    image.draw_angle = 0.0;
    image.draw_scale = 1.0;
    image.cursor_start = image.cursor_stop = image.text_page ? 4 : 0;
    image.draw_colour = static_cast<uint32_t>(image.fg_colour);
    image.transparent_colour = 0xFFFFFFFFu;
    if (mode != 32) {
        image.palette = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
        if (!image.palette) {
            image_free(slot);
            return -1;
        }
        image.flags |= image_palette_owned;
        palette_reset(image);
    }
    image.colour_mask = image.bits_per_pixel > 31 ? 0xFFFFFFFFu : (1u << image.bits_per_pixel) - 1;
    image_reset_text_region(image);
    if (!image.text_page) image_reset_graphics(image);
    if (mode == 32 && !build_blend_tables()) {
        image_free(slot);
        return -1;
    }
    if (pixels) {
        image.pixels = pixels;
    } else if (!allocate_storage(image)) {
        image_free(slot);
        return -1;
    }
    return slot;
}

void image_free(int32_t slot) {
    rt_image& image = image_state.table[slot];
    if (image.flags & image_pixels_owned) std::free(image.pixels);
    if (image.flags & image_palette_owned) std::free(image.palette);
    image = rt_image{};
    push_free_slot(slot);
}

int32_t image_slot_of_handle(int32_t handle) {
    if (handle >= 0 || -static_cast<int64_t>(handle) >= image_state.table_size) return -1;
    return image_state.table[-handle].in_use ? -handle : -1;
}

int32_t image_resolve(int32_t page_or_handle) {
    if (page_or_handle >= 0) return page_get_or_create(page_or_handle);
    const int32_t slot = image_slot_of_handle(page_or_handle);
    if (slot < 0) rt_raise_error(err_invalid_handle);
    return slot;
}

void select_dest_slot(int32_t slot) {
    image_state.dest_image = slot;
    image_state.dest = &image_state.table[slot];
}

void select_source_slot(int32_t slot) {
    image_state.source_image = slot;
}

int32_t rt_new_image(int32_t width, int32_t height, int32_t mode, uint32_t given) {
    if (error_state.error_pending) return 0;
    if (width < 1 || height < 1 || ((given & 1) && !image_mode_valid(mode)) ||
        width > largest_side || height > largest_side) {
        rt_raise_error(err_illegal_function_call);
        return 0;
    }
    const rt_image& model = *image_state.dest;
    const int32_t slot = image_create(width, height, (given & 1) ? mode : model.mode, nullptr);
    if (slot < 0) return -1;
    if (!(given & 1)) {
        rt_image& image = image_state.table[slot];
        const rt_image& from = *image_state.dest; // the table may have moved
        if (image.palette && from.palette)
            std::memcpy(image.palette, from.palette, 256 * sizeof(uint32_t));
        image.font = from.font;
        image.fg_colour = from.fg_colour;
        image.bg_colour = from.bg_colour;
        image.draw_colour = static_cast<uint32_t>(from.fg_colour);
        image.transparent_colour = from.transparent_colour;
        image.no_blend = from.no_blend;
        image.print_mode = from.print_mode;
        image_reset_text_region(image);
    }
    return -slot;
}

void rt_free_image(int32_t handle, uint32_t given) {
    if (error_state.error_pending) return;
    int32_t slot = image_state.dest_image;
    if (given & 1) {
        if (handle >= 0) {
            rt_raise_error(err_illegal_function_call);
            return;
        }
        slot = image_slot_of_handle(handle);
        if (slot < 0) {
            rt_raise_error(err_invalid_handle);
            return;
        }
    }
    if (image_state.table[slot].flags & image_screen_page) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (slot == image_state.dest_image) select_dest_slot(image_state.visible_page.load());
    if (slot == image_state.source_image) select_source_slot(image_state.visible_page.load());
    image_free(slot);
}

void rt_select_dest(int32_t page_or_handle) {
    if (error_state.error_pending) return;
    const int32_t slot = image_resolve(page_or_handle);
    if (slot >= 0) select_dest_slot(slot);
}

void rt_select_source(int32_t page_or_handle) {
    if (error_state.error_pending) return;
    const int32_t slot = image_resolve(page_or_handle);
    if (slot >= 0) select_source_slot(slot);
}

int32_t rt_dest_handle() {
    return error_state.error_pending ? 0 : -image_state.dest_image;
}
int32_t rt_source_handle() {
    return error_state.error_pending ? 0 : -image_state.source_image;
}
int32_t rt_visible_handle() {
    return error_state.error_pending ? 0 : -image_state.visible_page.load();
}

void rt_screen_init() {
    image_state.auto_resize = 1;
    for (int i = 0; i < 256; ++i)
        image_state.default_palette[i] = default_palette_256[i] | 0xFF000000u;
    for (int i = 0; i < 64; ++i) image_state.ega_palette[i] = ega_palette_64[i] | 0xFF000000u;
    for (int a = 0; a < 9; ++a)
        for (int phase = 0; phase < 2; ++phase)
            image_state.mono_attribute_colours[a][phase] =
                mono_attribute_table[a][phase] | 0xFF000000u;
    if (image_table_used == 0) {
        if (!grow_image_table()) return;
        image_table_used = 2; // slots 0 and 1 are never handed out
        select_dest_slot(0);
    }
}

// Queries and switches of an image: size, colours, font, print mode, blending, transparency
// and palette entries.
#include "runtime/screen/image_properties.h"

#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"

namespace {

constexpr uint32_t opaque = 0xFF000000u;
constexpr uint32_t no_transparent_colour = 0xFFFFFFFFu;
constexpr int32_t palette_entries = 256;
// Font handles the size queries accept besides loaded fonts: the narrow built-in sets.
constexpr int32_t measurable_fonts[] = {8, 14, 16};

bool is_32_bit(const rt_image& image) {
    return image.bytes_per_pixel == 4;
}

// Runs answer on the image named by the optional argument (given bit value 1); 0 while an
// error is pending or after the argument raised one.
template <typename Answer>
auto query(int32_t image, uint32_t given, Answer answer) -> decltype(answer(*image_state.dest)) {
    if (error_state.error_pending) return 0;
    const int32_t slot = image_argument_slot(image, (given & 1) != 0);
    if (slot < 0) return 0;
    return answer(image_state.table[slot]);
}

// The image of a setting, or null after raising an error (or while one is pending).
rt_image* setting_target(int32_t image, bool given) {
    if (error_state.error_pending) return nullptr;
    const int32_t slot = image_argument_slot(image, given);
    return slot < 0 ? nullptr : &image_state.table[slot];
}

bool measurable_font(int32_t font) {
    if (font >= first_loaded_font) return font_exists(font);
    for (int32_t f : measurable_fonts)
        if (f == font) return true;
    return false;
}

// The font a size query means; -1 after raising 258 for a handle it does not measure.
int32_t queried_font(int32_t font, uint32_t given) {
    if (!(given & 1)) return image_state.dest->font;
    if (measurable_font(font)) return font;
    rt_raise_error(err_invalid_handle);
    return -1;
}

// Stored print_mode of each statement argument 1, 2 and 3.
constexpr uint8_t stored_print_modes[] = {3, 1, 2};

} // namespace

int32_t image_argument_slot(int32_t image, bool given) {
    return given ? image_resolve(image) : image_state.dest_image;
}

uint32_t last_palette_index(const rt_image& image) {
    return image.text_page ? 15 : image.colour_mask;
}

int32_t rt_image_width(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) { return int32_t{i.width}; });
}

int32_t rt_image_height(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) { return int32_t{i.height}; });
}

int32_t rt_pixel_size(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) {
        return i.text_page ? 0 : is_32_bit(i) ? 4 : 1;
    });
}

int32_t rt_transparent_colour(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) {
        return i.text_page ? -1 : is_32_bit(i) ? 0 : static_cast<int32_t>(i.transparent_colour);
    });
}

int32_t rt_blending(int32_t image, uint32_t given) {
    return query(image, given,
                 [](const rt_image& i) { return is_32_bit(i) && !i.no_blend ? -1 : 0; });
}

uint32_t rt_default_colour(int32_t image, uint32_t given) {
    return query(image, given,
                 [](const rt_image& i) { return static_cast<uint32_t>(i.fg_colour); });
}

uint32_t rt_background_colour(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) { return i.bg_colour; });
}

int32_t rt_image_font(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) { return i.font; });
}

int32_t rt_print_mode(int32_t image, uint32_t given) {
    return query(image, given, [](const rt_image& i) { return int32_t{i.print_mode}; });
}

uint32_t rt_palette_colour(int32_t index, int32_t image, uint32_t given) {
    return query(image, given, [index](const rt_image& i) -> uint32_t {
        if (!i.palette || index < 0 || index >= palette_entries) {
            rt_raise_error(err_illegal_function_call);
            return 0;
        }
        return i.palette[index] | opaque;
    });
}

int32_t rt_font_width(int32_t font, uint32_t given) {
    if (error_state.error_pending) return 0;
    const int32_t f = queried_font(font, given);
    return f < 0 ? 0 : font_width(f);
}

int32_t rt_font_height(int32_t font, uint32_t given) {
    if (error_state.error_pending) return 0;
    const int32_t f = queried_font(font, given);
    return f < 0 ? 0 : font_height(f);
}

void rt_blend_on(int32_t image, uint32_t given) {
    rt_image* target = setting_target(image, (given & 1) != 0);
    if (!target) return;
    if (!is_32_bit(*target)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    target->no_blend = 0;
}

void rt_blend_off(int32_t image, uint32_t given) {
    rt_image* target = setting_target(image, (given & 1) != 0);
    if (target && is_32_bit(*target)) target->no_blend = 1;
}

void rt_set_transparent(uint32_t colour, int32_t image, uint32_t given) {
    rt_image* target = setting_target(image, (given & 2) != 0);
    if (!target) return;
    const bool colour_given = (given & 1) != 0;
    if (target->text_page) {
        if (colour_given) rt_raise_error(err_illegal_function_call);
        return;
    }
    if (is_32_bit(*target)) {
        // Any alpha, exactly the colour's red, green and blue.
        if (colour_given)
            image_set_alpha_in_range(*target, 0, colour & 0xFFFFFF, colour | opaque);
        else
            rt_raise_error(err_illegal_function_call);
        return;
    }
    if (colour_given && colour >= uint32_t(palette_entries)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    target->transparent_colour = colour_given ? colour : no_transparent_colour;
}

void rt_set_print_mode(int32_t n, int32_t image, uint32_t given) {
    rt_image* target = setting_target(image, (given & 2) != 0);
    if (!target) return;
    if (target->text_page && n != 1) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (n >= 1 && n <= 3) target->print_mode = stored_print_modes[n - 1];
}

void rt_set_palette_colour(int32_t index, uint32_t colour, int32_t image, uint32_t given) {
    rt_image* target = setting_target(image, (given & 1) != 0);
    if (!target) return;
    if (!target->palette || index < 0 || index >= palette_entries) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    target->palette[index] = colour;
}

void rt_copy_palette(int32_t source, int32_t destination, uint32_t given) {
    if (error_state.error_pending) return;
    const int32_t from = (given & 1) ? image_resolve(source) : image_state.source_image;
    if (from < 0) return;
    const int32_t to = image_argument_slot(destination, (given & 2) != 0);
    if (to < 0) return;
    const uint32_t* source_palette = image_state.table[from].palette;
    uint32_t* destination_palette = image_state.table[to].palette;
    if (!source_palette || !destination_palette) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    std::memmove(destination_palette, source_palette, palette_entries * sizeof(uint32_t));
}

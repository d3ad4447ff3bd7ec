// Colour values packed for an image and taken apart again; the nearest palette entry.
#include "runtime/screen/colour_values.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/core/errors.h"
#include "runtime/screen/image.h"
#include "runtime/screen/image_properties.h"

namespace {

constexpr uint32_t no_transparent_colour = 0xFFFFFFFFu;
constexpr int32_t largest_component = 255;
constexpr uint32_t fully_transparent = 0, fully_opaque = 255;
// Larger than any sum of three channel differences, so the first entry always replaces it.
constexpr int32_t no_distance_yet = 1000;
constexpr int red_shift = 16, green_shift = 8, blue_shift = 0, alpha_shift = 24;

int32_t clamped(int32_t component) {
    return std::clamp(component, 0, largest_component);
}

int32_t channel(uint32_t colour, int shift) {
    return static_cast<int32_t>(colour >> shift & 255);
}

uint32_t packed(int32_t alpha, int32_t red, int32_t green, int32_t blue) {
    return uint32_t(alpha) << alpha_shift | uint32_t(red) << red_shift |
           uint32_t(green) << green_shift | uint32_t(blue) << blue_shift;
}

uint32_t nearest_palette_index(const rt_image& image, int32_t red, int32_t green, int32_t blue) {
    int32_t best_distance = no_distance_yet;
    uint32_t best = 0;
    for (uint32_t index = 0; index <= last_palette_index(image); ++index) {
        const uint32_t entry = image.palette[index];
        const int32_t distance = std::abs(red - channel(entry, red_shift)) +
                                 std::abs(green - channel(entry, green_shift)) +
                                 std::abs(blue - channel(entry, blue_shift));
        if (distance == 0) return index;
        if (distance < best_distance) {
            best_distance = distance;
            best = index;
        }
    }
    return best;
}

// The image the optional argument names, or null (0 is then the answer).
const rt_image* colour_image(int32_t image, uint32_t given) {
    if (error_state.error_pending) return nullptr;
    const int32_t slot = image_argument_slot(image, (given & 1) != 0);
    return slot < 0 ? nullptr : &image_state.table[slot];
}

// Palette images: the colour must name an entry (5 otherwise).
bool palette_colour_valid(const rt_image& image, uint32_t colour) {
    if (colour <= last_palette_index(image)) return true;
    rt_raise_error(err_illegal_function_call);
    return false;
}

// One channel of a colour: the colour's own bits on 32-bit images, its palette entry's bits
// on palette images.
uint32_t channel_of(uint32_t colour, int32_t image, uint32_t given, int shift) {
    const rt_image* target = colour_image(image, given);
    if (!target) return 0;
    if (target->bytes_per_pixel == 4) return uint32_t(channel(colour, shift));
    if (!palette_colour_valid(*target, colour)) return 0;
    return uint32_t(channel(target->palette[colour], shift));
}

} // namespace

uint32_t rt_rgb(int32_t red, int32_t green, int32_t blue, int32_t image, uint32_t given) {
    return rt_rgba(red, green, blue, largest_component, image, given);
}

uint32_t rt_rgba(int32_t red, int32_t green, int32_t blue, int32_t alpha, int32_t image,
                 uint32_t given) {
    const rt_image* target = colour_image(image, given);
    if (!target) return 0;
    red = clamped(red);
    green = clamped(green);
    blue = clamped(blue);
    alpha = clamped(alpha);
    if (target->bytes_per_pixel == 4) return packed(alpha, red, green, blue);
    if (alpha == 0 && target->transparent_colour != no_transparent_colour)
        return target->transparent_colour;
    return nearest_palette_index(*target, red, green, blue);
}

uint32_t rt_alpha_of(uint32_t colour, int32_t image, uint32_t given) {
    const rt_image* target = colour_image(image, given);
    if (!target) return 0;
    if (target->bytes_per_pixel == 4) return colour >> alpha_shift;
    if (!palette_colour_valid(*target, colour)) return 0;
    return colour == target->transparent_colour ? fully_transparent : fully_opaque;
}

uint32_t rt_red_of(uint32_t colour, int32_t image, uint32_t given) {
    return channel_of(colour, image, given, red_shift);
}

uint32_t rt_green_of(uint32_t colour, int32_t image, uint32_t given) {
    return channel_of(colour, image, given, green_shift);
}

uint32_t rt_blue_of(uint32_t colour, int32_t image, uint32_t given) {
    return channel_of(colour, image, given, blue_shift);
}

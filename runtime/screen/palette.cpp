// Palettes and colours: defaults per mode, the colour and palette statements and the
// emulated colour registers of the adapter.
#include <cmath>

#include "runtime/core/errors.h"
#include "runtime/screen/image.h"

namespace {

// Mode 9 shows these 16 of the 64 adapter colours.
constexpr uint8_t mode9_entries[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
constexpr uint8_t mode1_entries[4] = {0, 3, 5, 7};
constexpr uint8_t mode10_attributes[4] = {0, 4, 6, 8};

// What the second argument of the colour statement sets, per mode.
enum class colour_target : uint8_t {
    foreground,
    background,
    background_low_bits, // text modes keep only the low three bits
    entry0_standard,     // palette entry 0 := one of the 16 standard colours
    entry0_adapter,      // palette entry 0 := one of the 64 adapter colours
    entry4_attribute,    // palette entry 4 := a monochrome attribute
    cga_set,             // odd / even picks the colour set of entries 1-3
};

struct colour_rule {
    uint16_t mode;
    colour_target first;
    uint32_t first_max;
    colour_target second;
    uint32_t second_max;
    bool third_accepted;
};

constexpr colour_rule colour_rules[] = {
    {0, colour_target::foreground, 31, colour_target::background_low_bits, 15, true},
    {1, colour_target::entry0_standard, 15, colour_target::cga_set, 0xFFFFFFFF, false},
    {2, colour_target::foreground, 1, colour_target::entry0_standard, 15, false},
    {7, colour_target::foreground, 15, colour_target::entry0_standard, 15, false},
    {8, colour_target::foreground, 15, colour_target::entry0_standard, 15, false},
    {9, colour_target::foreground, 15, colour_target::entry0_adapter, 63, false},
    {10, colour_target::foreground, 3, colour_target::entry4_attribute, 8, false},
    {11, colour_target::foreground, 1, colour_target::background, 1, false},
    {12, colour_target::foreground, 15, colour_target::background, 15, false},
    {13, colour_target::foreground, 255, colour_target::background, 255, false},
    {256, colour_target::foreground, 255, colour_target::background, 255, false},
    {32, colour_target::foreground, 0xFFFFFFFF, colour_target::background, 0xFFFFFFFF, false},
};

const colour_rule* colour_rule_of(uint16_t mode) {
    for (const colour_rule& rule : colour_rules)
        if (rule.mode == mode) return &rule;
    return nullptr;
}

void apply_colour(rt_image& image, colour_target target, uint32_t value) {
    switch (target) {
    case colour_target::foreground:
        image.fg_colour = static_cast<int32_t>(value);
        break;
    case colour_target::background:
        image.bg_colour = value;
        break;
    case colour_target::background_low_bits:
        image.bg_colour = value & 7;
        break;
    case colour_target::entry0_standard:
        image.palette[0] = image_state.default_palette[value];
        break;
    case colour_target::entry0_adapter:
        image.palette[0] = image_state.ega_palette[value];
        break;
    case colour_target::entry4_attribute:
        image.palette[4] = value;
        break;
    case colour_target::cga_set:
        for (int i = 1; i <= 3; ++i)
            image.palette[i] = image_state.default_palette[2 * i + (value & 1)];
        break;
    }
}

// 6-bit adapter level to 8 bits: 0 -> 0, 21 -> 85, 42 -> 170, 63 -> 255.
uint32_t level_of_6_bits(uint32_t v) {
    return static_cast<uint32_t>(
        std::nearbyint(static_cast<float>(v) * 4.0634918212890625f - 0.49999991059303284f));
}

// Palette limits of the palette statement: attribute and colour ranges, and where the colour
// comes from.
enum class palette_source : uint8_t { adapter, standard, attribute, packed };

struct palette_rule {
    uint16_t mode;
    uint32_t attribute_max;
    uint32_t colour_max;
    palette_source source;
};

constexpr palette_rule palette_rules[] = {
    {0, 15, 63, palette_source::adapter},         {9, 15, 63, palette_source::adapter},
    {1, 15, 15, palette_source::standard},        {7, 15, 15, palette_source::standard},
    {8, 15, 15, palette_source::standard},        {2, 1, 15, palette_source::standard},
    {10, 3, 8, palette_source::attribute},        {11, 1, 0x3F3F3F, palette_source::packed},
    {12, 15, 0x3F3F3F, palette_source::packed},   {13, 255, 0x3F3F3F, palette_source::packed},
    {256, 255, 0x3F3F3F, palette_source::packed},
};

const palette_rule* palette_rule_of(uint16_t mode) {
    for (const palette_rule& rule : palette_rules)
        if (rule.mode == mode) return &rule;
    return nullptr;
}

uint32_t packed_to_rgb(uint32_t packed) {
    return level_of_6_bits(packed & 63) << 16 | level_of_6_bits(packed >> 8 & 63) << 8 |
           level_of_6_bits(packed >> 16 & 63);
}

// The adapter's colour registers.
uint8_t dac_read_index = 0;
uint8_t dac_write_index = 0;
uint8_t dac_component = 0; // 0 red, 1 green, 2 blue

} // namespace

void palette_reset(rt_image& image) {
    uint32_t* p = image.palette;
    if (!p) return;
    switch (image.mode) {
    case 32:
        break;
    case 1:
        for (int i = 0; i < 4; ++i) p[i] = image_state.default_palette[mode1_entries[i]];
        break;
    case 2:
    case 11:
        p[0] = 0;
        p[1] = 0xFFFFFF;
        break;
    case 9:
        for (int i = 0; i < 16; ++i) p[i] = image_state.ega_palette[mode9_entries[i]];
        break;
    case 10:
        for (int i = 0; i < 4; ++i) p[4 + i] = mode10_attributes[i];
        break;
    case 13:
    case 256:
        for (int i = 0; i < 256; ++i) p[i] = image_state.default_palette[i];
        break;
    default:
        for (int i = 0; i < 16; ++i) p[i] = image_state.default_palette[i];
        break;
    }
}

uint8_t text_attribute_of(const rt_image& image) {
    return static_cast<uint8_t>((image.fg_colour & 16) << 3 | (image.bg_colour & 7) << 4 |
                                (image.fg_colour & 15));
}

void rt_color(uint32_t first, uint32_t second, uint32_t third, uint32_t given) {
    (void)third;
    if (error_state.error_pending || given == 0) return;
    const colour_rule* rule = colour_rule_of(image_state.dest->mode);
    if (!rule || ((given & 1) && first > rule->first_max) ||
        ((given & 2) && second > rule->second_max) || ((given & 4) && !rule->third_accepted)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (given & 1) apply_colour(*image_state.dest, rule->first, first);
    if (given & 2) apply_colour(*image_state.dest, rule->second, second);
}

void rt_palette(int32_t attribute, int32_t colour, uint32_t given) {
    if (error_state.error_pending) return;
    if (given == 0) {
        palette_reset(*image_state.dest);
        return;
    }
    const palette_rule* rule = palette_rule_of(image_state.dest->mode);
    const uint32_t index = static_cast<uint32_t>(attribute) & 255;
    const uint32_t value = static_cast<uint32_t>(colour);
    if (!rule || !image_state.dest->palette || given != 3 || index > rule->attribute_max ||
        value > rule->colour_max ||
        (rule->source == palette_source::packed && (value & ~0x3F3F3Fu))) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    switch (rule->source) {
    case palette_source::adapter:
        image_state.dest->palette[index] = image_state.ega_palette[value];
        break;
    case palette_source::standard:
        image_state.dest->palette[index] = image_state.default_palette[value];
        break;
    case palette_source::attribute:
        image_state.dest->palette[4 + index] = value;
        break;
    case palette_source::packed:
        image_state.dest->palette[index] = packed_to_rgb(value);
        break;
    }
}

void rt_out(int32_t port, int32_t value) {
    if (error_state.error_pending) return;
    const auto byte = static_cast<uint8_t>(value);
    switch (port) {
    case 0x3C7:
        dac_read_index = byte;
        break;
    case 0x3C8:
        dac_write_index = byte;
        dac_component = 0;
        break;
    case 0x3C9: {
        if (!image_state.dest->palette) break;
        const int shift = 16 - 8 * dac_component;
        uint32_t& entry = image_state.dest->palette[dac_write_index];
        entry = (entry & ~(0xFFu << shift)) | level_of_6_bits(byte & 63u) << shift;
        if (++dac_component == 3) {
            dac_component = 0;
            ++dac_write_index;
        }
        break;
    }
    default:
        break;
    }
}

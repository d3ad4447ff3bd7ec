// Flood fill, with a colour or with a tile pattern, up to a border colour.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/screen/graphics_internal.h"

namespace {

constexpr int32_t first_visited_size = 640 * 480;
constexpr size_t first_queue_capacity = 65536;
constexpr size_t longest_pattern = 64;
constexpr size_t longest_pattern_4_bit = 256;
constexpr int32_t longest_background = 255;
constexpr int32_t bit_planes = 4;

// Direction bits of a queued pixel: the neighbours still to look at.
constexpr uint8_t go_left = 1, go_right = 2, go_up = 4, go_down = 8;
constexpr uint8_t all_directions = go_left | go_right | go_up | go_down;

struct direction {
    uint8_t bit;
    int32_t dx, dy;
    uint8_t onward; // every direction except back
};
constexpr direction directions[] = {
    {go_left, -1, 0, all_directions & ~go_right},
    {go_right, 1, 0, all_directions & ~go_left},
    {go_up, 0, -1, all_directions & ~go_down},
    {go_down, 0, 1, all_directions & ~go_up},
};

struct frontier_entry {
    uint16_t x, y; // pages are at most 32,767 pixels on a side
    uint8_t directions;
};

// A frontier that grows instead of overflowing: a page of n pixels never queues more than n.
struct frontier {
    frontier_entry* entries = nullptr;
    size_t size = 0, capacity = 0;

    bool push(frontier_entry entry) {
        if (size == capacity) {
            const size_t grown = capacity ? capacity * 2 : first_queue_capacity;
            auto* moved = static_cast<frontier_entry*>(
                std::realloc(static_cast<void*>(entries), grown * sizeof(frontier_entry)));
            if (!moved) return false;
            entries = moved;
            capacity = grown;
        }
        entries[size++] = entry;
        return true;
    }
};

frontier rounds[2];
uint8_t* visited = nullptr; // one byte per page pixel, all zero between fills
size_t visited_size = 0;

bool visited_map_for(const rt_image& image) {
    const size_t needed = std::max(size_t(image.width) * image.height, size_t(first_visited_size));
    if (needed <= visited_size) return true;
    std::free(visited);
    visited = static_cast<uint8_t*>(std::calloc(needed, 1));
    visited_size = visited ? needed : 0;
    return visited != nullptr;
}

// What a fill paints at each pixel and where it stops.
struct fill_rule {
    uint32_t border;
    uint32_t colour;               // plain fill
    const uint8_t* tile = nullptr; // tile fill: W x H pixel values, row by row
    int32_t tile_width = 0, tile_height = 0;
    int32_t background = -1; // tile value that does not stop the fill; -1 none

    uint32_t colour_at(int32_t x, int32_t y) const {
        if (!tile) return colour;
        return tile[(y % tile_height) * tile_width + x % tile_width];
    }
    // A pixel of the border stops the fill; so does, with a tile, one that already holds its
    // tile value (other than the background value).
    bool stops_at(uint32_t value, int32_t x, int32_t y) const {
        if (value == border) return true;
        if (!tile) return false;
        const uint32_t wanted = colour_at(x, y);
        return value == wanted && int32_t(wanted) != background;
    }
};

// Paints the start and then, round by round, every reachable neighbour that does not stop
// the fill. False when a frontier could not grow.
bool flood(const rt_image& image, pixel_point start, const fill_rule& rule) {
    const size_t width = image.width;
    frontier* current = &rounds[0];
    frontier* next = &rounds[1];
    current->size = 0;
    put_pixel(start.x, start.y, rule.colour_at(start.x, start.y));
    visited[start.y * width + start.x] = 1;
    bool grown = current->push({uint16_t(start.x), uint16_t(start.y), all_directions});
    while (grown && current->size > 0) {
        next->size = 0;
        for (size_t i = 0; i < current->size && grown; ++i) {
            const frontier_entry entry = current->entries[i];
            for (const direction& d : directions) {
                if (!(entry.directions & d.bit)) continue;
                const int32_t x = entry.x + d.dx, y = entry.y + d.dy;
                if (!inside_view(image, x, y)) continue;
                uint8_t& seen = visited[size_t(y) * width + size_t(x)];
                if (seen) continue;
                seen = 1;
                if (rule.stops_at(stored_pixel(image, x, y), x, y)) continue;
                put_pixel(x, y, rule.colour_at(x, y));
                if (!next->push({uint16_t(x), uint16_t(y), d.onward})) grown = false;
            }
        }
        std::swap(current, next);
    }
    std::memset(visited, 0, size_t(image.width) * image.height);
    return grown;
}

// Moves the graphics cursor to the start point; the start pixel, or a negative x when the
// fill does nothing (outside the view port, or on the border).
pixel_point fill_start(rt_image& image, float x, float y, uint32_t given) {
    if (given & paint_relative) {
        x += image.gfx_x;
        y += image.gfx_y;
    }
    image.gfx_x = x;
    image.gfx_y = y;
    const pixel_point p = map_point(image, x, y);
    if (!inside_view(image, p.x, p.y)) return {-1, -1};
    return p;
}

void run_fill(rt_image& image, pixel_point start, const fill_rule& rule) {
    if (start.x < 0 || stored_pixel(image, start.x, start.y) == rule.border) return;
    if (!visited_map_for(image) || !flood(image, start, rule)) rt_raise_error(err_fill_memory);
}

uint32_t masked(const rt_image& image, uint32_t colour) {
    return image.bytes_per_pixel == 1 ? colour & image.colour_mask : colour;
}

// Pixel values of one tile row of the page's format from its bytes (missing bytes are 0).
void decode_tile_row(const rt_image& image, const uint8_t* bytes, size_t available, uint8_t* row) {
    auto byte = [&](size_t i) { return i < available ? bytes[i] : uint8_t{0}; };
    switch (image.bits_per_pixel) {
    case 1:
        for (int c = 0; c < 8; ++c) row[c] = byte(0) >> (7 - c) & 1;
        break;
    case 2:
        for (int c = 0; c < 4; ++c) row[c] = byte(0) >> (6 - 2 * c) & 3;
        break;
    case 4:
        for (int c = 0; c < 8; ++c) {
            row[c] = 0;
            for (int plane = 0; plane < bit_planes; ++plane)
                row[c] |= uint8_t((byte(size_t(plane)) >> (7 - c) & 1) << plane);
        }
        break;
    default:
        row[0] = byte(0);
    }
}

// Tile columns and the bytes each tile row takes on the page's format.
void tile_shape(const rt_image& image, int32_t& width, size_t& row_bytes) {
    width = image.bits_per_pixel == 1 || image.bits_per_pixel == 4 ? 8
            : image.bits_per_pixel == 2                            ? 4
                                                                   : 1;
    row_bytes = image.bits_per_pixel == 4 ? bit_planes : 1;
}

} // namespace

void rt_paint(float x, float y, uint32_t fill, uint32_t border, uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    if (given & paint_tile_form) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    if (!(given & paint_fill)) fill = static_cast<uint32_t>(image.fg_colour);
    fill = masked(image, fill);
    image.draw_colour = fill;
    border = given & paint_border ? masked(image, border) : fill;
    const pixel_point start = fill_start(image, x, y, given);
    run_fill(image, start, fill_rule{border, fill});
}

void rt_paint_tile(float x, float y, rt_string* pattern, uint32_t border, rt_string* background,
                   uint32_t given) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    const size_t longest = image.bits_per_pixel == 4 ? longest_pattern_4_bit : longest_pattern;
    const bool with_background = given & paint_background;
    if (image.bytes_per_pixel != 1 || !pattern || pattern->len < 1 ||
        size_t(pattern->len) > longest ||
        (with_background &&
         (!background || background->len < 1 || background->len > longest_background))) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    int32_t tile_width;
    size_t row_bytes;
    tile_shape(image, tile_width, row_bytes);
    const size_t length = size_t(pattern->len);
    const int32_t tile_height = int32_t((length + row_bytes - 1) / row_bytes);
    uint8_t tile[longest_pattern_4_bit * 8];
    for (int32_t row = 0; row < tile_height; ++row)
        decode_tile_row(image, pattern->data + size_t(row) * row_bytes,
                        length - size_t(row) * row_bytes, tile + row * tile_width);
    fill_rule rule{};
    rule.border = masked(image, given & paint_border ? border : uint32_t(image.fg_colour));
    rule.tile = tile;
    rule.tile_width = tile_width;
    rule.tile_height = tile_height;
    if (with_background) {
        uint8_t row[8];
        decode_tile_row(image, background->data, size_t(background->len), row);
        rule.background = row[0];
    }
    const pixel_point start = fill_start(image, x, y, given);
    run_fill(image, start, rule);
}

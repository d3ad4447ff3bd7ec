#include "tests/support/glyph_decoder.h"

#include <array>
#include <map>

#include "runtime/screen/glyphs.h"

namespace {

// One byte per row, leftmost pixel in bit 7; 8-pixel-high cells leave the last rows 0.
using cell_bitmap = std::array<uint8_t, 16>;
using glyph_map = std::map<cell_bitmap, uint8_t>;

glyph_map make_glyph_index(const uint8_t* glyph_rows, int32_t cell_height) {
    glyph_map m;
    m.emplace(cell_bitmap{}, ' ');
    for (int32_t code = 0; code < 256; ++code) {
        cell_bitmap rows{};
        for (int32_t r = 0; r < cell_height; ++r) rows[r] = glyph_rows[code * cell_height + r];
        m.emplace(rows, static_cast<uint8_t>(code));
    }
    return m;
}

// Bitmap -> code. Identical glyphs (0, 32, 255) decode to the space.
const glyph_map& glyph_index(int32_t cell_height) {
    static const glyph_map index_8 = make_glyph_index(glyph_rows_8x8, 8);
    static const glyph_map index_16 = make_glyph_index(glyph_rows_8x16, 16);
    return cell_height == 8 ? index_8 : index_16;
}

struct picture {
    const uint8_t* pixels;
    int32_t width;
    int32_t channels;
    int32_t cell_height;

    uint32_t rgb(int32_t x, int32_t y) const {
        const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * channels;
        return static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    }
};

uint32_t cell_background(const picture& pic, int32_t x0, int32_t y0,
                         std::optional<uint32_t> background_rgb) {
    if (background_rgb) {
        for (int32_t y = y0; y < y0 + pic.cell_height; ++y) {
            for (int32_t x = x0; x < x0 + 8; ++x) {
                if (pic.rgb(x, y) == *background_rgb) return *background_rgb;
            }
        }
    }
    return pic.rgb(x0, y0);
}

// The cell as a bitmap of its foreground pixels; nullopt when it has more than two colours.
std::optional<cell_bitmap> cell_bits(const picture& pic, int32_t x0, int32_t y0,
                                     uint32_t background) {
    cell_bitmap rows{};
    std::optional<uint32_t> foreground;
    for (int32_t r = 0; r < pic.cell_height; ++r) {
        for (int32_t c = 0; c < 8; ++c) {
            uint32_t colour = pic.rgb(x0 + c, y0 + r);
            if (colour == background) continue;
            if (foreground && colour != *foreground) return std::nullopt;
            foreground = colour;
            rows[r] |= static_cast<uint8_t>(0x80 >> c);
        }
    }
    return rows;
}

char decode_cell(const cell_bitmap& rows, int32_t cell_height) {
    const glyph_map& index = glyph_index(cell_height);
    if (auto it = index.find(rows); it != index.end()) return static_cast<char>(it->second);
    cell_bitmap inverse{};
    for (int32_t r = 0; r < cell_height; ++r) inverse[r] = static_cast<uint8_t>(~rows[r]);
    if (auto it = index.find(inverse); it != index.end()) return static_cast<char>(it->second);
    return undecodable_cell;
}

} // namespace

std::vector<std::string> decode_text_screen(const uint8_t* pixels, int32_t width, int32_t height,
                                            int32_t channels,
                                            std::optional<uint32_t> background_rgb,
                                            int32_t cell_height) {
    picture pic{pixels, width, channels, cell_height};
    std::vector<std::string> text;
    for (int32_t y0 = 0; y0 + cell_height <= height; y0 += cell_height) {
        std::string row;
        for (int32_t x0 = 0; x0 + 8 <= width; x0 += 8) {
            auto rows = cell_bits(pic, x0, y0, cell_background(pic, x0, y0, background_rgb));
            row += rows ? decode_cell(*rows, cell_height) : undecodable_cell;
        }
        text.push_back(row);
    }
    return text;
}

#include "tests/support/glyph_decoder.h"

#include <array>
#include <map>

#include "runtime/screen/glyphs.h"

namespace {

using cell_bitmap = std::array<uint8_t, 16>; // one byte per row, leftmost pixel in bit 7

// Bitmap -> code. Identical glyphs (0, 32, 255) decode to the space.
const std::map<cell_bitmap, uint8_t>& glyph_index() {
    static const std::map<cell_bitmap, uint8_t> index = [] {
        std::map<cell_bitmap, uint8_t> m;
        cell_bitmap space{};
        m.emplace(space, ' ');
        for (int32_t code = 0; code < 256; ++code) {
            cell_bitmap rows;
            for (int32_t r = 0; r < 16; ++r) rows[r] = glyph_rows_8x16[code * 16 + r];
            m.emplace(rows, static_cast<uint8_t>(code));
        }
        return m;
    }();
    return index;
}

struct picture {
    const uint8_t* pixels;
    int32_t width;
    int32_t channels;

    uint32_t rgb(int32_t x, int32_t y) const {
        const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * channels;
        return static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    }
};

uint32_t cell_background(const picture& pic, int32_t x0, int32_t y0,
                         std::optional<uint32_t> background_rgb) {
    if (background_rgb) {
        for (int32_t y = y0; y < y0 + 16; ++y) {
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
    for (int32_t r = 0; r < 16; ++r) {
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

char decode_cell(const cell_bitmap& rows) {
    const auto& index = glyph_index();
    if (auto it = index.find(rows); it != index.end()) return static_cast<char>(it->second);
    cell_bitmap inverse;
    for (int32_t r = 0; r < 16; ++r) inverse[r] = static_cast<uint8_t>(~rows[r]);
    if (auto it = index.find(inverse); it != index.end()) return static_cast<char>(it->second);
    return undecodable_cell;
}

} // namespace

std::vector<std::string> decode_text_screen(const uint8_t* pixels, int32_t width, int32_t height,
                                            int32_t channels,
                                            std::optional<uint32_t> background_rgb) {
    picture pic{pixels, width, channels};
    std::vector<std::string> text;
    for (int32_t y0 = 0; y0 + 16 <= height; y0 += 16) {
        std::string row;
        for (int32_t x0 = 0; x0 + 8 <= width; x0 += 8) {
            auto rows = cell_bits(pic, x0, y0, cell_background(pic, x0, y0, background_rgb));
            row += rows ? decode_cell(*rows) : undecodable_cell;
        }
        text.push_back(row);
    }
    return text;
}

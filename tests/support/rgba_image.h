#pragma once
// A captured picture, 4 bytes per pixel in the order red, green, blue, alpha.
#include <cstdint>
#include <string>
#include <vector>

struct rgba_image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    bool empty() const { return bytes.empty(); }
    // 0xRRGGBB of the pixel at column x, row y.
    uint32_t rgb(int x, int y) const {
        const uint8_t* p = &bytes[(static_cast<size_t>(y) * width + x) * 4];
        return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
};

// Writes the picture as a PNG file for a person to look at; false on failure.
bool write_png(const rgba_image& image, const std::string& path);

#include "tests/support/rgba_image.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {

// The picture is stored uncompressed (deflate "stored" blocks): no library needed,
// and inspection pictures are small enough.
constexpr size_t stored_block_limit = 65535;

std::array<uint32_t, 256> make_crc_table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

uint32_t crc32(const std::vector<uint8_t>& data) {
    static const std::array<uint32_t, 256> table = make_crc_table();
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : data) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put_u32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put_u32(out, crc32(typed));
}

// Each row starts with filter type 0 (none).
std::vector<uint8_t> scanlines(const rgba_image& image) {
    std::vector<uint8_t> raw;
    const size_t row_bytes = static_cast<size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto row = image.bytes.begin() + static_cast<ptrdiff_t>(y * row_bytes);
        raw.insert(raw.end(), row, row + static_cast<ptrdiff_t>(row_bytes));
    }
    return raw;
}

std::vector<uint8_t> zlib_stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out{0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min(stored_block_limit, raw.size() - pos);
        const bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(~n));
        out.push_back(static_cast<uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                   raw.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    put_u32(out, adler32(raw));
    return out;
}

} // namespace

bool write_png(const rgba_image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put_u32(header, static_cast<uint32_t>(image.width));
    put_u32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", zlib_stored(scanlines(image)));
    put_chunk(png, "IEND", {});
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

#include "runtime/window/frame_pixels.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr int32_t row_pixels = 8;

// Vector registers as GCC and Clang offer them on every target: sixteen bytes, or four
// 32-bit pixels, in one.
using byte_lanes = int8_t __attribute__((vector_size(16)));
using pixel_quad = uint32_t __attribute__((vector_size(16)));
using word_pair = uint64_t __attribute__((vector_size(16)));

// Each of the first (last) eight bytes twice: a byte mask becomes a mask twice as wide.
byte_lanes twice_low(byte_lanes x) {
    return __builtin_shufflevector(x, x, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
}

byte_lanes twice_high(byte_lanes x) {
    return __builtin_shufflevector(x, x, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15,
                                   15);
}

// All ones in the byte of every pixel of a glyph row without ink.
byte_lanes blank_pixels(const uint8_t* glyph_row) {
    uint64_t row;
    std::memcpy(&row, glyph_row, sizeof row);
    return reinterpret_cast<byte_lanes>(word_pair{row, 0}) == byte_lanes{};
}

// Four pixels from four 32-bit masks: the ink colour, or the background where blank.
void write_quad(uint32_t* out, byte_lanes blank, pixel_quad ink, pixel_quad difference) {
    const pixel_quad pixels = ink ^ (reinterpret_cast<pixel_quad>(blank) & difference);
    std::memcpy(out, &pixels, sizeof pixels);
}

// Eight pixels from their eight 16-bit masks.
void write_eight(uint32_t* out, byte_lanes halves, pixel_quad ink, pixel_quad difference) {
    write_quad(out, twice_low(halves), ink, difference);
    write_quad(out + 4, twice_high(halves), ink, difference);
}

void write_glyph_row(uint32_t* out, const uint8_t* glyph_row, int32_t scale, pixel_quad ink,
                     pixel_quad difference) {
    const byte_lanes blank = glyph_row ? blank_pixels(glyph_row) : ~byte_lanes{};
    if (scale == 1) {
        write_eight(out, twice_low(blank), ink, difference);
        return;
    }
    const byte_lanes doubled = twice_low(blank); // double-width cells show each pixel twice
    write_eight(out, twice_low(doubled), ink, difference);
    write_eight(out + row_pixels, twice_high(doubled), ink, difference);
}

constexpr int32_t shuffle_entries = 16; // a byte shuffle looks up 16 entries at once

// The colour of every pixel byte of a page of at most 16 colours, 16 pixels at once: the
// byte shuffle of SSSE3 looks up one byte plane of the colours at a time.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("ssse3"))) void
write_pixels_by_shuffle(uint32_t* out, const uint8_t* pixels, size_t count,
                        const uint32_t (&colours)[shuffle_entries]) {
    alignas(16) uint8_t planes[4][shuffle_entries];
    for (int32_t entry = 0; entry < shuffle_entries; ++entry)
        for (int32_t plane = 0; plane < 4; ++plane)
            planes[plane][entry] = static_cast<uint8_t>(colours[entry] >> (8 * plane));
    const __m128i blue = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[0]));
    const __m128i green = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[1]));
    const __m128i red = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[2]));
    const __m128i alpha = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[3]));
    const __m128i low_nibbles = _mm_set1_epi8(shuffle_entries - 1);
    auto* to = reinterpret_cast<__m128i*>(out);
    size_t done = 0;
    for (; done + shuffle_entries <= count; done += shuffle_entries, to += 4) {
        const __m128i index = _mm_and_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + done)), low_nibbles);
        const __m128i b = _mm_shuffle_epi8(blue, index), g = _mm_shuffle_epi8(green, index);
        const __m128i r = _mm_shuffle_epi8(red, index), a = _mm_shuffle_epi8(alpha, index);
        const __m128i bg_low = _mm_unpacklo_epi8(b, g), bg_high = _mm_unpackhi_epi8(b, g);
        const __m128i ra_low = _mm_unpacklo_epi8(r, a), ra_high = _mm_unpackhi_epi8(r, a);
        _mm_storeu_si128(to, _mm_unpacklo_epi16(bg_low, ra_low));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(bg_low, ra_low));
        _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(bg_high, ra_high));
        _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(bg_high, ra_high));
    }
    for (; done < count; ++done) out[done] = colours[pixels[done] & (shuffle_entries - 1)];
}

// False when the page has more colours than a shuffle looks up, or the machine no shuffle.
bool write_by_byte_shuffle(uint32_t* out, const uint8_t* pixels, size_t count,
                           const uint32_t* colours, uint32_t entry_mask) {
    if (entry_mask >= shuffle_entries || !__builtin_cpu_supports("ssse3")) return false;
    uint32_t table[shuffle_entries];
    for (uint32_t entry = 0; entry < shuffle_entries; ++entry)
        table[entry] = colours[entry & entry_mask];
    write_pixels_by_shuffle(out, pixels, count, table);
    return true;
}
#else
bool write_by_byte_shuffle(uint32_t*, const uint8_t*, size_t, const uint32_t*, uint32_t) {
    return false;
}
#endif

} // namespace

void write_glyph_cells(const glyph_cell* cells, int32_t count, size_t pitch, int32_t rows,
                       int32_t scale) {
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t i = 0; i < count; ++i) {
            const glyph_cell& cell = cells[i];
            write_glyph_row(
                cell.origin + row * pitch, cell.glyph ? cell.glyph + row * row_pixels : nullptr,
                scale, pixel_quad{} + cell.colours.ink, pixel_quad{} + cell.colours.difference);
        }
    }
}

cell_colours colours_of_cell(uint32_t background, uint32_t foreground) {
    return {foreground, background ^ foreground};
}

void write_palette_pixels(uint32_t* out, const uint8_t* pixels, size_t count,
                          const uint32_t* colours, int32_t bits_per_pixel) {
    const uint32_t entry_mask = (1u << bits_per_pixel) - 1;
    if (write_by_byte_shuffle(out, pixels, count, colours, entry_mask)) return;
    for (size_t i = 0; i < count; ++i) out[i] = colours[pixels[i] & entry_mask];
}

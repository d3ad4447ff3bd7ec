#include "runtime/platform/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>
#include <new>

struct platform_font {
    FT_Face face;
    int32_t cell_height;
    int32_t baseline; // pixel rows from the top of the cell to the baseline
    platform_font_style style;
    int32_t underline_top, underline_rows;
};

namespace {

// One library for the whole process, made on first use and released by the process exit.
FT_Library library = nullptr;
font_file_reader file_reader = nullptr;

constexpr FT_Int32 load_flags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;

// Real fonts span about one em from ascender to descender, so their em stays near the cell
// height. A damaged file claiming a span of a few font units would blow every glyph up to
// tens of thousands of pixels a side: seconds and gigabytes per glyph.
constexpr FT_Long largest_em_per_cell = 4;
// Even within a sound em, damaged outline points may lie far outside it; a glyph larger than
// this many cell heights a side is no real glyph and is not rendered.
constexpr FT_Pos largest_glyph_cells = 8;

int32_t whole_pixels(FT_Pos value_26_6) {
    return static_cast<int32_t>((value_26_6 + 32) >> 6);
}

bool library_ready() {
    return library || FT_Init_FreeType(&library) == 0;
}

FT_Error open_face(const char* path, FT_Face& face) {
    font_file_bytes bytes{};
    if (file_reader && file_reader(path, bytes))
        return FT_New_Memory_Face(library, bytes.data, static_cast<FT_Long>(bytes.size), 0, &face);
    return FT_New_Face(library, path, 0, &face);
}

bool em_fits_cell(FT_Face face, int32_t cell_height) {
    const FT_Long em = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale);
    return em <= (largest_em_per_cell * cell_height) << 6;
}

bool scale_to_cell(FT_Face face, int32_t cell_height) {
    FT_Size_RequestRec request{};
    request.type = FT_SIZE_REQUEST_TYPE_REAL_DIM;
    request.height = FT_Long{cell_height} << 6;
    return FT_Request_Size(face, &request) == 0 && em_fits_cell(face, cell_height);
}

// The face's underline, at least one row thick, kept inside the cell.
void place_underline(platform_font& font) {
    const FT_Size_Metrics& m = font.face->size->metrics;
    const int32_t thickness = whole_pixels(FT_MulFix(font.face->underline_thickness, m.y_scale));
    const int32_t position = whole_pixels(FT_MulFix(font.face->underline_position, m.y_scale));
    font.underline_rows = std::clamp(thickness, 1, font.cell_height);
    font.underline_top =
        std::clamp(font.baseline - position, 0, font.cell_height - font.underline_rows);
}

FT_GlyphSlot load_glyph(platform_font* font, uint32_t code_point) {
    const FT_UInt index = FT_Get_Char_Index(font->face, code_point);
    if (FT_Load_Glyph(font->face, index, load_flags) != 0) return nullptr;
    FT_GlyphSlot slot = font->face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    if (font->style.italic) FT_GlyphSlot_Oblique(slot);
    if (font->style.bold) FT_GlyphSlot_Embolden(slot);
    return slot;
}

bool glyph_fits(const platform_font& font, FT_GlyphSlot slot) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    const FT_Pos largest = (largest_glyph_cells * font.cell_height) << 6;
    return box.xMax - box.xMin <= largest && box.yMax - box.yMin <= largest;
}

// Copies the rendered bitmap (grey levels 0 .. num_grays - 1) into the cell, scaled to 0-255.
void copy_into_cell(const platform_font& font, const FT_Bitmap& bitmap, int32_t left, int32_t top,
                    int32_t cell_width, uint8_t* coverage) {
    const int32_t levels = std::max<int32_t>(bitmap.num_grays - 1, 1);
    for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
        const int32_t y = top + row;
        if (y < 0 || y >= font.cell_height) continue;
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        for (int32_t col = 0; col < static_cast<int32_t>(bitmap.width); ++col) {
            const int32_t x = left + col;
            if (x < 0 || x >= cell_width) continue;
            coverage[static_cast<size_t>(y) * cell_width + x] =
                static_cast<uint8_t>(std::min(source[col] * 255 / levels, 255));
        }
    }
}

} // namespace

platform_font* platform_font_open(const char* path, int32_t cell_height,
                                  platform_font_style style) {
    if (cell_height < 1 || !library_ready()) return nullptr;
    FT_Face face = nullptr;
    if (open_face(path, face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || !scale_to_cell(face, cell_height)) {
        FT_Done_Face(face);
        return nullptr;
    }
    auto* font = new (std::nothrow) platform_font{};
    if (!font) {
        FT_Done_Face(face);
        return nullptr;
    }
    font->face = face;
    font->cell_height = cell_height;
    font->baseline = std::clamp(whole_pixels(face->size->metrics.ascender), 0, cell_height);
    font->style = style;
    place_underline(*font);
    return font;
}

void platform_set_font_file_reader(font_file_reader reader) {
    file_reader = reader;
}

void platform_font_close(platform_font* font) {
    if (!font) return;
    FT_Done_Face(font->face);
    delete font;
}

int32_t platform_font_advance(platform_font* font, uint32_t code_point) {
    const FT_GlyphSlot slot = load_glyph(font, code_point);
    return slot ? std::max(whole_pixels(slot->advance.x), 0) : 0;
}

bool platform_font_render(platform_font* font, uint32_t code_point, int32_t cell_width,
                          int32_t pen_x, uint8_t* coverage) {
    std::memset(coverage, 0, static_cast<size_t>(cell_width) * font->cell_height);
    const FT_GlyphSlot slot = load_glyph(font, code_point);
    if (!slot || !glyph_fits(*font, slot) || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    FT_Bitmap grey;
    FT_Bitmap_Init(&grey);
    // Normal rendering gives 8-bit grey already; the conversion also unpacks any other depth.
    if (FT_Bitmap_Convert(library, &slot->bitmap, &grey, 1) != 0) {
        FT_Bitmap_Done(library, &grey);
        return false;
    }
    copy_into_cell(*font, grey, pen_x + slot->bitmap_left, font->baseline - slot->bitmap_top,
                   cell_width, coverage);
    FT_Bitmap_Done(library, &grey);
    if (font->style.underline && cell_width > 0)
        std::memset(coverage + static_cast<size_t>(font->underline_top) * cell_width, 255,
                    static_cast<size_t>(font->underline_rows) * cell_width);
    return true;
}

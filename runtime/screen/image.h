#pragma once
// Every drawing surface: screen pages and images, text or pixels, in image_table.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "runtime/screen/screen.h"

struct rt_image {
    uint8_t in_use;
    uint8_t text_page;    // cells of character + text_attribute
    uint8_t console_page; // printing goes to standard output instead
    uint16_t width;       // pixels, or columns on a text page
    uint16_t height;      // pixels, or rows on a text page
    uint8_t bytes_per_pixel;
    uint8_t bits_per_pixel;
    uint32_t colour_mask;
    uint16_t mode;
    int32_t fg_colour;
    uint32_t bg_colour;
    uint32_t draw_colour;
    int32_t font;
    int16_t print_top, print_bottom;
    int16_t cursor_col, cursor_row;
    uint8_t cursor_visible;
    uint8_t cursor_start, cursor_stop;
    uint8_t* pixels;
    uint32_t flags; // image_palette_owned | image_screen_page | image_pixels_owned
    uint32_t* palette;
    uint32_t transparent_colour;
    uint8_t no_blend;
    uint8_t pending_wrap;
    uint8_t print_mode;
    // The graphics state block, copied as one when the active page changes.
    int32_t view_x1, view_y1, view_x2, view_y2;
    int32_t view_origin_x, view_origin_y;
    float gfx_x, gfx_y;
    uint8_t coord_mode;
    float scale_x, scale_y;
    float offset_x, offset_y;
    float window_x1, window_y1, window_x2, window_y2;
    double draw_angle;
    double draw_scale;
};

constexpr uint32_t image_palette_owned = 1;
constexpr uint32_t image_screen_page = 2;
constexpr uint32_t image_pixels_owned = 4;

// The screen's state. Start-up sets it up before the program thread runs; after that each
// field names the thread that writes it. Slot numbers index table; handles as the program
// sees them are the negated slot numbers. The display refresh compares screen_generation
// with its last frame's. The blending tables are built with the first 32-bit image.
struct rt_image_state {
    rt_image* table = nullptr;                   // program: every image and page, by slot
    int32_t table_size = 0;                      // program: slots in table
    int32_t* page_list = nullptr;                // program: slot of each screen page
    int32_t page_list_size = 0;                  // program: entries in page_list
    int32_t dest_image = 0;                      // program: slot drawn and printed on
    int32_t source_image = 0;                    // program: slot read from
    std::atomic<int32_t> visible_page{0};        // program: slot the display refresh shows
    rt_image* dest = nullptr;                    // program: dest_image's record; moves with table
    std::atomic<uint32_t> screen_generation{0};  // program: bumped on mode, page or clearing
    uint32_t default_palette[256];               // program: writable copy, alpha forced to 255
    uint32_t ega_palette[64];                    // program: writable copy
    uint32_t mono_attribute_colours[9][2];       // program: writable copy
    int32_t pending_text_size[3] = {-1, -1, -1}; // program: columns, rows, font; -1 unset
    int32_t auto_resize = 1;        // program: 1 lets rt_locate below row 25 grow to 80x50
    uint8_t* blend_table = nullptr; // program: [(a << 16) | (new << 8) | old]
    uint8_t* alpha_table = nullptr; // program: [(a << 8) | b]
};

extern rt_image_state image_state;

extern const uint32_t default_palette_256[256];
extern const uint32_t ega_palette_64[64];
extern const uint32_t mono_attribute_table[9][2];

// Start-up: colour tables, image table with slots 0 and 1 reserved.
void rt_screen_init();

// Internal operations shared by the screen code.
// A new image of a valid mode with storage of its own (pixels null) or over the given
// bytes; returns the slot, or -1 when the size or mode is refused or memory runs out.
int32_t image_create(int32_t width, int32_t height, int32_t mode, uint8_t* pixels);
void image_free(int32_t slot);
// Blank text cells: a space on grey, count cells of two bytes.
void fill_text_cells(uint8_t* cells, size_t count);
bool image_mode_valid(int32_t mode);
// The slot of a live image handle, else -1 (nothing raised).
int32_t image_slot_of_handle(int32_t handle);
// frame_lock for page changes; nested holds on the program thread take it once.
void hold_frames();
void release_frames();
// Makes slot the destination / source image.
void select_dest_slot(int32_t slot);
void select_source_slot(int32_t slot);
// Text rows and columns of an image: cells on text pages, cells of the font on pixel images.
int32_t image_rows(const rt_image& image);
int32_t image_columns(const rt_image& image);
// Cursor home and print region for the image's font: rows 1 .. rows - 1 (at least 1).
void image_reset_text_region(rt_image& image);
// Viewport, world window and graphics cursor to the full image.
void image_reset_graphics(rt_image& image);
void palette_reset(rt_image& image);
// Highest page number a program may use. Pages are screen-sized and listed densely from 0:
// a thousand is far more than a program flips between, and the bound keeps page_list (and
// page + 1) small however large a number a caller passes.
constexpr int32_t largest_page_number = 1023;
// The slot of page n, made on first use; 5 for a number outside 0 to largest_page_number.
int32_t page_get_or_create(int32_t page);
void page_reset(rt_image& image);
void put_pixel(int32_t x, int32_t y, uint32_t colour);
// The slot of a handle (negative) or page number (non-negative); -1 after raising 258 or 5.
int32_t image_resolve(int32_t page_or_handle);
uint8_t text_attribute_of(const rt_image& image);

#pragma once
// The desktop's print spooler: one picture per job on the default destination, filling
// that destination's printable area at its resolution.
#include <cstdint>

// The printable area of the destination's default media, in device pixels.
struct print_area {
    int32_t width;
    int32_t height;
};

// Fills row y (0 at the top) of a picture of the printable area's size with 0xAARRGGBB
// pixels (alpha ignored).
using print_row_source = void (*)(const void* context, print_area area, int32_t y, uint32_t* row);

// Prints one page as a job titled "Document" on the default destination, pulling the
// picture a row at a time. False when there is no default destination or the spooler
// refused the job; nothing is reported to the user.
bool platform_print_picture(print_row_source rows, const void* context);

// The host's spooler, which platform_print_picture calls unless a stand-in is installed.
bool host_print_picture(print_row_source rows, const void* context);

// Tests install a stand-in printer; it is called instead of the spooler. Null restores
// the spooler.
using print_stand_in = bool (*)(print_row_source rows, const void* context);
void platform_set_print_stand_in(print_stand_in stand_in);

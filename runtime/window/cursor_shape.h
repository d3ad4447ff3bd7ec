#pragma once
// Rows of a character cell that the text cursor fills, from its start and stop scan lines.
#include <cstdint>

struct cursor_rows {
    int32_t first;
    int32_t count; // 0: nothing drawn
};

cursor_rows cursor_shape(int32_t start, int32_t stop, int32_t cell_height);

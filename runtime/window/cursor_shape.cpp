#include "runtime/window/cursor_shape.h"

#include <algorithm>

cursor_rows cursor_shape(int32_t s, int32_t e, int32_t h) {
    // "At the bottom" counts up from the last row, but a 16-row cell keeps its last row empty.
    const int32_t bottom = h == 16 ? 14 : h - 1;
    const auto at_bottom = [bottom](int32_t rows) { return cursor_rows{bottom - rows + 1, rows}; };
    cursor_rows rows{0, 0};
    if (e == 0)
        rows = s == 0 ? cursor_rows{0, 1} : cursor_rows{0, 0};
    else if (e < s)
        rows = {e, h - e};
    else if (e == s)
        rows = s <= 3 ? cursor_rows{s, 1} : at_bottom(1);
    else if (s <= 1)
        rows = e <= 3 ? cursor_rows{s, e - s + 1} : cursor_rows{s, h - s};
    else if (s == 2)
        rows = e == 3 ? cursor_rows{2, 2} : e == 4 ? at_bottom(3) : cursor_rows{2, h - 2};
    else
        rows = e == s + 1 ? at_bottom(2) : e == s + 2 ? at_bottom(3) : at_bottom(h / 2);
    if (rows.first < 0) rows = {0, rows.count + rows.first};
    if (rows.first >= h) return {0, 0};
    rows.count = std::max(0, std::min(rows.count, h - rows.first));
    return rows;
}

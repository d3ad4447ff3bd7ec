#pragma once
// The window's own icon as _NET_WM_ICON holds it: pictures one after another, each its
// width, its height and its pixels as 0xAARRGGBB, rows top to bottom (made by
// tools/make_window_icon.py from packaging/icons/).
#include <cstddef>
#include <cstdint>

extern const uint32_t window_icon[];
extern const size_t window_icon_length;

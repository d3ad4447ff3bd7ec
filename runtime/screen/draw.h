#pragma once
// The drawing-command language: one-letter commands that move a pen from the graphics
// cursor over dest_image and draw straight segments (U D L R E F G H n, M x,y, B, N, C n,
// S n, A n, TA n, P f,b, X substring). Rotation and scale stay in the image between calls;
// the graphics cursor follows the pen only when the whole string ran without error.
#include <cstdint>
#include <string_view>

#include "runtime/core/rt_string.h"

// Deepest nesting of X substrings; one more raises 6.
constexpr int32_t draw_max_substring_depth = 8192;
// Command characters (blanks too) one string may run, substrings included; the next raises
// 5. Substrings that each run the next one twice double the work with every level, so the
// nesting limit alone bounds nothing; real pictures are a few hundred commands.
constexpr int64_t draw_command_budget = 1'000'000;

// Interprets the commands; errors 5 (bad command or number, or the command budget spent)
// and 6 (substrings nested too deep) stop it at once, keeping what was drawn.
void rt_draw(rt_string* commands);
void rt_draw(std::string_view commands);

#pragma once
// Keys the X server reports in a way freeglut turns into something else: Shift+Tab
// (no character at all) and Ctrl+Enter (the same 13 as Ctrl+M). The window layer
// takes these events before freeglut and hands them here.
#include <X11/Xlib.h>

bool keyboard_claims_x_key(const XKeyEvent& event);
void keyboard_x_key(const XKeyEvent& event);

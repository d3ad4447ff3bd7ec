#pragma once
// Finding, driving and photographing windows on a test's X server. Every function
// takes the display name (":57") and opens its own short connection or runs xdotool.
#include "tests/support/rgba_image.h"

#include <optional>
#include <string>
#include <vector>

using x_window_id = unsigned long;
struct _XDisplay; // Xlib's Display

// A connection that hears of every window made on the display from now on (substructure
// events of the root window); null when the display does not answer. The caller closes it.
_XDisplay* watch_new_windows(const std::string& display);

// Waits up to timeout_ms for a visible window whose title is exactly title; 0 if none.
x_window_id find_window_by_title(const std::string& display, const std::string& title,
                                 int timeout_ms);

struct window_geometry {
    int x = 0, y = 0; // position of the inside of the window on the screen
    int width = 0, height = 0;
};
std::optional<window_geometry> get_window_geometry(const std::string& display, x_window_id window);

// The window's title (WM_NAME); empty when it has none.
std::string window_title(const std::string& display, x_window_id window);

// Keyboard through xdotool; key names are X keysym names ("Return", "Shift_L", "F1").
// Window 0 types into whichever window has the keyboard focus.
bool type_text(const std::string& display, x_window_id window, const std::string& text);
bool press_key(const std::string& display, x_window_id window, const std::string& key);
// A key that ends the program: its release may find the window gone, which xdotool reports
// as a failure, so only the program's exit tells whether it worked.
void press_final_key(const std::string& display, x_window_id window, const std::string& key);
bool hold_key(const std::string& display, const std::string& key);
bool release_key(const std::string& display, const std::string& key);

// Moves the pointer to (x, y) inside the window and clicks the given mouse button.
bool click_at(const std::string& display, x_window_id window, int x, int y, int button = 1);

// Names of the atoms in a property of type ATOM (such as _NET_WM_WINDOW_TYPE).
std::vector<std::string> atom_list_property(const std::string& display, x_window_id window,
                                            const std::string& property);
// The window a dialog is transient for (WM_TRANSIENT_FOR); 0 when none.
x_window_id transient_for(const std::string& display, x_window_id window);

// What the desktop's close button sends: WM_PROTOCOLS with WM_DELETE_WINDOW.
bool send_delete_window(const std::string& display, x_window_id window);

// The window's current pixels; empty when it cannot be read.
rgba_image capture_window(const std::string& display, x_window_id window);

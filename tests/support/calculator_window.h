#pragma once
// The real calculator under a test's X server, and its window read back as text.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/expected_menu.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

// Starts the executable on the server and waits for its window; 0 when none appears.
// Without a window manager the window opens at (-1, -1), and X cannot photograph a
// window that reaches past the screen's edge, so it is moved to (0, 0). Entries of
// `environment` ("NAME=value") are added to the server's (see xvfb_session::environment);
// `arguments` follow the executable. When MIRVA_LAUNCHER names a program, that program
// is started with the executable as its first argument.
x_window_id start_calculator(const xvfb_session& xvfb, const std::string& executable,
                             std::unique_ptr<child_process>& program, int timeout_ms,
                             const std::vector<std::string>& environment = {},
                             const std::vector<std::string>& arguments = {});

// The window's text screen, one row of cells a string, trailing blanks removed; empty
// when it cannot be read. background_rgb and cell_height as for decode_text_screen.
std::vector<std::string> window_text_rows(const std::string& display, x_window_id window,
                                          std::optional<uint32_t> background_rgb = {},
                                          int32_t cell_height = 16);

// Waits until the window shows the menu: its rows above the prompt, which may show the
// cursor. False after timeout_ms.
bool wait_for_menu(const std::string& display, x_window_id window, int timeout_ms);

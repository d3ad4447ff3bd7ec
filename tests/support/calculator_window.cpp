#include "tests/support/calculator_window.h"

#include "runtime/platform/clock.h"
#include "tests/support/glyph_decoder.h"

x_window_id start_calculator(const xvfb_session& xvfb, const std::string& executable,
                             std::unique_ptr<child_process>& program, int timeout_ms,
                             const std::vector<std::string>& environment,
                             const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{executable};
    // A launcher runs the executable when the host cannot (wine64 for the Windows build).
    if (const std::string launcher = program_launcher(); !launcher.empty())
        argv.insert(argv.begin(), launcher);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program = std::make_unique<child_process>(
        argv, process_options{"", xvfb.environment(environment), true});
    if (!program->started()) return 0;
    const x_window_id window = find_window_by_title(xvfb.display_name(), "Untitled", timeout_ms);
    if (!window) return 0;
    const command_result moved =
        run_command({"xdotool", "windowmove", std::to_string(window), "0", "0"}, xvfb.environment(),
                    timeout_ms);
    return moved.status == 0 ? window : 0;
}

std::vector<std::string> window_text_rows(const std::string& display, x_window_id window,
                                          std::optional<uint32_t> background_rgb,
                                          int32_t cell_height) {
    const rgba_image picture = capture_window(display, window);
    if (picture.empty()) return {};
    std::vector<std::string> rows = decode_text_screen(
        picture.bytes.data(), picture.width, picture.height, 4, background_rgb, cell_height);
    for (auto& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    return rows;
}

bool wait_for_menu(const std::string& display, x_window_id window, int timeout_ms) {
    constexpr size_t rows_above_prompt = 16;
    constexpr int poll_ms = 50;
    const std::vector<std::string>& menu = expected_menu_rows();
    const std::vector<std::string> expected(menu.begin(), menu.begin() + rows_above_prompt);
    const int64_t end = rt_clock_ms() + timeout_ms;
    while (rt_clock_ms() < end) {
        const std::vector<std::string> rows = window_text_rows(display, window);
        if (rows.size() > rows_above_prompt &&
            std::vector<std::string>(rows.begin(), rows.begin() + rows_above_prompt) == expected)
            return true;
        rt_sleep_ms(poll_ms);
    }
    return false;
}

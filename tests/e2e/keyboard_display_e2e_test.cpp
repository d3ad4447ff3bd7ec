// The real executable under a private X server, driven through its keyboard: typed keys
// reach the menu prompt, the window keeps the page's size, Break ends the program and
// Pause parks it until the next key.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

// The machine running the tests may be busy: waits are long, but end as soon as the
// awaited state shows.
constexpr int start_timeout_ms = 20000;
constexpr int screen_timeout_ms = 10000;
constexpr int poll_period_ms = 20;

const std::string prompt = "SELECT AN OPTION ? ";

// The row holding the menu prompt from the prompt on, blanks trimmed; nothing when no
// row shows it.
std::optional<std::string> prompt_row(const std::string& display, x_window_id window) {
    for (const std::string& row : window_text_rows(display, window)) {
        // Rows come without trailing blanks, so the prompt may end at its question mark.
        const size_t at = row.find(prompt.substr(0, prompt.size() - 1));
        if (at != std::string::npos) return row.substr(at);
    }
    return std::nullopt;
}

// Watches the sizes a window takes, from the X server's notifications, so that a size held
// only for a moment is seen too.
class size_watch {
  public:
    size_watch(const std::string& display_name, x_window_id window)
        : display_(XOpenDisplay(display_name.c_str())) {
        if (!display_) return;
        XSelectInput(display_, window, StructureNotifyMask);
        XSync(display_, False);
    }
    ~size_watch() {
        if (display_) XCloseDisplay(display_);
    }
    size_watch(const size_watch&) = delete;
    size_watch& operator=(const size_watch&) = delete;

    bool watching() const { return display_ != nullptr; }

    // Sizes the window took within timeout_ms, in order; stops early once it has taken
    // another size and then width x height.
    std::vector<std::pair<int, int>> sizes_until_back_at(int width, int height, int timeout_ms) {
        std::vector<std::pair<int, int>> sizes;
        const int64_t end = rt_clock_ms() + timeout_ms;
        while (rt_clock_ms() < end) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type != ConfigureNotify) continue;
                const std::pair<int, int> size{event.xconfigure.width, event.xconfigure.height};
                if (sizes.empty() || sizes.back() != size) sizes.push_back(size);
                if (sizes.size() > 1 && size == std::pair{width, height}) return sizes;
            }
            rt_sleep_ms(5);
        }
        return sizes;
    }

  private:
    Display* display_;
};

std::string sizes_text(const std::vector<std::pair<int, int>>& sizes) {
    std::string text;
    for (const auto& [width, height] : sizes) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely on "literal" + string.
        text += ' ';
        text += std::to_string(width);
        text += 'x';
        text += std::to_string(height);
    }
    return text.empty() ? " none" : text;
}

// How keys reach the program: xdotool's events sent straight to the window, or the
// server's test keyboard (XTEST) typing into the focused window like a real keyboard.
enum class key_route { sent_to_window, keyboard };

std::string route_name(const ::testing::TestParamInfo<key_route>& info) {
    return info.param == key_route::sent_to_window ? "SentToWindow" : "Keyboard";
}

// The calculator started under its own X server, its window moved where it can be read.
class CalculatorWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        ASSERT_TRUE(xvfb.ready());
        window = start_calculator(xvfb, MIRVA_EXECUTABLE, program, start_timeout_ms);
        ASSERT_NE(window, 0u) << "no window titled Untitled";
        ASSERT_TRUE(prompt_shows(prompt.substr(0, prompt.size() - 1)))
            << "the menu prompt never showed; last read: " << last_prompt_read;
    }

    // Polls the window until the prompt row reads exactly expected (the blinking cursor
    // is off in half of the pictures).
    bool prompt_shows(const std::string& expected, int timeout_ms = screen_timeout_ms) {
        const int64_t end = rt_clock_ms() + timeout_ms;
        do {
            const std::optional<std::string> row = prompt_row(xvfb.display_name(), window);
            last_prompt_read = row.value_or("(no prompt row) in:\n" + screen_text());
            if (row == expected) return true;
            rt_sleep_ms(poll_period_ms);
        } while (rt_clock_ms() < end);
        return false;
    }

    // The whole screen as read back, for failure messages.
    std::string screen_text() {
        std::string text;
        for (std::string row : window_text_rows(xvfb.display_name(), window)) {
            for (char& c : row)
                if (c == undecodable_cell) c = '?';
            text += row + "\n";
        }
        return text;
    }

    bool press(const std::string& key) { return press_key(xvfb.display_name(), key_target, key); }
    bool type(const std::string& text) { return type_text(xvfb.display_name(), key_target, text); }

    std::optional<window_geometry> geometry() {
        return get_window_geometry(xvfb.display_name(), window);
    }

    // Polls the inside size of the window until it is width x height.
    bool window_size_becomes(int width, int height, int timeout_ms) {
        const int64_t end = rt_clock_ms() + timeout_ms;
        do {
            const std::optional<window_geometry> now = geometry();
            if (now && now->width == width && now->height == height) return true;
            rt_sleep_ms(poll_period_ms);
        } while (rt_clock_ms() < end);
        return false;
    }

    void expect_key_ends_program_with_code_zero(const std::string& key) {
        press_final_key(xvfb.display_name(), key_target, key);
        const std::optional<int> status = program->wait_exit(screen_timeout_ms);
        ASSERT_TRUE(status.has_value()) << "still running after " << key;
        EXPECT_EQ(*status, 0);
    }

    xvfb_session xvfb;
    std::unique_ptr<child_process> program;
    x_window_id window = 0;
    x_window_id key_target = 0; // 0: the focused window, through XTEST
    std::string last_prompt_read;
};

// The same program, typed at through each key route.
class KeysTypedAt : public CalculatorWindow, public ::testing::WithParamInterface<key_route> {
  protected:
    void SetUp() override {
        CalculatorWindow::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        key_target = window;
        if (GetParam() == key_route::sent_to_window) return;
        key_target = 0;
        ASSERT_EQ(run_command({"xdotool", "windowfocus", "--sync", std::to_string(window)},
                              xvfb.environment(), screen_timeout_ms)
                      .status,
                  0);
    }
};

TEST_P(KeysTypedAt, DigitsAppearAtTheMenuPrompt) {
    ASSERT_TRUE(type("12"));
    EXPECT_TRUE(prompt_shows(prompt + "12")) << "last read: " << last_prompt_read;
}

TEST_P(KeysTypedAt, BackspaceTakesBackTheLastTypedDigit) {
    ASSERT_TRUE(type("34"));
    ASSERT_TRUE(prompt_shows(prompt + "34")) << "last read: " << last_prompt_read;
    ASSERT_TRUE(press("BackSpace"));
    EXPECT_TRUE(prompt_shows(prompt + "3")) << "last read: " << last_prompt_read;
}

TEST_F(CalculatorWindow, WindowTakesThePageSizeAndSpringsBackWhenResized) {
    ASSERT_TRUE(window_size_becomes(640, 400, screen_timeout_ms))
        << "window is " << geometry().value_or(window_geometry{}).width << "x"
        << geometry().value_or(window_geometry{}).height;

    size_watch watch(xvfb.display_name(), window);
    ASSERT_TRUE(watch.watching());
    const command_result resize =
        run_command({"xdotool", "windowsize", std::to_string(window), "800", "600"},
                    xvfb.environment(), screen_timeout_ms);
    ASSERT_EQ(resize.status, 0);
    const std::vector<std::pair<int, int>> sizes = watch.sizes_until_back_at(640, 400, 2000);
    ASSERT_FALSE(sizes.empty()) << "the window never changed size";
    EXPECT_EQ(sizes.front(), std::pair(800, 600)) << "sizes:" << sizes_text(sizes);
    EXPECT_EQ(sizes.back(), std::pair(640, 400)) << "sizes:" << sizes_text(sizes);
    EXPECT_TRUE(window_size_becomes(640, 400, 2000))
        << "window stays " << geometry().value_or(window_geometry{}).width << "x"
        << geometry().value_or(window_geometry{}).height;
    // The screen is still drawn 1:1 after the round trip.
    EXPECT_TRUE(prompt_shows(prompt.substr(0, prompt.size() - 1)))
        << "last read: " << last_prompt_read;
}

TEST_P(KeysTypedAt, BreakEndsTheProgramWithExitCodeZero) {
    expect_key_ends_program_with_code_zero("Break");
}

TEST_P(KeysTypedAt, CtrlPauseActsAsBreak) {
    expect_key_ends_program_with_code_zero("ctrl+Pause");
}

TEST_P(KeysTypedAt, KeyAfterPauseResumesAndIsNotTyped) {
    ASSERT_TRUE(press("Pause"));
    ASSERT_TRUE(type("5"));
    ASSERT_TRUE(type("7"));
    // Keys are handled in order: had Pause or "5" been queued, the prompt would never read
    // exactly this.
    EXPECT_TRUE(prompt_shows(prompt + "7")) << "last read: " << last_prompt_read;
    EXPECT_TRUE(program->running());
}

TEST_P(KeysTypedAt, KeyThatResumesIsConsumedEvenWhenItWouldEdit) {
    ASSERT_TRUE(type("1"));
    ASSERT_TRUE(prompt_shows(prompt + "1")) << "last read: " << last_prompt_read;
    ASSERT_TRUE(press("Pause"));
    ASSERT_TRUE(press("BackSpace")); // resumes, so it must not take back the "1"
    ASSERT_TRUE(type("2"));
    EXPECT_TRUE(prompt_shows(prompt + "12")) << "last read: " << last_prompt_read;
}

INSTANTIATE_TEST_SUITE_P(KeyRoutes, KeysTypedAt,
                         ::testing::Values(key_route::sent_to_window, key_route::keyboard),
                         route_name);

} // namespace

// The window's picture while the cursor blinks, read back from the real window: a blink
// redraws and shows only the cursor's cell, and the rest of the window must stay exactly as
// the frame was built, also after the screen changed size and back, and after parts of the
// window were hidden and shown again.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int start_timeout_ms = 20000;
constexpr int screen_timeout_ms = 10000;
constexpr int poll_period_ms = 40;
// The cursor changes phase about four times a second; this sees each phase several times.
constexpr int watch_ms = 2500;

constexpr uint32_t menu_blue = 0x0000AA;
constexpr int cell_width = 8, cell_height = 16;
constexpr int menu_width = 640, menu_height = 400;
const std::string menu_prompt = "SELECT AN OPTION ? ";

// The menu's cursor waits in the cell after the prompt.
struct cell_box {
    int x, y;
    bool holds(int px, int py) const {
        return px >= x && px < x + cell_width && py >= y && py < y + cell_height;
    }
};

cell_box menu_cursor_cell() {
    const int row = static_cast<int>(expected_menu_rows().size()) - 1;
    return {static_cast<int>(menu_prompt.size()) * cell_width, row * cell_height};
}

bool cursor_showing(const rgba_image& picture) {
    const cell_box cell = menu_cursor_cell();
    for (int y = cell.y; y < cell.y + cell_height; ++y)
        for (int x = cell.x; x < cell.x + cell_width; ++x)
            if (picture.rgb(x, y) != menu_blue) return true;
    return false;
}

// The menu's text as the picture shows it, the cursor's cell left out.
std::vector<std::string> menu_text(const rgba_image& picture) {
    std::vector<std::string> rows = decode_text_screen(picture.bytes.data(), picture.width,
                                                       picture.height, 4, menu_blue, cell_height);
    for (auto& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    rows.resize(expected_menu_rows().size());
    rows.back() = rows.back().substr(0, menu_prompt.size() - 1);
    return rows;
}

std::string first_difference(const rgba_image& a, const rgba_image& b) {
    if (a.width != b.width || a.height != b.height)
        return std::to_string(a.width) + "x" + std::to_string(a.height) + " against " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.rgb(x, y) != b.rgb(x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

// The picture at (x0, y0) shrunk by factor: one pixel for each factor x factor block, which
// must be of one colour; empty when one is not.
rgba_image shrunk(const rgba_image& picture, int x0, int y0, int width, int height, int factor) {
    if (picture.width < x0 + width * factor || picture.height < y0 + height * factor) return {};
    rgba_image small{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t colour = picture.rgb(x0 + x * factor, y0 + y * factor);
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx)
                    if (picture.rgb(x0 + x * factor + dx, y0 + y * factor + dy) != colour)
                        return {};
            uint8_t* p = &small.bytes[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = colour >> 16, p[1] = colour >> 8 & 0xFF, p[2] = colour & 0xFF, p[3] = 0xFF;
        }
    return small;
}

bool among(const rgba_image& picture, const std::vector<rgba_image>& pictures) {
    for (const rgba_image& p : pictures)
        if (first_difference(picture, p).empty()) return true;
    return false;
}

bool rows_black(const rgba_image& picture, int first, int end) {
    for (int y = first; y < end; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.rgb(x, y) != 0) return false;
    return true;
}

class WindowPicture : public private_display_test {
  protected:
    void SetUp() override {
        private_display_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        window = start_calculator(*x_, MIRVA_EXECUTABLE, program, start_timeout_ms);
        ASSERT_NE(window, 0u);
    }

    rgba_image capture() { return capture_window(x_->display_name(), window); }

    bool wait_for_row(const std::string& text, std::optional<uint32_t> background, int height) {
        const int64_t end = rt_clock_ms() + screen_timeout_ms;
        while (rt_clock_ms() < end) {
            for (const auto& row : window_text_rows(x_->display_name(), window, background, height))
                if (row == text) return true;
            rt_sleep_ms(poll_period_ms);
        }
        return false;
    }

    void enter(const std::string& text) {
        ASSERT_TRUE(type_text(x_->display_name(), window, text));
        ASSERT_TRUE(press_key(x_->display_name(), window, "Return"));
    }

    // The menu as the window shows it over a while: the first picture of each phase of the
    // cursor, how often each phase was seen, and how any picture unlike the first of its
    // phase differed from it.
    struct menu_watch {
        std::optional<rgba_image> cursor_on, cursor_off;
        int seen_on = 0, seen_off = 0;
        std::vector<std::string> differences;
    };
    void watch_menu(menu_watch& watch) {
        const int64_t end = rt_clock_ms() + watch_ms;
        do {
            rgba_image picture = capture();
            const bool on = picture.width == menu_width && picture.height == menu_height &&
                            cursor_showing(picture);
            ++(on ? watch.seen_on : watch.seen_off);
            std::optional<rgba_image>& first = on ? watch.cursor_on : watch.cursor_off;
            if (!first)
                first = std::move(picture);
            else if (std::string difference = first_difference(picture, *first);
                     !difference.empty())
                watch.differences.push_back(std::move(difference));
            rt_sleep_ms(poll_period_ms);
        } while (rt_clock_ms() < end);
    }

    // Watches the menu again, each picture against the first of its phase in `first`.
    menu_watch watch_menu_again(const menu_watch& first) {
        menu_watch again;
        again.cursor_on = first.cursor_on;
        again.cursor_off = first.cursor_off;
        watch_menu(again);
        return again;
    }

    static ::testing::AssertionResult no_picture_differs(const menu_watch& watch) {
        if (watch.differences.empty()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << watch.differences.size()
               << " pictures differ from the first menu's, the first at "
               << watch.differences.front();
    }

    // Waits until the window shows one of the two pictures.
    void wait_for_picture(const rgba_image& one, const rgba_image& other) {
        wait_until([&](const rgba_image& picture) { return among(picture, {one, other}); });
    }

    // Waits until the window's picture passes the check; false when it never did.
    bool wait_until(const std::function<bool(const rgba_image&)>& check) {
        const int64_t end = rt_clock_ms() + screen_timeout_ms;
        do {
            if (check(capture())) return true;
            rt_sleep_ms(poll_period_ms);
        } while (rt_clock_ms() < end);
        return false;
    }

    // The different pictures the window shows over a while (the cursor's phases).
    std::vector<rgba_image> pictures_seen() {
        std::vector<rgba_image> seen;
        const int64_t end = rt_clock_ms() + watch_ms;
        do {
            rgba_image picture = capture();
            if (!picture.empty() && !among(picture, seen)) seen.push_back(std::move(picture));
            rt_sleep_ms(poll_period_ms);
        } while (rt_clock_ms() < end);
        return seen;
    }

    std::unique_ptr<child_process> program;
    x_window_id window = 0;
};

TEST_F(WindowPicture, BlinksOnlyTheCursorCellAlsoAfterTheScreenChangedSize) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?", menu_blue, cell_height));
    menu_watch first;
    watch_menu(first);
    ASSERT_TRUE(first.cursor_on && first.cursor_off) << "the cursor did not blink";
    EXPECT_TRUE(first.differences.empty()) << first.differences.front();
    ASSERT_EQ(first.cursor_off->width, menu_width);
    EXPECT_EQ(menu_text(*first.cursor_on), expected_menu_rows());
    EXPECT_EQ(menu_text(*first.cursor_off), expected_menu_rows());
    // The two phases differ in the cursor's cell alone.
    const cell_box cell = menu_cursor_cell();
    for (int y = 0; y < menu_height; ++y)
        for (int x = 0; x < menu_width; ++x)
            if (!cell.holds(x, y)) {
                ASSERT_EQ(first.cursor_on->rgb(x, y), first.cursor_off->rgb(x, y))
                    << "pixel (" << x << ", " << y << ")";
            }

    // The fillet weld's 640 x 200 screen, and back to the menu's 640 x 400.
    enter("4");
    constexpr int graphics_cell_height = 8;
    ASSERT_TRUE(wait_for_row("ENTER 1st LEG SIZE?", 0x000000, graphics_cell_height));
    enter(".25");
    enter(".25");
    ASSERT_TRUE(wait_for_row("WOULD YOU LIKE TO CONTINUE ?", 0x000000, graphics_cell_height));
    enter("N");
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?", menu_blue, cell_height));

    // Every picture now equals the first menu's picture of its phase, and both phases show.
    const menu_watch again = watch_menu_again(first);
    EXPECT_TRUE(no_picture_differs(again));
    EXPECT_GT(again.seen_on, 0);
    EXPECT_GT(again.seen_off, 0);
}

// Key releases of a letter, sent straight to the window: freeglut reads them, and they
// change nothing on the screen.
void send_key_releases(Display* display, x_window_id window, int count) {
    XEvent event{};
    event.xkey.type = KeyRelease;
    event.xkey.display = display;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(display, XK_a);
    for (int i = 0; i < count; ++i) XSendEvent(display, window, False, KeyReleaseMask, &event);
    XFlush(display);
}

// Hides parts of the window and shows them again, as the desktop does: another window
// laid over it and taken away, and the window pushed partly off the screen and back. The
// X server leaves what was hidden as it found it, for the window to draw again. Each time
// a stream of key events comes first, so that the window is often still reading them
// when the parts show again.
void hide_and_uncover(const std::string& display_name, x_window_id window, int times,
                      int keys_before) {
    Display* display = XOpenDisplay(display_name.c_str());
    ASSERT_NE(display, nullptr);
    constexpr int off_screen = -40;
    constexpr unsigned long cover_colour = 0xFF0000;
    for (int i = 0; i < times; ++i) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = cover_colour;
        const Window cover =
            XCreateWindow(display, DefaultRootWindow(display), 100 + i * 8, 50 + i * 16, 200, 120,
                          0, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display, cover);
        XSync(display, False);
        send_key_releases(display, window, keys_before);
        XDestroyWindow(display, cover);
        XMoveWindow(display, window, off_screen, off_screen);
        send_key_releases(display, window, keys_before);
        XMoveWindow(display, window, 0, 0);
        send_key_releases(display, window, keys_before);
        XSync(display, False);
    }
    XCloseDisplay(display);
}

TEST_F(WindowPicture, DrawsAgainWhatWasHiddenWhileKeysPourIn) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?", menu_blue, cell_height));
    menu_watch first;
    watch_menu(first);
    ASSERT_TRUE(first.cursor_on && first.cursor_off) << "the cursor did not blink";
    ASSERT_EQ(menu_text(*first.cursor_off), expected_menu_rows());

    constexpr int rounds = 100, keys_before = 1000;
    hide_and_uncover(x_->display_name(), window, rounds, keys_before);

    // Blinks alone never draw more than the cursor's cell: all else must come from the
    // window drawing again what was uncovered, once it has read the last of the keys.
    wait_for_picture(*first.cursor_on, *first.cursor_off);
    const menu_watch again = watch_menu_again(first);
    EXPECT_TRUE(no_picture_differs(again));
}

// Alt+Enter fills the screen with the picture, doubled to fit its width with black bars
// above and below, each page pixel a 2 x 2 block; Alt+Enter again gives back the window
// of the page's size with the same picture.
TEST_F(WindowPicture, AltEnterFillsTheScreenAndComesBackUnchanged) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?", menu_blue, cell_height));
    const std::vector<rgba_image> menu = pictures_seen();
    ASSERT_FALSE(menu.empty());
    ASSERT_EQ(menu.front().width, menu_width);

    constexpr int screen_width = 1280, screen_height = 1024, factor = 2;
    constexpr int bar_height = (screen_height - menu_height * factor) / 2;
    ASSERT_TRUE(press_key(x_->display_name(), window, "alt+Return"));
    EXPECT_TRUE(wait_until([&](const rgba_image& picture) {
        return picture.width == screen_width && picture.height == screen_height &&
               rows_black(picture, 0, bar_height) &&
               rows_black(picture, screen_height - bar_height, screen_height) &&
               among(shrunk(picture, 0, bar_height, menu_width, menu_height, factor), menu);
    }));

    ASSERT_TRUE(press_key(x_->display_name(), window, "alt+Return"));
    EXPECT_TRUE(wait_until([&](const rgba_image& picture) { return among(picture, menu); }));
}

// With --scale 2 the window is twice the page's size, and shrunk back it is the picture of
// the window at the page's size, in text and in graphics modes.
TEST_F(WindowPicture, ScaleTwoShowsEachPagePixelAsTwoByTwo) {
    ASSERT_TRUE(wait_for_row("SELECT AN OPTION ?", menu_blue, cell_height));
    const std::vector<rgba_image> menu = pictures_seen();
    enter("4");
    constexpr int graphics_cell_height = 8, graphics_height = 200;
    ASSERT_TRUE(wait_for_row("ENTER 1st LEG SIZE?", 0x000000, graphics_cell_height));
    const std::vector<rgba_image> fillet = pictures_seen();
    ASSERT_FALSE(menu.empty() || fillet.empty());
    program.reset();

    constexpr int factor = 2;
    window = start_calculator(*x_, MIRVA_EXECUTABLE, program, start_timeout_ms, {},
                              {"--scale", std::to_string(factor)});
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(wait_until([&](const rgba_image& picture) {
        return picture.width == menu_width * factor && picture.height == menu_height * factor &&
               among(shrunk(picture, 0, 0, menu_width, menu_height, factor), menu);
    }));
    enter("4");
    EXPECT_TRUE(wait_until([&](const rgba_image& picture) {
        return picture.width == menu_width * factor && picture.height == graphics_height * factor &&
               among(shrunk(picture, 0, 0, menu_width, graphics_height, factor), fillet);
    }));
}

} // namespace

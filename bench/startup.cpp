// Start-up as the user sees it: from starting the calculator to the first frame in its
// window that shows the menu, under a private Xvfb; median, min and max of 20 runs (aim:
// under 250 ms). Beside it, in the same run, the same figure for a trivial GLUT program
// that clears its window to the menu's blue: what the X server, GLX and llvmpipe cost
// before any program of ours draws a pixel.
//
// With --wine EXE the Windows build is measured too, through wine64 in the Wine the caller
// made (scripts/with-wine.sh --x11).
//
// The window is watched from outside, so the measurement does not slow the program down:
// the root window reports each new window, which is then placed at (0, 0) as a window
// manager would (X cannot read a window that reaches past the screen's edge), and one
// 16-pixel strip of each is read every poll_ms (Wine makes windows of its own beside ours).
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/xvfb_session.h"

// After the test support: Xlib's macros would break GoogleTest's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int runs = 20;
constexpr int poll_ms = 2;
constexpr int timeout_ms = 20000;
constexpr int settle_ms = 300; // between runs, for the server to drop the last window
constexpr int cell_height = 16;
constexpr int prompt_row = 16; // "SELECT AN OPTION ?", 0-based
constexpr int strip_width = 640;
constexpr uint32_t menu_blue = 0x0000AA;

using clock_type = std::chrono::steady_clock;
using strip = std::vector<uint8_t>; // strip_width x cell_height, RGBA

int ignore_x_error(Display*, XErrorEvent*) {
    return 0; // a window not yet mapped cannot be read; the next poll tries again
}

uint8_t channel(unsigned long pixel, unsigned long mask) {
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    return static_cast<uint8_t>(value * 255 / (mask >> std::countr_zero(mask)));
}

std::optional<strip> read_strip(Display* display, Window window, int top) {
    XImage* image =
        XGetImage(display, window, 0, top, strip_width, cell_height, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    strip pixels;
    pixels.reserve(static_cast<size_t>(strip_width) * cell_height * 4);
    for (int y = 0; y < cell_height; ++y)
        for (int x = 0; x < strip_width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            for (unsigned long mask : {image->red_mask, image->green_mask, image->blue_mask})
                pixels.push_back(channel(pixel, mask));
            pixels.push_back(255);
        }
    XDestroyImage(image);
    return pixels;
}

bool shows_menu_prompt(const strip& pixels) {
    const std::vector<std::string> rows =
        decode_text_screen(pixels.data(), strip_width, cell_height, 4, menu_blue, cell_height);
    return !rows.empty() && rows[0].starts_with("SELECT AN OPTION ?");
}

bool is_all_blue(const strip& pixels) {
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != (menu_blue & 0xFF))
            return false;
    return true;
}

struct watched_program {
    std::string path;
    int strip_top;
    bool (*drawn)(const strip&);
    std::string launcher; // runs the program when this host cannot
};

// Milliseconds from starting the program to the first poll that sees its picture.
std::optional<double> first_frame_ms(const xvfb_session& xvfb, const watched_program& watched) {
    Display* display = XOpenDisplay(xvfb.display_name().c_str());
    if (!display) return std::nullopt;
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    std::vector<std::string> argv{watched.path};
    if (!watched.launcher.empty()) argv.insert(argv.begin(), watched.launcher);
    const auto start = clock_type::now();
    child_process program(argv, process_options{"", xvfb.environment(), true});
    std::vector<Window> windows;
    std::optional<double> elapsed;
    while (program.started() && !elapsed &&
           clock_type::now() - start < std::chrono::milliseconds(timeout_ms)) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
                windows.push_back(event.xcreatewindow.window);
                XMoveWindow(display, windows.back(), 0, 0);
            }
        }
        for (const Window window : windows) {
            const auto pixels = read_strip(display, window, watched.strip_top);
            if (pixels && watched.drawn(*pixels)) {
                elapsed =
                    std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
                break;
            }
        }
        if (!elapsed) std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms));
    }
    program.kill(SIGKILL);
    program.wait_exit(timeout_ms);
    XCloseDisplay(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(settle_ms));
    return elapsed;
}

struct summary {
    double median, min, max;
};

summary summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, ms.front(), ms.back()};
}

void print_line(const char* what, const summary& s) {
    std::printf("  %-34s median %6.1f ms   min %6.1f ms   max %6.1f ms\n", what, s.median, s.min,
                s.max);
}

} // namespace

// Optional arguments: more builds of the calculator to measure in the same runs (an older
// build, to show what a change gained), and --wine EXE for the Windows build.
int main(int argc, char** argv) {
    XSetErrorHandler(ignore_x_error);
    xvfb_session xvfb;
    if (!xvfb.ready()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    std::vector<watched_program> programs = {
        {MIRVA_REFERENCE_WINDOW, 0, is_all_blue, ""},
        {MIRVA_EXECUTABLE, prompt_row * cell_height, shows_menu_prompt, ""}};
    for (int i = 1; i < argc; ++i) {
        const bool windows = std::strcmp(argv[i], "--wine") == 0 && i + 1 < argc;
        if (windows) ++i;
        programs.push_back(
            {argv[i], prompt_row * cell_height, shows_menu_prompt, windows ? "wine64" : ""});
    }
    std::vector<std::vector<double>> ms(programs.size());
    // In turn within every run, so that all see the same machine load.
    for (int run = 0; run < runs; ++run)
        for (size_t p = 0; p < programs.size(); ++p) {
            const auto elapsed = first_frame_ms(xvfb, programs[p]);
            if (!elapsed) {
                std::fprintf(stderr, "run %d: %s showed no picture\n", run + 1,
                             programs[p].path.c_str());
                return 1;
            }
            ms[p].push_back(*elapsed);
        }
    std::printf("start to the first frame in the window, %d runs under Xvfb (polled every %d ms)\n",
                runs, poll_ms);
    const summary reference = summarise(ms[0]);
    print_line("reference: trivial GLUT window", reference);
    for (size_t p = 1; p < programs.size(); ++p) {
        const summary calculator = summarise(ms[p]);
        std::printf("%s%s%s\n", programs[p].launcher.c_str(),
                    programs[p].launcher.empty() ? "" : " ", programs[p].path.c_str());
        print_line("calculator, menu visible", calculator);
        std::printf("  %-34s %6.1f ms (medians; aim: under 250 ms in all)\n",
                    "its own cost beyond the reference", calculator.median - reference.median);
    }
    return 0;
}

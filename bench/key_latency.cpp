// Time from a key press reaching the keyboard path to the first built frame that shows the
// echoed character, with the calculator waiting at its menu prompt (target: p95 <= 20 ms).
// Each digit is taken back with Backspace before the next one, so the prompt never fills;
// the Backspace is timed too, to the first frame without the digit.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "app/program.h"
#include "runtime/console/startup.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/window/frame_ring.h"
#include "runtime/window/glut_keys.h"

namespace {

constexpr int key_count = 200;
constexpr int frame_timeout_ms = 5000;
constexpr char prompt[] = "SELECT AN OPTION ? ";
constexpr unsigned char backspace = 8;

using bench_clock = std::chrono::steady_clock;

struct cell_position {
    int32_t column, row; // from 0
};

const rt_image& shown_page() {
    return image_state.table[image_state.visible_page.load()];
}

// The cell just after the menu prompt on the visible text page, once the prompt shows.
std::optional<cell_position> find_input_cell() {
    const rt_image& page = shown_page();
    if (!page.text_page) return std::nullopt;
    const int32_t length = static_cast<int32_t>(std::strlen(prompt));
    for (int32_t row = 0; row < page.height; ++row) {
        for (int32_t column = 0; column + length < page.width; ++column) {
            bool match = true;
            for (int32_t i = 0; i < length && match; ++i)
                match = page.pixels[(row * page.width + column + i) * 2] == prompt[i];
            if (match) return cell_position{column + length, row};
        }
    }
    return std::nullopt;
}

// Reads the cell's pixels back: true when its ink is exactly the glyph of code (ink being
// every pixel that differs from the cell's top-left corner, as no 8x16 glyph inks it).
bool frame_shows(const frame_slot& slot, cell_position cell, uint8_t code) {
    const int32_t font = shown_page().font;
    const int32_t cell_w = font_width(font), cell_h = font_height(font);
    const uint8_t* glyph = font_glyph(font, code);
    if (!slot.pixels || !glyph || slot.width < (cell.column + 1) * cell_w) return false;
    const uint32_t* origin =
        slot.pixels + static_cast<size_t>(cell.row) * cell_h * slot.width + cell.column * cell_w;
    const uint32_t background = origin[0];
    for (int32_t y = 0; y < cell_h; ++y)
        for (int32_t x = 0; x < cell_w; ++x)
            if ((origin[y * slot.width + x] != background) != (glyph[y * 8 + x] != 0)) return false;
    return true;
}

// What the display callback does with a frame it has drawn: earlier slots are let go, so
// the ring never fills.
void let_go_of_older_frames(int32_t newest) {
    for (int32_t slot = frame_oldest.load(); slot != 0 && slot != newest;
         slot = frame_ring_next(slot))
        frame_ring[slot].done.store(1);
}

// Presses and releases the key, then watches every new frame until the cell shows code
// (or, with shown false, no longer shows it). Milliseconds from the press to seeing that
// frame; nothing on a time-out.
std::optional<double> key_to_frame_ms(unsigned char key, cell_position cell, uint8_t code,
                                      bool shown) {
    int32_t seen = frame_newest.load();
    const bench_clock::time_point pressed = bench_clock::now();
    keyboard_char_down(key, 0);
    keyboard_char_up(key, 0);
    const int64_t give_up = rt_clock_ms() + frame_timeout_ms;
    while (rt_clock_ms() < give_up) {
        const int32_t newest = frame_newest.load();
        if (newest != seen) {
            const bench_clock::time_point built = bench_clock::now();
            seen = newest;
            const bool shows = frame_shows(frame_ring[newest], cell, code);
            let_go_of_older_frames(newest);
            if (shows == shown)
                return std::chrono::duration<double, std::milli>(built - pressed).count();
        }
        rt_sleep_ms(0);
    }
    return std::nullopt;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

// Waits are spread over the 32 ms refresh period, so presses land at every phase of it.
int pause_before_key(int key) {
    return 5 + (key * 13) % 37;
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0); // an audio output for start-up, unless one is chosen
    rt_start_headless(program_main);
    std::optional<cell_position> cell;
    const int64_t give_up = rt_clock_ms() + 20000;
    while (!(cell = find_input_cell()) && rt_clock_ms() < give_up) {
        let_go_of_older_frames(frame_newest.load());
        rt_sleep_ms(10);
    }
    if (!cell) {
        std::printf("the menu prompt never showed\n");
        std::fflush(stdout);
        std::_Exit(1);
    }

    std::vector<double> typed, erased;
    for (int key = 0; key < key_count; ++key) {
        rt_sleep_ms(pause_before_key(key));
        const unsigned char digit = static_cast<unsigned char>('0' + key % 10);
        const std::optional<double> shown = key_to_frame_ms(digit, *cell, digit, true);
        rt_sleep_ms(pause_before_key(key + 7));
        const std::optional<double> gone = key_to_frame_ms(backspace, *cell, digit, false);
        if (!shown || !gone) {
            std::printf("key %d: no frame showed it within %d ms\n", key, frame_timeout_ms);
            std::fflush(stdout);
            std::_Exit(1);
        }
        typed.push_back(*shown);
        erased.push_back(*gone);
    }
    std::printf("key press to first frame showing it, %d keys each\n", key_count);
    std::printf("  digit echoed:    p50 %6.1f ms   p95 %6.1f ms   max %6.1f ms\n",
                percentile(typed, 0.5), percentile(typed, 0.95), percentile(typed, 1.0));
    std::printf("  digit erased:    p50 %6.1f ms   p95 %6.1f ms   max %6.1f ms\n",
                percentile(erased, 0.5), percentile(erased, 0.95), percentile(erased, 1.0));
    std::printf("  target: p95 <= 20 ms\n");
    std::fflush(stdout);
    std::_Exit(0);
}

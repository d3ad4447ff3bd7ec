#include "runtime/console/line_input.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/screen/image.h"
#include "runtime/screen/input_cursor.h"
#include "runtime/screen/text_output.h"
#include "runtime/window/frame_ring.h"

input_target input_targets[max_input_targets + 1];

namespace {

constexpr int32_t max_line_length = 255;
constexpr int32_t tab_width = 8;

constexpr uint8_t bell_key = 7;
constexpr uint8_t backspace_key = 8;
constexpr uint8_t tab_key = 9;
constexpr uint8_t enter_key = 13;
constexpr uint8_t ignored_keys[] = {10, 11, 12, 28, 29, 30, 31};

struct input_line {
    char bytes[max_line_length + 1];
    int32_t length;
    std::string_view view() const { return {bytes, static_cast<size_t>(length)}; }
};

struct editor {
    int32_t count;
    input_rule rules[max_input_targets];
    input_value values[max_input_targets];
    input_line accepted;  // what the page shows and the targets hold
    input_line working;   // the accepted line with the key being tried
    int32_t tab_spaces;   // still to be typed for a Tab
    int32_t page;         // slot of the output page
    int32_t snapshots[2]; // the page before the input, with its text cursor
    input_cursor cursor;
    // Restored at the end.
    int32_t saved_dest;
    int32_t saved_auto_display;
    uint8_t saved_cursor_visible;
};

bool targets_valid(int32_t count) {
    if (count < 1 || count > max_input_targets) return false;
    for (int32_t i = 1; i <= count; ++i)
        if (!input_targets[i].address || !input_type_valid(input_targets[i].type)) return false;
    return true;
}

input_rule rule_of(const input_target& target) {
    int32_t max_length = -1;
    if (target.type & input_type_string) {
        const auto* s = static_cast<const rt_string*>(target.address);
        if (s->fixed) max_length = s->len;
    }
    return {target.type, max_length};
}

void store_float(void* address, uint32_t width, long double value) {
    if (width == 32)
        *static_cast<float*>(address) = static_cast<float>(value);
    else if (width == 64)
        *static_cast<double*>(address) = static_cast<double>(value);
    else
        *static_cast<long double*>(address) = value;
}

void store_value(const input_target& target, const input_value& value) {
    const uint32_t width = target.type & input_width_mask;
    if (target.type & input_type_string) {
        rt_string_assign(
            static_cast<rt_string*>(target.address),
            rt_string_from_bytes(value.text.data(), static_cast<int32_t>(value.text.size())));
    } else if (target.type & input_type_float) {
        store_float(target.address, width, value.real);
    } else {
        // The low bytes of the value (little-endian) are the target's width.
        std::memcpy(target.address, &value.integer, width / 8);
    }
}

void store_values(const editor& e) {
    for (int32_t i = 0; i < e.count; ++i) store_value(input_targets[i + 1], e.values[i]);
}

size_t page_bytes(const rt_image& page) {
    return size_t{page.width} * page.height * page.bytes_per_pixel;
}

// Pixels and text cursor; everything else of the two records is alike.
void copy_contents(rt_image& to, const rt_image& from) {
    std::memcpy(to.pixels, from.pixels, page_bytes(from));
    to.cursor_col = from.cursor_col;
    to.cursor_row = from.cursor_row;
    to.pending_wrap = from.pending_wrap;
}

// An image of its own holding a copy of the page: pixels, palette and text state, so that
// printing onto it behaves as printing onto the page.
int32_t make_snapshot(int32_t page_slot) {
    const size_t bytes = page_bytes(image_state.table[page_slot]);
    auto* pixels = static_cast<uint8_t*>(std::malloc(bytes));
    if (!pixels) return -1;
    const int32_t slot =
        image_create(image_state.table[page_slot].width, image_state.table[page_slot].height,
                     image_state.table[page_slot].mode, pixels);
    if (slot < 0) {
        std::free(pixels);
        return -1;
    }
    rt_image& snapshot = image_state.table[slot];
    const rt_image& page = image_state.table[page_slot];
    rt_image copy = page;
    copy.pixels = pixels;
    copy.palette = snapshot.palette;
    copy.flags = (snapshot.flags & image_palette_owned) | image_pixels_owned;
    if (copy.palette && page.palette)
        std::memcpy(copy.palette, page.palette, 256 * sizeof(uint32_t));
    snapshot = copy;
    copy_contents(snapshot, page);
    return slot;
}

bool take_snapshots(editor& e) {
    for (int32_t i = 0; i < 2; ++i) {
        e.snapshots[i] = make_snapshot(e.page);
        if (e.snapshots[i] < 0) {
            rt_raise_error(err_first_input_snapshot + i);
            return false;
        }
    }
    return true;
}

// Drops the working line's last character and shows the page as before the input with the
// shortened line, printed on the second snapshot first so that it never shows half drawn.
void take_back(editor& e) {
    if (e.working.length > 0) --e.working.length;
    rt_image& second = image_state.table[e.snapshots[1]];
    copy_contents(second, image_state.table[e.snapshots[0]]);
    select_dest_slot(e.snapshots[1]);
    rt_print(e.working.view(), false);
    select_dest_slot(e.page);
    copy_contents(image_state.table[e.page], image_state.table[e.snapshots[1]]);
}

// Takes back until the working line checks; it then becomes the accepted line and the
// targets get its values.
void settle(editor& e) {
    while (!check_input_line(e.working.view(), e.rules, e.count, e.values)) take_back(e);
    e.accepted = e.working;
    store_values(e);
}

void type_character(editor& e, uint8_t key) {
    if (e.accepted.length >= max_line_length) return;
    e.working = e.accepted;
    e.working.bytes[e.working.length++] = static_cast<char>(key);
    rt_print(std::string_view(e.working.bytes + e.accepted.length, 1), false);
    settle(e);
}

void erase_character(editor& e) {
    if (e.accepted.length == 0) return;
    e.working = e.accepted;
    take_back(e);
    settle(e);
}

// False at Enter.
bool handle_key(editor& e, uint8_t key) {
    if (key == enter_key) return false;
    if (std::find(std::begin(ignored_keys), std::end(ignored_keys), key) != std::end(ignored_keys))
        return true;
    if (key == tab_key) {
        e.tab_spaces = tab_width - e.accepted.length % tab_width;
        return true;
    }
    if (key == bell_key)
        rt_print(std::string_view("\a", 1), false); // sounds; a wrap it owes is made
    else if (key == backspace_key)
        erase_character(e);
    else
        type_character(e, key);
    return true;
}

void update_cursor(editor& e, int64_t now_ms) {
    rt_image& page = image_state.table[e.page];
    if (input_cursor_wanted(page, now_ms) == e.cursor.drawn) return;
    if (e.cursor.drawn)
        input_cursor_remove(page, e.cursor);
    else
        input_cursor_draw(page, e.cursor);
}

void hide_cursor(editor& e) {
    if (!e.cursor.drawn) return;
    input_cursor_remove(image_state.table[e.page], e.cursor);
}

// The next one-byte key, or a space owed to a Tab; two-byte keys are skipped. False when the
// runtime shuts down while waiting.
bool next_key(editor& e, uint8_t& key) {
    if (e.tab_spaces > 0) {
        --e.tab_spaces;
        key = ' ';
        return true;
    }
    const int32_t temporaries = rt_temporary_count();
    for (;;) {
        if (run_control.shutting_down.load() || error_state.error_pending) return false;
        const int64_t now = rt_clock_ms();
        update_cursor(e, now);
        if (!rt_key_waiting()) {
            rt_key_wait_idle(input_cursor_next_change_ms(image_state.table[e.page], now));
            continue;
        }
        const rt_string* k = rt_inkey();
        const int32_t length = k->len;
        key = length > 0 ? k->data[0] : 0;
        rt_release_temporaries(temporaries, 0);
        if (length == 1) {
            hide_cursor(e);
            return true;
        }
    }
}

void start(editor& e, int32_t count) {
    e.count = count;
    for (int32_t i = 0; i < count; ++i) e.rules[i] = rule_of(input_targets[i + 1]);
    e.saved_auto_display = run_control.auto_display.exchange(1);
    e.saved_dest = image_state.dest_image;
    e.page = image_state.visible_page.load();
    select_dest_slot(e.page);
}

void finish(editor& e, bool line_end) {
    if (line_end) rt_print(std::string_view(), true);
    image_state.table[e.page].cursor_visible = e.saved_cursor_visible;
    for (const int32_t snapshot : e.snapshots)
        if (snapshot > 0) image_free(snapshot);
    // A program that refreshes on request still sees its typed line once.
    if (e.saved_auto_display == 0) {
        if (run_control.shutting_down.load())
            run_control.auto_display.store(0);
        else
            rt_display_now();
    }
    select_dest_slot(e.saved_dest);
}

} // namespace

void rt_input_target(int32_t index, void* address, uint32_t type_code) {
    if (error_state.error_pending) return;
    if (index < 1 || index > max_input_targets || !address || !input_type_valid(type_code)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    input_targets[index] = {address, type_code};
}

void rt_input(int32_t count, bool new_line) {
    if (error_state.error_pending) return;
    if (!targets_valid(count)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    editor e{};
    start(e, count);
    if (!take_snapshots(e)) return;
    rt_image& page = image_state.table[e.page];
    e.saved_cursor_visible = page.cursor_visible;
    page.cursor_visible = 1;

    settle(e); // every target starts at 0 or empty
    bool entered = false;
    for (uint8_t key = 0; next_key(e, key);) {
        if (!handle_key(e, key)) {
            entered = true;
            break;
        }
    }
    finish(e, entered && new_line);
}

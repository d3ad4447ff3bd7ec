#include "tests/monkey/monkey_driver.h"

#include <string_view>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/scratch.h"
#include "runtime/core/string_heap.h"
#include "runtime/screen/image.h"
#include "runtime/sound/sound_streams.h"

namespace {

// Slow steps (a beep, a flood fill under the sanitizers) take well under this.
constexpr int hang_timeout_ms = 30000;
constexpr int max_noise_keys = 6;
// More than the longest line a 16-bit menu number can hold ("&O" and six octal digits).
constexpr int menu_line_erasers = 10;
constexpr int invalid_selection_odds = 4; // one choice in this many
constexpr int answer_odds = 4;            // one line in this many is a typed answer
constexpr const char* invalid_selections[] = {"0", "14", "-1", "99", "32767", "-32768"};
constexpr size_t trail_length = 40;
// Enters typed between two looks on the way back: those that reach the menu are taken as
// the invalid selection 0 and change nothing.
constexpr int enters_per_look = 4;

constexpr std::string_view menu_prompt = "SELECT AN OPTION ?";
constexpr int cost_comparison_entry = 3;
constexpr int cost_comparison_lines = 30; // more than its prompts
constexpr std::string_view printed_copy_question = "Would you like a printed copy ?";
constexpr int ultrasonic_entry = 12;
// The introduction, then sound path 5, angle 45, thickness 1.5 and the groove.
constexpr const char* third_leg_inspection = "\r5\r45\r1.5\r60\r.0625\r.0625\r2\r";

const monkey_key enter_key = character_key('\r');
const monkey_key backspace_key = character_key('\b');

} // namespace

std::ostream& operator<<(std::ostream& out, const memory_marks& m) {
    return out << "{string heap " << m.heap_used << " bytes in " << m.heap_strings << " strings, "
               << m.temporaries << " temporaries, scratch top "
               << static_cast<const void*>(m.scratch_top) << ", " << m.images << " images, "
               << m.sound_handles << " sound handles}";
}

void monkey::type(const monkey_key& key) {
    app.wait_for_key_room();
    press(key);
    last_keys.push_back(key_name(key));
    if (last_keys.size() > trail_length) last_keys.pop_front();
}

void monkey::type_text(const std::string& text) {
    for (const char c : text) type(character_key(c));
}

bool monkey::settle() {
    return app.wait_until_program_waits(hang_timeout_ms);
}

bool monkey::at_menu() const {
    if (!app.page().text_page) return false;
    const auto rows = app.rows();
    return !rows.empty() && rows.back() == menu_prompt;
}

// The trap runs once in a program's life (it never resumes); later errors go to the dialog.
bool monkey::in_error_trap() const {
    return !trap_answered && error_state.err != 0;
}

bool monkey::at_menu_now() {
    return settle() && at_menu();
}

bool monkey::choose(int entry) {
    if (!at_menu_now()) return false;
    const auto noise = random_below(random, max_noise_keys + 1);
    for (uint64_t i = 0; i < noise; ++i) {
        type(random_key(random, key_choice::within_line));
        ++random_keys_typed;
    }
    for (int i = 0; i < menu_line_erasers; ++i) type(backspace_key);
    if (random_below(random, invalid_selection_odds) == 0) {
        const auto pick = random_below(random, std::size(invalid_selections));
        type_text(std::string(invalid_selections[pick]) + "\r");
        if (!at_menu_now()) return false;
    }
    type_text(std::to_string(entry) + "\r");
    return settle() && !at_menu();
}

bool monkey::play(int64_t count) {
    bool line_start = true;
    for (int64_t typed = 0; typed < count;) {
        std::vector<monkey_key> keys;
        if (line_start && random_below(random, answer_odds) == 0)
            for (const char c : random_answer(random) + "\r") keys.push_back(character_key(c));
        else
            keys.push_back(random_key(random, key_choice::any));
        for (const monkey_key& key : keys) type(key);
        typed += static_cast<int64_t>(keys.size());
        random_keys_typed += static_cast<int64_t>(keys.size());
        line_start = keys.back().ends_line;
        if (!line_start) continue;
        if (!settle()) return false;
        if (in_error_trap()) {
            type(enter_key); // "press any key" leads to the menu
            trap_answered = true;
            return settle();
        }
        if (at_menu()) return true;
    }
    return settle();
}

bool monkey::back_to_menu() {
    for (int keys = 0; keys <= max_keys_to_menu; keys += enters_per_look) {
        if (!settle()) return false;
        if (at_menu()) return true;
        if (in_error_trap()) trap_answered = true;
        for (int i = 0; i < enters_per_look; ++i) type(enter_key);
    }
    return false;
}

bool monkey::answer_ones_until(std::string_view question) {
    for (int line = 0; line < cost_comparison_lines; ++line) {
        if (!settle()) return false;
        const auto rows = app.rows();
        if (!rows.empty() && rows.back() == question) return true;
        type_text("1\r");
    }
    return false;
}

bool monkey::use_what_is_made_once() {
    if (!choose(cost_comparison_entry) || !answer_ones_until(printed_copy_question)) return false;
    type_text("y\r");
    if (!back_to_menu() || !choose(ultrasonic_entry)) return false;
    type_text(third_leg_inspection);
    return back_to_menu();
}

memory_marks monkey::marks() const {
    int32_t images = 0;
    for (int32_t slot = 0; slot < image_state.table_size; ++slot)
        if (image_state.table[slot].in_use) ++images;
    int32_t sound_handles = 0;
    for (int32_t i = 0; i < sound_handle_count(); ++i)
        if (sound_slot(i).state.load() != stream_state::free) ++sound_handles;
    return {string_heap.used, heap_list.count, temp_list.count,
            rt_scratch.top,   images,          sound_handles};
}

std::string monkey::trail() const {
    std::string text = "after " + std::to_string(random_keys_typed) + " random keys; last keys:";
    for (const std::string& key : last_keys) text += " " + key;
    return text + "\nscreen:\n" + screen_text(app.rows());
}

#include "runtime/window/keyboard.h"

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/key_identifiers.h"
#include "runtime/window/held_keys.h"
#include "runtime/window/key_events.h"
#include "runtime/window/key_logs.h"
#include "runtime/window/key_translation.h"
#include "runtime/window/keyboard_flags.h"

namespace {

// Presses by the user go through Break, Pause and trapping; generated presses (the
// desktop's locks and modifiers, replacement text) do not: a lock noticed while Ctrl
// is held is not a Pause, and a state change does not end a pause.
enum class key_source { keystroke, generated };

constexpr uint8_t release_scan_bit = 0x80;

int32_t normalised_id(int32_t c) {
    return c == 0 ? key_code_zero : c;
}

// Alt wins over Ctrl, Ctrl over Shift.
int32_t pick_column(int32_t plain, int32_t shifted) {
    int32_t column = shift_held() ? shifted : plain;
    if (ctrl_held()) column = column_ctrl;
    if (alt_held()) column = column_alt;
    return column;
}

bool is_break(int32_t c) {
    return c == key_break || ((c == key_scroll_lock || c == key_ctrl_break) && ctrl_held());
}

bool is_pause(int32_t c) {
    return c == key_pause || (c == key_num_lock && ctrl_held());
}

void request_break() {
    if (exit_trap.load())
        close_request.fetch_or(2);
    else
        rt_request_stop();
}

void request_pause() {
    paused.fetch_or(1);
    error_state.attention_flag.store(1);
}

void type_replacement(const char* text);

// A trapped key raises its event (or types its replacement text) instead of queueing.
bool trap_key(int32_t c) {
    key_event_slot* slot = trapping_slot(c);
    if (!slot) return false;
    remember_trapped_key(c);
    if (slot->replacement) {
        type_replacement(slot->replacement);
        return true;
    }
    slot->pending.fetch_add(1);
    error_state.attention_flag.store(1);
    return true;
}

// Break, Pause, the resuming key, Alt+Enter and trapped keys go no further.
bool consume_control_key(int32_t c) {
    if (is_break(c)) {
        request_break();
        return true;
    }
    if (is_pause(c)) {
        request_pause();
        return true;
    }
    if (paused.load() & 1) {
        paused.fetch_and(static_cast<uint8_t>(~1u));
        return true;
    }
    if (c == key_enter && alt_held()) return true;
    return trap_key(c);
}

// Keypad keys are logged as the character or navigation code they stand for.
key_hit_entry key_hit_of(int32_t c) {
    if (c >= key_keypad_first && c <= key_keypad_last)
        return {key_row_of(c)->result[column_num_lock], key_hit_keypad_flag};
    if (c >= key_navigation_first && c <= key_navigation_last)
        return {key_row_of(c)->result[column_plain], key_hit_keypad_flag};
    return {c, 0};
}

void queue_result(const key_translation_row& row, int32_t column) {
    append_raw_scan_code(static_cast<uint8_t>(row.scan));
    const int32_t result = row.result[column];
    if (result == 0) return;
    if (result >= 256)
        append_key(0, static_cast<uint8_t>(result / 256));
    else
        append_key(static_cast<uint8_t>(result), static_cast<uint8_t>(row.scan));
}

// Characters without a scan code and extended keys without a row pass as they come.
void queue_untranslated(int32_t c) {
    if (is_character_key(c))
        append_key(static_cast<uint8_t>(c), 0);
    else
        append_key(0, static_cast<uint8_t>(c / 256));
}

// Other keys leave the flag bytes as they are: most presses skip the recount.
void update_flags_after(int32_t c) {
    if (key_sets_flag(c)) recompute_keyboard_flags();
}

void toggle_state(int32_t state) {
    if (key_is_held(state))
        let_go_key(state);
    else
        hold_key(state);
}

// Insert and Scroll Lock flip their states on a fresh press, not on auto-repeat.
void toggle_lock_states(int32_t c, bool was_held) {
    if (was_held) return;
    if (c == key_insert && !shift_held() && !ctrl_held() && !alt_held())
        toggle_state(state_insert_mode);
    if (c == key_scroll_lock && !ctrl_held()) toggle_state(state_scroll_lock);
}

void queue_key(int32_t c) {
    const key_translation_row* row = key_row_of(c);
    if (!row) {
        if (const uint8_t scan = key_scan_code(c)) append_raw_scan_code(scan); // modifiers, locks
        return;
    }
    if (row->scan == 0)
        queue_untranslated(c);
    else if (is_numeric_keypad_key(c))
        queue_result(*row, pick_column(column_num_lock, column_num_lock_shift));
    else
        queue_result(*row, pick_column(column_plain, column_shift));
}

void handle_press(int32_t c, key_source source) {
    c = normalised_id(c);
    const bool was_held = key_is_held(c);
    hold_key(c);
    if (source == key_source::keystroke && consume_control_key(c)) {
        update_flags_after(c);
        return;
    }
    append_key_hit(key_hit_of(c));
    queue_key(c);
    toggle_lock_states(c, was_held);
    update_flags_after(c);
}

// The text's keys are typed as they are, never trapped again.
void type_replacement(const char* text) {
    for (const char* p = text; *p; ++p) {
        const int32_t c = static_cast<uint8_t>(*p);
        key_press_state(c);
        key_release(c);
    }
}

struct desktop_held_key {
    bool desktop_keyboard_state::*held;
    int32_t key;
};

// Start-up order: Scroll Lock, the modifiers, then the locks.
constexpr desktop_held_key desktop_held_keys[] = {
    {&desktop_keyboard_state::scroll_lock_held, key_scroll_lock},
    {&desktop_keyboard_state::left_shift_held, key_left_shift},
    {&desktop_keyboard_state::right_shift_held, key_right_shift},
    {&desktop_keyboard_state::left_ctrl_held, key_left_ctrl},
    {&desktop_keyboard_state::right_ctrl_held, key_right_ctrl},
    {&desktop_keyboard_state::left_alt_held, key_left_alt},
    {&desktop_keyboard_state::right_alt_held, key_right_alt},
    {&desktop_keyboard_state::caps_lock_on, key_caps_lock},
    {&desktop_keyboard_state::num_lock_on, key_num_lock},
};

void follow_lock(bool desktop_on, int32_t lock) {
    if (desktop_on == key_is_held(lock)) return;
    if (desktop_on)
        key_press_state(lock);
    else
        key_release(lock);
}

} // namespace

void key_press(int32_t id) {
    handle_press(id, key_source::keystroke);
}

void key_press_state(int32_t id) {
    handle_press(id, key_source::generated);
}

void key_release(int32_t id) {
    const int32_t c = normalised_id(id);
    let_go_key(c);
    if (!forget_trapped_key(c)) {
        const key_hit_entry hit = key_hit_of(c);
        // Negated without overflow: identifiers come from outside and may be any value.
        append_key_hit({static_cast<int32_t>(0u - static_cast<uint32_t>(hit.code)), hit.flags});
        if (const uint8_t scan = key_scan_code(c)) append_raw_scan_code(scan + release_scan_bit);
    }
    update_flags_after(c);
}

void keyboard_hook_key(int32_t id, int32_t direction) {
    if (id != key_pause && id != key_break) return;
    if (direction > 0)
        key_press(id);
    else
        key_release(id);
}

void adopt_desktop_keyboard_state(const desktop_keyboard_state& desktop) {
    if (desktop.scroll_lock_on) hold_key(state_scroll_lock);
    for (const desktop_held_key& k : desktop_held_keys)
        if (desktop.*k.held) key_press_state(k.key);
    recompute_keyboard_flags();
}

void follow_lock_states(const desktop_keyboard_state& desktop) {
    if (desktop.scroll_lock_on != key_is_held(state_scroll_lock)) toggle_state(state_scroll_lock);
    follow_lock(desktop.caps_lock_on, key_caps_lock);
    follow_lock(desktop.num_lock_on, key_num_lock);
    recompute_keyboard_flags();
}

#include "runtime/window/keyboard.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/key_identifiers.h"
#include "runtime/window/display.h"
#include "runtime/window/key_translation.h"

key_event_slot key_event_table[key_event_slots];
raw_scan_buffer raw_scan_codes{};

namespace {

// --- Held keys -------------------------------------------------------------------------

// Every identifier a keyboard produces has a flag of its own, so the dozens of queries
// behind one key event are one load each.
struct identifier_range {
    int32_t first;
    int32_t count;
};
constexpr identifier_range direct_ranges[] = {
    {0, 65536},                 // characters and extended keys
    {100000, 512},              // keys without a character
    {key_navigation_first, 16}, // Num-Lock-off keypad keys and the internal states
};
constexpr int32_t direct_flag_count() {
    int32_t count = 0;
    for (const identifier_range& range : direct_ranges) count += range.count;
    return count;
}
std::atomic<bool> held_flags[direct_flag_count()];

// The flag of a direct identifier, or -1.
int32_t flag_of(int32_t id) {
    int32_t base = 0;
    for (const identifier_range& range : direct_ranges) {
        if (id >= range.first && id - range.first < range.count) return base + id - range.first;
        base += range.count;
    }
    return -1;
}

// Any other identifier (none comes from a real keyboard) is kept in a short list: more
// places than such keys can be held at once, and 0 marks a free place.
constexpr int32_t other_key_capacity = 512;
std::atomic<int32_t> other_keys[other_key_capacity];
std::atomic<int32_t> other_key_end{0}; // places ever used lie below this index

int32_t place_of(int32_t id) {
    const int32_t end = other_key_end.load(std::memory_order_acquire);
    for (int32_t i = 0; i < end; ++i)
        if (other_keys[i].load(std::memory_order_relaxed) == id) return i;
    return -1;
}

void raise_end(int32_t end) {
    int32_t seen = other_key_end.load(std::memory_order_relaxed);
    while (seen < end && !other_key_end.compare_exchange_weak(seen, end)) {
    }
}

void take_free_place(int32_t id) {
    for (int32_t i = 0; i < other_key_capacity; ++i) {
        int32_t free_place = 0;
        if (other_keys[i].compare_exchange_strong(free_place, id)) {
            raise_end(i + 1);
            return;
        }
    }
}

void hold_key(int32_t id) {
    if (const int32_t flag = flag_of(id); flag >= 0)
        held_flags[flag].store(true, std::memory_order_relaxed);
    else if (place_of(id) < 0)
        take_free_place(id);
}

void let_go_key(int32_t id) {
    if (const int32_t flag = flag_of(id); flag >= 0) {
        held_flags[flag].store(false, std::memory_order_relaxed);
    } else if (const int32_t i = place_of(id); i >= 0) {
        other_keys[i].store(0, std::memory_order_relaxed);
    }
}

bool key_is_held(int32_t id) {
    if (const int32_t flag = flag_of(id); flag >= 0)
        return held_flags[flag].load(std::memory_order_relaxed);
    return place_of(id) >= 0;
}

bool shift_held() {
    return key_is_held(key_left_shift) || key_is_held(key_right_shift);
}
bool ctrl_held() {
    return key_is_held(key_left_ctrl) || key_is_held(key_right_ctrl);
}
bool alt_held() {
    return key_is_held(key_left_alt) || key_is_held(key_right_alt);
}

// The keypad key standing for id in the given column of the keypad rows, or 0.
int32_t keypad_key_for(int32_t id, int32_t column, int32_t first_identifier) {
    for (int32_t k = 0; k < keypad_row_count; ++k)
        if (key_translation[keypad_rows_start + k].result[column] == id)
            return first_identifier + k;
    return 0;
}

// --- Key logs --------------------------------------------------------------------------

constexpr int32_t key_hit_capacity = 8192;
constexpr int32_t key_hit_keypad_flag = 1;

struct key_hit_ring {
    std::atomic<int32_t> codes[key_hit_capacity];
    std::atomic<int32_t> flags[key_hit_capacity];
    std::atomic<uint32_t> write_index;
    std::atomic<uint32_t> read_index;
};
key_hit_ring key_hits{};

uint32_t ring_place(uint32_t index) {
    return index % key_hit_capacity;
}

// Auto-repeat is recorded once: a byte equal to the last one is not appended.
void append_raw_scan_code(uint8_t code) {
    int32_t count = raw_scan_codes.count.load(std::memory_order_relaxed);
    if (count > 0 && raw_scan_codes.bytes[count - 1].load(std::memory_order_relaxed) == code)
        return;
    if (count == raw_scan_capacity) {
        for (int32_t i = 1; i < raw_scan_capacity; ++i)
            raw_scan_codes.bytes[i - 1].store(
                raw_scan_codes.bytes[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
        --count;
    }
    raw_scan_codes.bytes[count].store(code, std::memory_order_relaxed);
    raw_scan_codes.count.store(count + 1, std::memory_order_release);
}

void append_key_hit(key_hit_entry entry) {
    const uint32_t write = key_hits.write_index.load(std::memory_order_relaxed);
    uint32_t read = key_hits.read_index.load(std::memory_order_acquire);
    if (write - read == key_hit_capacity)
        key_hits.read_index.compare_exchange_strong(read, read + 1); // drop the oldest
    key_hits.codes[ring_place(write)].store(entry.code, std::memory_order_relaxed);
    key_hits.flags[ring_place(write)].store(entry.flags, std::memory_order_relaxed);
    key_hits.write_index.store(write + 1, std::memory_order_release);
}

// --- The BIOS keyboard flag bytes in low memory, derived from the held keys ------------

constexpr uint32_t keyboard_flags_address = 0x417;
constexpr uint32_t keyboard_flags2_address = 0x418;
constexpr uint32_t keyboard_flags3_address = 0x496;
// The three flag bytes, in the order of their index below.
constexpr uint32_t flag_addresses[] = {keyboard_flags_address, keyboard_flags2_address,
                                       keyboard_flags3_address};
constexpr uint8_t flags3_always_set = 0x10;
constexpr uint8_t flag_initial_values[] = {0, 0, flags3_always_set};
using flag_bytes = std::array<uint8_t, std::size(flag_addresses)>;

// One flag bit, set while either of its keys is held (second key 0: only one).
struct flag_bit {
    uint8_t byte; // index into flag_addresses
    uint8_t bit;
    int32_t key;
    int32_t other_key;
};

constexpr flag_bit flag_bits[] = {
    {0, 0x01, key_right_shift, 0},
    {0, 0x02, key_left_shift, 0},
    {0, 0x04, key_left_ctrl, key_right_ctrl},
    {0, 0x08, key_left_alt, key_right_alt},
    {0, 0x10, state_scroll_lock, 0},
    {0, 0x20, key_num_lock, 0},
    {0, 0x40, key_caps_lock, 0},
    {0, 0x80, state_insert_mode, 0},
    {1, 0x01, key_left_ctrl, 0},
    {1, 0x02, key_left_alt, 0},
    {1, 0x04, key_system_request, 0},
    {1, 0x08, key_pause, 0},
    {1, 0x10, key_scroll_lock, 0},
    {1, 0x80, key_insert, key_navigation_first},
    {2, 0x01, key_right_ctrl, 0},
    {2, 0x02, key_right_alt, 0},
};

bool flag_is_on(const flag_bit& f) {
    return key_is_held(f.key) || (f.other_key != 0 && key_is_held(f.other_key));
}

// All three bytes in one pass over the bits.
flag_bytes current_flag_bytes() {
    flag_bytes bytes;
    std::copy(std::begin(flag_initial_values), std::end(flag_initial_values), bytes.begin());
    for (const flag_bit& f : flag_bits)
        if (flag_is_on(f)) bytes[f.byte] |= f.bit;
    return bytes;
}

// The program thread may peek these bytes while the window or service thread writes.
void store_flag_byte(uint32_t address, uint8_t value) {
    std::atomic_ref<uint8_t>(low_memory[address]).store(value, std::memory_order_relaxed);
}

void recompute_keyboard_flags() {
    if (!low_memory) return;
    const flag_bytes bytes = current_flag_bytes();
    for (size_t i = 0; i < bytes.size(); ++i) store_flag_byte(flag_addresses[i], bytes[i]);
}

bool key_sets_flag(int32_t id) {
    for (const flag_bit& f : flag_bits)
        if (f.key == id || f.other_key == id) return true;
    return false;
}

// Other keys leave the flag bytes as they are: most presses skip the recount.
void update_flags_after(int32_t c) {
    if (key_sets_flag(c)) recompute_keyboard_flags();
}

// --- Trapped keys ----------------------------------------------------------------------

struct key_event_preset {
    int32_t slot;
    int32_t code;
    int32_t alternative;
};

constexpr key_event_preset key_event_presets[] = {
    {1, 0x3B00, 0},       {2, 0x3C00, 0},       {3, 0x3D00, 0},       {4, 0x3E00, 0},
    {5, 0x3F00, 0},       {6, 0x4000, 0},       {7, 0x4100, 0},       {8, 0x4200, 0},
    {9, 0x4300, 0},       {10, 0x4400, 0},      {11, 0x4800, 100264}, {12, 0x4B00, 100260},
    {13, 0x4D00, 100262}, {14, 0x5000, 100258}, {30, 0x8500, 0},      {31, 0x8600, 0},
};

constexpr int32_t trapped_key_capacity = 64;
std::atomic<int32_t> trapped_keys[trapped_key_capacity];
std::atomic<int32_t> trapped_key_count{0}; // places taken: a release looks only when some are

constexpr uint8_t mask_shift = 0x03;
constexpr uint8_t mask_extended = 0x80;
constexpr uint8_t modifier_mask_bits = 0x6F; // both Shifts, Ctrl, Alt, Num Lock, Caps Lock

// Either Shift bit in a mask stands for Shift.
uint8_t normalised(uint8_t mask) {
    return (mask & mask_shift) ? (mask | mask_shift) : mask;
}

// The modifier bits of the first flag byte, and bit 7 for an extended key.
uint8_t mask_now(int32_t c) {
    const uint8_t modifiers = current_flag_bytes()[0] & modifier_mask_bits;
    return normalised(modifiers | (is_extended_key(c) ? mask_extended : 0));
}

bool slot_matches(const key_event_slot& slot, int32_t c) {
    if (c == slot.code || (slot.alternative != 0 && c == slot.alternative)) return true;
    return slot.scan != 0 && slot.scan == key_scan_code(c) &&
           normalised(slot.modifier_mask) == mask_now(c);
}

// The armed slot that takes key c, or null.
key_event_slot* trapping_slot(int32_t c) {
    for (key_event_slot& slot : key_event_table)
        if (slot.armed.load() && slot_matches(slot, c)) return &slot;
    return nullptr;
}

// Keys taken by a trapped event are remembered until their release.
void remember_trapped_key(int32_t c) {
    for (const std::atomic<int32_t>& place : trapped_keys)
        if (place.load() == c) return;
    for (std::atomic<int32_t>& place : trapped_keys) {
        int32_t free_place = 0;
        if (place.compare_exchange_strong(free_place, c)) {
            trapped_key_count.fetch_add(1);
            return;
        }
    }
}

// True (and forgets it) when c was taken by a trapped event.
bool forget_trapped_key(int32_t c) {
    if (trapped_key_count.load() == 0) return false;
    // Looked at before it is taken: almost no release was trapped.
    for (std::atomic<int32_t>& place : trapped_keys) {
        int32_t taken = c;
        if (place.load(std::memory_order_relaxed) == c && place.compare_exchange_strong(taken, 0)) {
            trapped_key_count.fetch_sub(1);
            return true;
        }
    }
    return false;
}

// --- Presses and releases --------------------------------------------------------------

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
    if (run_control.exit_trap.load())
        run_control.close_request.fetch_or(2);
    else
        rt_request_stop();
}

void request_pause() {
    run_control.paused.fetch_or(1);
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

// Break, Pause, the resuming key, Alt+Enter (full screen) and trapped keys go no further.
bool consume_control_key(int32_t c) {
    if (is_break(c)) {
        request_break();
        return true;
    }
    if (is_pause(c)) {
        request_pause();
        return true;
    }
    if (run_control.paused.load() & 1) {
        run_control.paused.fetch_and(static_cast<uint8_t>(~1u));
        return true;
    }
    if (c == key_enter && alt_held()) {
        display_toggle_full_screen();
        return true;
    }
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

void let_go_both(int32_t left, int32_t right) {
    if (key_is_held(left)) key_release(left);
    if (key_is_held(right)) key_release(right);
}

void follow_host_modifiers(host_modifiers held) {
    if (!held.shift) let_go_both(key_left_shift, key_right_shift);
    if (!held.ctrl)
        let_go_both(key_left_ctrl, key_right_ctrl);
    else if (!ctrl_held())
        key_press_state(key_left_ctrl);
    if (!held.alt)
        let_go_both(key_left_alt, key_right_alt);
    else if (!alt_held())
        key_press_state(key_left_alt);
}

constexpr int32_t control_line_feed = 10;
constexpr int32_t control_a = 1;
constexpr int32_t control_z = 26;

// The letter (or Enter) a control code typed with Ctrl stands for.
int32_t key_under_ctrl(int32_t c) {
    if (c == control_line_feed) return key_enter;
    if (c >= control_a && c <= control_z) return c - control_a + (shift_held() ? 'A' : 'a');
    return c;
}

// --- The desktop's keyboard ------------------------------------------------------------

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

desktop_keyboard_state desktop_locks() {
    desktop_keyboard_state desktop;
    platform_lock_states(desktop.caps_lock_on, desktop.num_lock_on, desktop.scroll_lock_on);
    return desktop;
}

// The platform does not report a held Scroll Lock key; its lock state is enough.
desktop_keyboard_state desktop_now() {
    desktop_keyboard_state desktop = desktop_locks();
    const unsigned held = platform_held_modifiers();
    desktop.left_shift_held = held & held_left_shift;
    desktop.right_shift_held = held & held_right_shift;
    desktop.left_ctrl_held = held & held_left_ctrl;
    desktop.right_ctrl_held = held & held_right_ctrl;
    desktop.left_alt_held = held & held_left_alt;
    desktop.right_alt_held = held & held_right_alt;
    return desktop;
}

} // namespace

void key_press(int32_t id) {
    handle_press(id, key_source::keystroke);
}

void key_press_state(int32_t id) {
    handle_press(id, key_source::generated);
}

void host_key(int32_t id, bool pressed, host_modifiers held) {
    follow_host_modifiers(held);
    if (held.ctrl) id = key_under_ctrl(id);
    if (pressed)
        key_press(id);
    else
        key_release(id);
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

bool key_is_down(int32_t id) {
    if (key_is_held(id)) return true;
    if (is_character_key(id)) {
        const int32_t keypad = keypad_key_for(id, column_num_lock, key_keypad_first);
        return keypad != 0 && key_is_held(keypad);
    }
    if (id >= 0x4700 && id <= key_delete) {
        const int32_t keypad = keypad_key_for(id, column_plain, key_navigation_first);
        return keypad != 0 && key_is_held(keypad);
    }
    return false;
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

void rt_keyboard_init() {
    preset_key_event_table();
    adopt_desktop_keyboard_state(desktop_now());
    reset_key_queue();
}

void rt_follow_lock_keys() {
    follow_lock_states(desktop_locks());
}

void preset_key_event_table() {
    for (const key_event_preset& p : key_event_presets) {
        key_event_table[p.slot].code = p.code;
        key_event_table[p.slot].alternative = p.alternative;
    }
}

bool take_key_hit(key_hit_entry& entry) {
    uint32_t read = key_hits.read_index.load(std::memory_order_relaxed);
    for (;;) {
        if (read == key_hits.write_index.load(std::memory_order_acquire)) return false;
        entry = {key_hits.codes[ring_place(read)].load(std::memory_order_relaxed),
                 key_hits.flags[ring_place(read)].load(std::memory_order_relaxed)};
        if (key_hits.read_index.compare_exchange_weak(read, read + 1)) return true;
    }
}

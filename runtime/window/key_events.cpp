#include "runtime/window/key_events.h"

#include "runtime/platform/key_identifiers.h"
#include "runtime/window/key_translation.h"
#include "runtime/window/keyboard_flags.h"

key_event_slot key_event_table[key_event_slots];

namespace {

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

// Either Shift bit in a mask stands for Shift.
uint8_t normalised(uint8_t mask) {
    return (mask & mask_shift) ? (mask | mask_shift) : mask;
}

uint8_t mask_now(int32_t c) {
    return normalised(keyboard_modifier_mask() | (is_extended_key(c) ? mask_extended : 0));
}

bool slot_matches(const key_event_slot& slot, int32_t c) {
    if (c == slot.code || (slot.alternative != 0 && c == slot.alternative)) return true;
    return slot.scan != 0 && slot.scan == key_scan_code(c) &&
           normalised(slot.modifier_mask) == mask_now(c);
}

} // namespace

void preset_key_event_table() {
    for (const key_event_preset& p : key_event_presets) {
        key_event_table[p.slot].code = p.code;
        key_event_table[p.slot].alternative = p.alternative;
    }
}

key_event_slot* trapping_slot(int32_t c) {
    for (key_event_slot& slot : key_event_table)
        if (slot.armed.load() && slot_matches(slot, c)) return &slot;
    return nullptr;
}

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

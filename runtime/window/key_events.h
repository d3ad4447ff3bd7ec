#pragma once
// The key-event table: keys the program may trap, each slot armed by the runtime's
// event trapping. A trapped key is not queued.
#include <atomic>
#include <cstdint>

constexpr int32_t key_event_slots = 32;

struct key_event_slot {
    int32_t code;          // extended code of the key
    int32_t alternative;   // another identifier that also matches (a keypad key)
    uint8_t scan;          // with modifier_mask: a user-defined key
    uint8_t modifier_mask; // bits 0-1 Shift, 2 Ctrl, 3 Alt, 5 Num Lock, 6 Caps Lock, 7 extended
    std::atomic<int32_t> armed;
    std::atomic<int32_t> pending;
    void (*handler)();
    const char* replacement; // typed instead of the key when set
};
extern key_event_slot key_event_table[key_event_slots];

// The function and cursor keys of slots 1-14, 30 and 31.
void preset_key_event_table();

// The armed slot that takes key c, or null.
key_event_slot* trapping_slot(int32_t c);

// Keys taken by a trapped event, until their release.
void remember_trapped_key(int32_t c);
// True (and forgets it) when c was taken by a trapped event.
bool forget_trapped_key(int32_t c);

#pragma once
// The raw scan-code buffer (for the emulated keyboard data port) and the ring of key
// presses and releases (for the runtime's key-hit operation). Both drop their oldest
// entry when full. Written by the window thread and the service thread's lock follower.
#include <atomic>
#include <cstdint>

constexpr int32_t raw_scan_capacity = 256;

struct raw_scan_buffer {
    std::atomic<uint8_t> bytes[raw_scan_capacity];
    std::atomic<int32_t> count;
};
extern raw_scan_buffer raw_scan_codes;

// Appends the byte unless it equals the last one (auto-repeat is recorded once).
void append_raw_scan_code(uint8_t code);

constexpr int32_t key_hit_capacity = 8192;
constexpr int32_t key_hit_keypad_flag = 1;

struct key_hit_entry {
    int32_t code; // a press; a release stores the negated code
    int32_t flags;
};

void append_key_hit(key_hit_entry entry);
// Takes the oldest entry; false when the ring is empty.
bool take_key_hit(key_hit_entry& entry);

#pragma once
// The BIOS keyboard buffer in low memory: one writer (key handling on the window
// thread) moves the tail, one reader (the program thread) moves the head.
#include <cstdint>

#include "runtime/core/key_input.h"

constexpr uint32_t key_queue_head_address = 0x41A;
constexpr uint32_t key_queue_tail_address = 0x41C;
constexpr uint32_t key_queue_base = 0x400; // entries at base + offset
constexpr uint8_t key_queue_first_offset = 30;
constexpr uint8_t key_queue_end_offset = 62; // one past the last entry

// Empties the queue: head and tail both at the first entry.
void reset_key_queue();
// Queues one key; a full queue (15 keys) drops it silently.
void append_key(uint8_t character, uint8_t scan);

// Wakes the program thread from its key wait (shutdown begins). Any thread.
void rt_wake_key_wait();
// True while the program thread sits in a key wait with every queued key read: until the
// next key arrives, nothing the program thread owns changes.
bool rt_program_waits_for_key();

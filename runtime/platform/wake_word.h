#pragma once
// A word one thread sleeps on until another thread changes it and wakes it, or until a
// time-out: a poll that answers at once instead of at its next turn.
#include <atomic>
#include <cstdint>

// Sleeps while word still holds seen, at most timeout_ms; returns at once when it differs.
// May return early without a change (a wake, a signal): callers look again.
void platform_wait_on_word(const std::atomic<uint32_t>& word, uint32_t seen, int timeout_ms);
// Wakes every thread sleeping on word; callers change the word first.
void platform_wake_word(std::atomic<uint32_t>& word);

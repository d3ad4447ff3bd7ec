#include "runtime/core/key_queue.h"

#include <atomic>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/run_control.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/wake_word.h"

namespace {

// Keys and shutdown wake a key wait at once; the time-out is only a safety net.
constexpr int32_t key_wait_ms = 250;
constexpr uint32_t never_idle = UINT32_MAX;

std::atomic<uint32_t> keys_queued{0};              // written by the key handling
uint32_t keys_read = 0;                            // program thread only
std::atomic<uint32_t> idle_after_keys{never_idle}; // keys_read at the last idle turn
std::atomic<uint32_t> key_wait_word{0};            // changes on every key and every wake
std::atomic<int32_t> key_waiters{0};               // threads inside the wait on that word

std::atomic_ref<uint8_t> offset_at(uint32_t address) {
    return std::atomic_ref<uint8_t>(low_memory[address]);
}

uint8_t next_offset(uint8_t offset) {
    const uint8_t next = offset + 2;
    return next == key_queue_end_offset ? key_queue_first_offset : next;
}

rt_string* key_string(const uint8_t* bytes, int32_t length) {
    rt_string* s = rt_string_new(length, true);
    for (int32_t i = 0; i < length; ++i) s->data[i] = bytes[i];
    return s;
}

} // namespace

void reset_key_queue() {
    offset_at(key_queue_head_address).store(key_queue_first_offset, std::memory_order_release);
    offset_at(key_queue_tail_address).store(key_queue_first_offset, std::memory_order_release);
}

void append_key(uint8_t character, uint8_t scan) {
    const uint8_t tail = offset_at(key_queue_tail_address).load(std::memory_order_relaxed);
    const uint8_t new_tail = next_offset(tail);
    // Acquire: the reader has finished with an entry before its place is written again.
    if (new_tail == offset_at(key_queue_head_address).load(std::memory_order_acquire)) return;
    low_memory[key_queue_base + tail] = character;
    low_memory[key_queue_base + tail + 1] = scan;
    offset_at(key_queue_tail_address).store(new_tail, std::memory_order_release);
    keys_queued.fetch_add(1);
    rt_wake_key_wait(); // a key wait answers now, not at its next turn
}

// The word changes before the waiters are counted, and a waiter is counted before the wait
// looks at the word: a wake that finds no waiter cannot leave one asleep, so most keys,
// typed while the program is busy, make no system call.
void rt_wake_key_wait() {
    key_wait_word.fetch_add(1);
    if (key_waiters.load() > 0) platform_wake_word(key_wait_word);
}

bool rt_key_waiting() {
    return offset_at(key_queue_head_address).load(std::memory_order_relaxed) !=
           offset_at(key_queue_tail_address).load(std::memory_order_acquire);
}

void rt_key_wait_idle(int32_t longest_ms) {
    const uint32_t seen = key_wait_word.load();
    // Back to waiting after keys: the page shows what they did, so it is shown now.
    if (idle_after_keys.exchange(keys_read) != keys_read) rt_request_frame();
    if (rt_key_waiting() || run_control.shutting_down.load()) return;
    const int32_t wait_ms = longest_ms > 0 && longest_ms < key_wait_ms ? longest_ms : key_wait_ms;
    key_waiters.fetch_add(1);
    platform_wait_on_word(key_wait_word, seen, wait_ms);
    key_waiters.fetch_sub(1);
}

bool rt_program_waits_for_key() {
    return idle_after_keys.load() == keys_queued.load();
}

rt_string* rt_inkey() {
    if (error_state.error_pending) return key_string(nullptr, 0);
    const uint8_t head = offset_at(key_queue_head_address).load(std::memory_order_relaxed);
    if (head == offset_at(key_queue_tail_address).load(std::memory_order_acquire)) {
        rt_sleep_ms(0); // a program polling for a key leaves the processor to the others
        return key_string(nullptr, 0);
    }
    const uint8_t character = low_memory[key_queue_base + head];
    const uint8_t scan = low_memory[key_queue_base + head + 1];
    offset_at(key_queue_head_address).store(next_offset(head), std::memory_order_release);
    ++keys_read;
    if (character != 0 || scan == 0) return key_string(&character, 1);
    const uint8_t extended[2] = {0, scan};
    return key_string(extended, 2);
}

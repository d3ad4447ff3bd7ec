#include "runtime/window/key_logs.h"

raw_scan_buffer raw_scan_codes{};

namespace {

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

} // namespace

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

bool take_key_hit(key_hit_entry& entry) {
    uint32_t read = key_hits.read_index.load(std::memory_order_relaxed);
    for (;;) {
        if (read == key_hits.write_index.load(std::memory_order_acquire)) return false;
        entry = {key_hits.codes[ring_place(read)].load(std::memory_order_relaxed),
                 key_hits.flags[ring_place(read)].load(std::memory_order_relaxed)};
        if (key_hits.read_index.compare_exchange_weak(read, read + 1)) return true;
    }
}

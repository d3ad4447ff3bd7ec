// Strings that need a 16-bit address: their bytes grow up from the base of the data
// segment in low memory, the descriptors of the non-temporary ones grow down from its top.
#include <cstring>

#include "runtime/core/low_memory.h"
#include "runtime/core/string_heap.h"

namespace {

// The room for the descriptor was made together with the string's bytes.
void push_descriptor(rt_string* s) {
    rt_string_area& region = low_string_region;
    region.size -= low_descriptor_bytes;
    s->descriptor_position = int32_t(region.size);
    s->low_descriptor = region.begin + region.size;
    store_descriptor(s);
}

void put_16(uint8_t* at, int64_t v) {
    at[0] = uint8_t(v & 0xFF);
    at[1] = uint8_t((v >> 8) & 0xFF);
}

} // namespace

void ensure_low_region() {
    if (low_string_region.begin) return;
    if (!low_memory) rt_low_memory_reset();
    low_string_region.begin = low_memory + low_region_offset;
}

void make_low_room(int64_t extra) {
    compact_area(owner_of_bytes(true));
    if (low_string_region.used + extra > low_string_region.size)
        rt_raise_error(err_low_string_region);
}

void store_descriptor(const rt_string* s) {
    put_16(s->low_descriptor, s->len);
    put_16(s->low_descriptor + 2, s->data - low_string_region.begin);
}

rt_string* rt_string_new_low_memory(int32_t length, bool temporary) {
    ensure_low_region();
    rt_string_area& region = low_string_region;
    int64_t n = length < 0 ? 0 : length;
    int64_t needed = n + string_spare_bytes + (temporary ? 0 : low_descriptor_bytes);
    if (region.used + needed > region.size) make_low_room(needed);
    rt_string* s = take_record();
    s->in_low_memory = 1;
    s->len = int32_t(n);
    s->data = region.begin + region.used;
    region.used += n + string_spare_bytes;
    append_to_list(owner_of_bytes(true), s);
    if (temporary)
        list_temporary(s);
    else
        push_descriptor(s);
    return s;
}

int32_t rt_descriptor_top() {
    return int32_t(low_string_region.size);
}

void rt_descriptor_restore(int32_t top) {
    if (top >= low_string_region.used && top <= low_region_size) low_string_region.size = top;
}

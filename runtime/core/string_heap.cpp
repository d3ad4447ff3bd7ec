// The string heap, the lists that own string records and the record pool.
#include "runtime/core/string_heap.h"

#include <cstdlib>
#include <cstring>

#include "runtime/core/zeroed_memory.h"

rt_string_area string_heap{};
rt_string_list heap_list{};
rt_string_list temp_list{};
rt_record_pool record_pool{};
rt_string_area low_string_region{};
rt_string_list low_list{};

namespace {

// Resizes a list's array to capacity + 1 entries, zero-filling what is new.
bool resize_list(rt_string_list& list, int32_t capacity) {
    size_t old_entries = list.entries ? size_t(list.capacity) + 1 : 0;
    size_t entries = size_t(capacity) + 1;
    void* grown =
        grow_zeroed(list.entries, old_entries * sizeof(rt_string*), entries * sizeof(rt_string*));
    if (!grown) return false;
    list.entries = static_cast<rt_string**>(grown);
    list.capacity = capacity;
    return true;
}

// A new list comes zeroed; one that exists already is cleared.
void reset_list(rt_string_list& list, int32_t first_count, rt_error error) {
    const bool existed = list.entries != nullptr;
    if (!resize_list(list, string_list_first_capacity)) rt_raise_error(error);
    if (existed) std::memset(list.entries, 0, (size_t(list.capacity) + 1) * sizeof(rt_string*));
    list.count = first_count;
}

// Drops the freed entries, renumbering the records that move.
void compact_list(rt_string_list& list) {
    int32_t kept = 0;
    for (int32_t i = 0; i < list.count; ++i) {
        rt_string* s = list.entries[i];
        if (s == freed_entry()) continue;
        s->list_index = kept;
        list.entries[kept++] = s;
    }
    list.count = kept;
}

void grow_owner_list(rt_string_owner owner) {
    rt_string_list& list = owner.list;
    compact_list(list);
    if (list.count < list.capacity / 2) return;
    if (!resize_list(list, list.capacity * 2))
        rt_raise_error(owner.in_low_memory ? err_low_string_list : err_heap_string_list);
}

bool push_free_record(rt_string* s) {
    rt_record_pool& pool = record_pool;
    if (pool.free_count == pool.free_capacity) {
        int32_t capacity = pool.free_capacity ? pool.free_capacity * 2 : record_block_records;
        void* grown = std::realloc(pool.free, size_t(capacity) * sizeof(rt_string*));
        if (!grown) return false;
        pool.free = static_cast<rt_string**>(grown);
        pool.free_capacity = capacity;
    }
    pool.free[pool.free_count++] = s;
    return true;
}

bool new_record_block() {
    void* block = std::calloc(record_block_records, sizeof(rt_string));
    if (!block) return false;
    record_pool.block = static_cast<rt_string*>(block);
    record_pool.block_used = 0;
    return true;
}

// Grows the heap buffer to new_size and moves every live record with it.
void grow_heap(int64_t new_size) {
    uintptr_t old_begin = reinterpret_cast<uintptr_t>(string_heap.begin);
    void* grown = std::realloc(string_heap.begin, size_t(new_size));
    if (!grown) {
        rt_raise_error(err_string_heap);
        return;
    }
    uint8_t* begin = static_cast<uint8_t*>(grown);
    for (int32_t i = 0; i < heap_list.count; ++i) {
        rt_string* s = heap_list.entries[i];
        if (s == freed_entry()) continue;
        s->data = begin + (reinterpret_cast<uintptr_t>(s->data) - old_begin);
    }
    string_heap.begin = begin;
    string_heap.size = new_size;
}

} // namespace

rt_string_owner owner_of_bytes(bool in_low_memory) {
    if (in_low_memory) return {low_string_region, low_list, true};
    return {string_heap, heap_list, false};
}

void rt_strings_init() {
    void* heap = std::realloc(string_heap.begin, size_t(string_heap_first_size));
    if (!heap) rt_raise_error(err_string_heap);
    string_heap = {static_cast<uint8_t*>(heap), string_heap_first_size, 0};
    reset_list(heap_list, 0, err_heap_string_list);
    reset_list(temp_list, 1, err_temporary_list);
    reset_list(low_list, 0, err_low_string_list);
    low_string_region = {nullptr, low_region_size, 0};
    void* free_stack =
        std::realloc(record_pool.free, size_t(record_block_records) * sizeof(rt_string*));
    if (!free_stack) rt_raise_error(err_string_record_stack);
    record_pool.free = static_cast<rt_string**>(free_stack);
    record_pool.free_capacity = record_block_records;
    record_pool.free_count = 0;
    if (record_pool.block) {
        std::memset(static_cast<void*>(record_pool.block), 0,
                    record_block_records * sizeof(rt_string));
        record_pool.block_used = 0;
    } else if (!new_record_block()) {
        rt_raise_error(err_string_record_stack);
    }
}

rt_string* take_record() {
    rt_record_pool& pool = record_pool;
    if (pool.free_count > 0) {
        rt_string* s = pool.free[--pool.free_count];
        *s = rt_string{};
        return s;
    }
    if (pool.block_used == record_block_records && !new_record_block())
        rt_raise_error(err_string_record_stack);
    return &pool.block[pool.block_used++];
}

void give_back_record(rt_string* s) {
    if (!push_free_record(s)) rt_raise_error(err_string_record_stack);
}

void list_temporary(rt_string* s) {
    if (temp_list.count > temp_list.capacity && !resize_list(temp_list, temp_list.capacity * 2))
        rt_raise_error(err_temporary_list);
    temp_list.entries[temp_list.count] = s;
    s->temp_index = temp_list.count++;
    s->temporary = 1;
}

void append_to_list(rt_string_owner owner, rt_string* s) {
    if (owner.list.count > owner.list.capacity) grow_owner_list(owner);
    owner.list.entries[owner.list.count] = s;
    s->list_index = owner.list.count++;
}

void compact_area(rt_string_owner owner) {
    uint8_t* cursor = owner.area.begin;
    for (int32_t i = 0; i < owner.list.count; ++i) {
        rt_string* s = owner.list.entries[i];
        if (s == freed_entry()) continue;
        if (s->data - cursor > string_spare_bytes) {
            if (s->len > 0) std::memmove(cursor, s->data, size_t(s->len));
            s->data = cursor;
            if (s->low_descriptor) store_descriptor(s);
        }
        cursor = s->data + s->len;
    }
    owner.area.used = cursor - owner.area.begin;
}

void make_room(rt_string_owner owner, int64_t extra) {
    if (owner.in_low_memory) {
        make_low_room(extra);
        return;
    }
    compact_area(owner);
    if (extra + 2 * string_heap.used + string_spare_bytes < string_heap.size) return;
    grow_heap(extra + 2 * string_heap.size);
}

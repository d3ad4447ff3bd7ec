#pragma once
// Internal state of the string runtime: the byte areas (the string heap and the
// low-memory string region), the lists that own their records, the temporary list
// and the record pool. Shared by the string sources and their tests only.
#include <cstdint>

#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"

// A byte area: strings are placed upward from begin; used is the offset of the first
// free byte, size the offset that no string may pass.
struct rt_string_area {
    uint8_t* begin;
    int64_t size;
    int64_t used;
};

// An array of record pointers with capacity + 1 entries; freed entries hold freed_entry.
struct rt_string_list {
    rt_string** entries;
    int32_t count;
    int32_t capacity;
};

struct rt_record_pool {
    rt_string* block;   // the block new records are cut from
    int32_t block_used; // records of it handed out
    rt_string** free;   // the free-record stack
    int32_t free_count;
    int32_t free_capacity;
};

constexpr int64_t string_heap_first_size = 1048576;
constexpr int32_t string_list_first_capacity = 65535;
constexpr int32_t record_block_records = 65536;
constexpr int64_t string_spare_bytes = 32;

// The low-memory string region is the program's 64 KiB data segment: its bytes grow up
// from the segment base, descriptors are pushed down from its top.
constexpr int64_t low_region_offset = int64_t(default_segment_offset);
constexpr int64_t low_region_size = 0x10000;
constexpr int32_t low_descriptor_bytes = 4;

extern rt_string_area string_heap;
extern rt_string_list heap_list;
extern rt_string_list temp_list;
extern rt_record_pool record_pool;
// size follows the descriptor stack top, used is the region's low_used.
extern rt_string_area low_string_region;
extern rt_string_list low_list;

// The marker of a freed list entry.
inline rt_string* freed_entry() {
    return reinterpret_cast<rt_string*>(intptr_t(-1));
}

// What owns a record's bytes: its area, its list and how that area makes room.
struct rt_string_owner {
    rt_string_area& area;
    rt_string_list& list;
    bool in_low_memory;
};
rt_string_owner owner_of_bytes(bool in_low_memory);

rt_string* take_record();
void give_back_record(rt_string* s);
void list_temporary(rt_string* s);
// Appends s to the list, compacting and growing the list first when it is full.
void append_to_list(rt_string_owner owner, rt_string* s);
// Moves live strings down over gaps of more than the spare bytes; used follows.
void compact_area(rt_string_owner owner);
// Makes room for extra more bytes behind used (compaction, then growth or failure).
void make_room(rt_string_owner owner, int64_t extra);

// Low-memory region: placement check and descriptor upkeep.
void ensure_low_region();
void make_low_room(int64_t extra);
void store_descriptor(const rt_string* s);

// A record may be changed in place only when it is a temporary owning heap bytes.
inline bool is_disposable(const rt_string* s) {
    return s->temporary && !s->fixed && !s->read_only && !s->in_low_memory;
}
// The record's bytes are listed in the heap list or the low-memory list.
inline bool owns_listed_bytes(const rt_string* s) {
    return !s->fixed && !s->read_only;
}

inline bool error_is_pending() {
    return error_state.error_pending != 0;
}

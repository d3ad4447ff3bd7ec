// String records: creation, freeing, temporaries, assignment, concatenation and
// comparison.
#include <algorithm>
#include <cstring>
#include <limits>

#include "runtime/core/string_heap.h"

namespace {

void unlist_temporary(rt_string* s) {
    temp_list.entries[s->temp_index] = freed_entry();
    while (temp_list.count > 1 && temp_list.entries[temp_list.count - 1] == freed_entry())
        --temp_list.count;
}

void release_low_bytes(const rt_string* s) {
    low_list.entries[s->list_index] = freed_entry();
    if (s->list_index == low_list.count - 1) --low_list.count;
}

// Frees the heap bytes; used drops to the spare bytes behind the last live string.
void release_heap_bytes(const rt_string* s) {
    heap_list.entries[s->list_index] = freed_entry();
    while (heap_list.count > 0 && heap_list.entries[heap_list.count - 1] == freed_entry())
        --heap_list.count;
    if (heap_list.count == 0) {
        string_heap.used = 0;
        return;
    }
    const rt_string* last = heap_list.entries[heap_list.count - 1];
    int64_t end = last->data + last->len - string_heap.begin;
    string_heap.used = std::min(end + string_spare_bytes, string_heap.size);
}

void copy_bytes(rt_string* dst, const rt_string* src) {
    if (src->len > 0) std::memmove(dst->data, src->data, size_t(src->len));
    dst->len = src->len;
}

// A fixed destination keeps its length: cut, or padded with spaces.
void fill_fixed(rt_string* dst, const rt_string* src) {
    int32_t n = std::min(dst->len, src->len);
    if (n > 0) std::memmove(dst->data, src->data, size_t(n));
    if (n < dst->len) std::memset(dst->data + n, ' ', size_t(dst->len - n));
}

bool can_take_over(const rt_string* dst, const rt_string* src) {
    return src->temporary && !src->fixed && !src->read_only &&
           src->in_low_memory == dst->in_low_memory;
}

// dst takes the temporary's bytes and list entry; the temporary's record is gone.
void take_over(rt_string* dst, rt_string* src) {
    rt_string_list& list = owner_of_bytes(src->in_low_memory).list;
    if (owns_listed_bytes(dst)) list.entries[dst->list_index] = freed_entry();
    dst->list_index = src->list_index;
    list.entries[src->list_index] = dst;
    temp_list.entries[src->temp_index] = freed_entry();
    if (src->temp_index == temp_list.count - 1) --temp_list.count;
    dst->data = src->data;
    dst->len = src->len;
    dst->read_only = 0;
    give_back_record(src);
}

// dst gets fresh bytes at the end of its area.
void relocate(rt_string_owner owner, rt_string* dst, const rt_string* src) {
    if (owns_listed_bytes(dst)) owner.list.entries[dst->list_index] = freed_entry();
    if (owner.area.used + src->len > owner.area.size) make_room(owner, src->len);
    append_to_list(owner, dst);
    dst->data = owner.area.begin + owner.area.used;
    dst->read_only = 0;
    owner.area.used += src->len;
    copy_bytes(dst, src);
}

// Index of the first live entry behind dst, skipping src while src is a temporary.
int32_t next_live_entry(const rt_string_list& list, const rt_string* dst, const rt_string* src) {
    for (int32_t i = dst->list_index + 1; i < list.count; ++i) {
        const rt_string* e = list.entries[i];
        if (e == freed_entry() || (src->temporary && e == src)) continue;
        return i;
    }
    return -1;
}

// A variable grows in place while nothing lies in the way, else moves.
void grow_variable(rt_string* dst, const rt_string* src) {
    rt_string_owner owner = owner_of_bytes(dst->in_low_memory);
    if (!owns_listed_bytes(dst)) {
        relocate(owner, dst, src);
        return;
    }
    int64_t new_end = dst->data - owner.area.begin + int64_t(src->len);
    if (dst->list_index != owner.list.count - 1) {
        int32_t next = next_live_entry(owner.list, dst, src);
        if (next >= 0) {
            int64_t next_start = owner.list.entries[next]->data - owner.area.begin;
            if (next_start < new_end)
                relocate(owner, dst, src);
            else
                copy_bytes(dst, src);
            return;
        }
        owner.list.count = dst->list_index + 1;
    }
    if (new_end > owner.area.size) {
        relocate(owner, dst, src);
        return;
    }
    copy_bytes(dst, src);
    owner.area.used = new_end;
}

int32_t compare_bytes(const rt_string* a, const rt_string* b) {
    int32_t n = std::min(a->len, b->len);
    int c = n > 0 ? std::memcmp(a->data, b->data, size_t(n)) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return a->len < b->len ? -1 : (a->len > b->len ? 1 : 0);
}

int32_t truth(bool b) {
    return b ? -1 : 0;
}

} // namespace

rt_string* rt_string_new(int32_t length, bool temporary) {
    int64_t n = std::max(length, 0);
    rt_string_owner heap = owner_of_bytes(false);
    if (string_heap.used + n + string_spare_bytes > string_heap.size)
        make_room(heap, n + string_spare_bytes);
    rt_string* s = take_record();
    s->len = int32_t(n);
    s->data = string_heap.begin + string_heap.used;
    string_heap.used += n + string_spare_bytes;
    append_to_list(heap, s);
    if (temporary) list_temporary(s);
    return s;
}

rt_string* rt_string_from_bytes(const void* text, int32_t length) {
    rt_string* s = take_record();
    s->data = static_cast<uint8_t*>(const_cast<void*>(text));
    s->len = text ? std::max(length, 0) : 0;
    s->read_only = 1;
    list_temporary(s);
    return s;
}

rt_string* rt_string_from_text(const char* text) {
    return rt_string_from_bytes(text, text ? int32_t(std::strlen(text)) : 0);
}

rt_string* rt_string_fixed(uint8_t* buffer, int32_t length, bool temporary) {
    rt_string* s = take_record();
    s->data = buffer;
    s->len = std::max(length, 0);
    s->fixed = 1;
    if (temporary) list_temporary(s);
    return s;
}

rt_string* rt_string_make_temporary(rt_string* s) {
    if (s && !s->temporary) list_temporary(s);
    return s;
}

void rt_string_free(rt_string* s) {
    if (!s) return;
    if (s->temp_index != 0) unlist_temporary(s);
    if (owns_listed_bytes(s)) {
        if (s->in_low_memory)
            release_low_bytes(s);
        else
            release_heap_bytes(s);
    }
    give_back_record(s);
}

int64_t rt_release_temporaries(int32_t mark, int64_t value) {
    int32_t floor = std::max(mark, 1);
    while (temp_list.count > floor) {
        rt_string* s = temp_list.entries[--temp_list.count];
        if (s && s != freed_entry()) rt_string_free(s);
    }
    return value;
}

int32_t rt_temporary_count() {
    return temp_list.count;
}

rt_string* rt_string_assign(rt_string* dst, rt_string* src) {
    if (error_is_pending() || !dst || !src || dst == src) return dst;
    if (dst->fixed) {
        fill_fixed(dst, src);
    } else if (can_take_over(dst, src)) {
        take_over(dst, src);
        src = nullptr;
    } else if (src->len <= dst->len && !dst->read_only) {
        copy_bytes(dst, src);
    } else {
        grow_variable(dst, src);
    }
    if (src && src->temporary) rt_string_free(src);
    if (dst->low_descriptor) store_descriptor(dst);
    return dst;
}

rt_string* rt_string_concat(rt_string* a, rt_string* b) {
    if (error_is_pending() || !a || !b) return rt_string_from_bytes("", 0);
    if (b->len == 0) return a;
    if (a->len == 0) return b;
    int64_t total = int64_t(a->len) + b->len;
    if (total > std::numeric_limits<int32_t>::max()) {
        rt_raise_error(err_out_of_string_space);
        return rt_string_from_bytes("", 0);
    }
    rt_string* s = rt_string_new(int32_t(total), true);
    std::memcpy(s->data, a->data, size_t(a->len));
    std::memcpy(s->data + a->len, b->data, size_t(b->len));
    if (a->temporary) rt_string_free(a);
    if (b->temporary && b != a) rt_string_free(b);
    return s;
}

int32_t rt_string_equal(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) == 0);
}

int32_t rt_string_not_equal(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) != 0);
}

int32_t rt_string_less(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) < 0);
}

int32_t rt_string_greater(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) > 0);
}

int32_t rt_string_less_equal(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) <= 0);
}

int32_t rt_string_greater_equal(const rt_string* a, const rt_string* b) {
    if (error_is_pending() || !a || !b) return 0;
    return truth(compare_bytes(a, b) >= 0);
}

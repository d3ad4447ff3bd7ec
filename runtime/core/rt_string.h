#pragma once
// Counted byte strings whose bytes live in one growable string heap; temporaries are
// listed so that each statement can free everything it created.
#include <cstdint>
#include <string>
#include <string_view>

struct rt_string {
    uint8_t* data;
    int32_t len;
    uint8_t in_low_memory;   // bytes in the low-memory string region, not the heap
    uint8_t* low_descriptor; // length and offset kept in low memory; null if none
    int32_t descriptor_position;
    int32_t list_index; // entry in the heap list or the low-memory list
    uint8_t temporary;
    int32_t temp_index; // entry in the temporary list; 0 = not listed
    uint8_t fixed;      // a fixed-length buffer owned by the caller
    uint8_t read_only;  // constant text, never written or freed
    void* owner_link;   // file or connection buffer list; unused here
};

// Heap, lists and record pool (process start).
void rt_strings_init();

// Creation, freeing and the temporary bookkeeping work also while an error is pending,
// so that the statement frame can always release what a statement made. Every other
// operation returns at once then, with an empty temporary, 0 or nothing.

rt_string* rt_string_new(int32_t length, bool temporary);
rt_string* rt_string_from_text(const char* text);
rt_string* rt_string_from_bytes(const void* text, int32_t length);
rt_string* rt_string_fixed(uint8_t* buffer, int32_t length, bool temporary);
// A string in the low-memory region; a non-temporary one gets a descriptor there.
rt_string* rt_string_new_low_memory(int32_t length, bool temporary);
rt_string* rt_string_make_temporary(rt_string* s);
void rt_string_free(rt_string* s);
// Frees every temporary listed at an index >= mark; returns value.
int64_t rt_release_temporaries(int32_t mark, int64_t value);
int32_t rt_temporary_count();
// The low-memory descriptor stack top, taken and restored by the routine frame.
int32_t rt_descriptor_top();
void rt_descriptor_restore(int32_t top);

// Assignment and concatenation consume temporary operands; comparisons (-1 true, 0
// false) and the functions that give numbers leave them for the statement's release.

rt_string* rt_string_assign(rt_string* dst, rt_string* src);
rt_string* rt_string_concat(rt_string* a, rt_string* b);

int32_t rt_string_equal(const rt_string* a, const rt_string* b);
int32_t rt_string_not_equal(const rt_string* a, const rt_string* b);
int32_t rt_string_less(const rt_string* a, const rt_string* b);
int32_t rt_string_greater(const rt_string* a, const rt_string* b);
int32_t rt_string_less_equal(const rt_string* a, const rt_string* b);
int32_t rt_string_greater_equal(const rt_string* a, const rt_string* b);

rt_string* rt_ucase(rt_string* s);
rt_string* rt_lcase(rt_string* s);
rt_string* rt_chr(int32_t code);
rt_string* rt_space(int32_t n);
rt_string* rt_string_fill(int32_t n, int32_t code);
rt_string* rt_left(rt_string* s, int32_t n);
rt_string* rt_right(rt_string* s, int32_t n);
rt_string* rt_mid(rt_string* s, int32_t start, int32_t n, bool n_given);
rt_string* rt_ltrim(rt_string* s);
rt_string* rt_rtrim(rt_string* s);
// 1-based position of t in s at or after start, 0 if none.
int32_t rt_instr(int32_t start, rt_string* s, rt_string* t, bool start_given);
// Overwrites bytes of s from start with t, never changing the length of s; a start
// below 1 or a negative n raises 5.
void rt_mid_assign(rt_string* s, int32_t start, int32_t n, rt_string* t, bool n_given);

// Byte images of numbers (little-endian) and back; too short a string raises 5.
rt_string* rt_mkb(uint8_t v);
rt_string* rt_mki(int16_t v);
rt_string* rt_mkl(int32_t v);
rt_string* rt_mkq(int64_t v);
rt_string* rt_mks(float v);
rt_string* rt_mkd(double v);
uint8_t rt_cvb(rt_string* s);
int16_t rt_cvi(rt_string* s);
int32_t rt_cvl(rt_string* s);
int64_t rt_cvq(rt_string* s);
float rt_cvs(rt_string* s);
double rt_cvd(rt_string* s);

// Convenience for runtime code and tests: the bytes as a std::string / view.
inline std::string_view rt_view(const rt_string* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s->data), s->len)
             : std::string_view();
}

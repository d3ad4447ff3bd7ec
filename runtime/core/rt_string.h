#pragma once
// Counted byte strings whose bytes live in one growable string heap; temporaries are
// listed so that each statement can free everything it created.
#include <cstdint>
#include <string>
#include <string_view>

struct rt_string {
    uint8_t* data;
    int32_t len;
    uint8_t in_low_memory;
    uint8_t* low_descriptor;
    int32_t descriptor_position;
    int32_t list_index;
    uint8_t temporary;
    int32_t temp_index;
    uint8_t fixed;
    uint8_t read_only;
    void* owner_link;
};

// Heap, lists and record pool (process start).
void rt_strings_init();

rt_string* rt_string_new(int32_t length, bool temporary);
rt_string* rt_string_from_text(const char* text);
rt_string* rt_string_from_bytes(const void* text, int32_t length);
rt_string* rt_string_fixed(uint8_t* buffer, int32_t length, bool temporary);
rt_string* rt_string_make_temporary(rt_string* s);
void rt_string_free(rt_string* s);
// Frees every temporary listed at an index >= mark; returns value.
int64_t rt_release_temporaries(int32_t mark, int64_t value);
int32_t rt_temporary_count();
int32_t rt_descriptor_top();
void rt_descriptor_restore(int32_t top);

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
int32_t rt_instr(int32_t start, rt_string* s, rt_string* t, bool start_given);
void rt_mid_assign(rt_string* s, int32_t start, int32_t n, rt_string* t, bool n_given);

// Byte images of numbers (little-endian) and back; too short a string raises 5.
rt_string* rt_mki(int16_t v);
rt_string* rt_mkl(int32_t v);
rt_string* rt_mks(float v);
rt_string* rt_mkd(double v);
int16_t rt_cvi(rt_string* s);
int32_t rt_cvl(rt_string* s);
float rt_cvs(rt_string* s);
double rt_cvd(rt_string* s);

// Convenience for runtime code and tests: the bytes as a std::string / view.
inline std::string_view rt_view(const rt_string* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s->data), s->len)
             : std::string_view();
}

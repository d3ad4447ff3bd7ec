// String functions. A disposable argument is changed in place; any other argument is
// copied into a new temporary and freed if it was a temporary. An argument that needs
// no change comes back unchanged.
#include <algorithm>
#include <bit>
#include <cstring>

#include "runtime/core/string_heap.h"

namespace {

rt_string* empty_result() {
    return rt_string_from_bytes("", 0);
}

// The argument itself when it may be changed, else a temporary copy of it.
rt_string* writable(rt_string* s) {
    if (is_disposable(s)) return s;
    rt_string* copy = rt_string_new(s->len, true);
    if (s->len > 0) std::memcpy(copy->data, s->data, size_t(s->len));
    if (s->temporary) rt_string_free(s);
    return copy;
}

// The n bytes at offset, cut out of s in place when s is disposable.
rt_string* substring(rt_string* s, int32_t offset, int32_t n) {
    if (offset == 0 && n == s->len) return s;
    if (is_disposable(s)) {
        s->data += offset;
        s->len = n;
        return s;
    }
    rt_string* part = rt_string_new(n, true);
    if (n > 0) std::memcpy(part->data, s->data + offset, size_t(n));
    if (s->temporary) rt_string_free(s);
    return part;
}

rt_string* change_case(rt_string* s, uint8_t first, uint8_t last, int delta) {
    if (error_is_pending() || !s) return empty_result();
    auto in_range = [first, last](uint8_t c) { return c >= first && c <= last; };
    if (std::none_of(s->data, s->data + s->len, in_range)) return s;
    rt_string* r = writable(s);
    for (int32_t i = 0; i < r->len; ++i)
        if (in_range(r->data[i])) r->data[i] = uint8_t(r->data[i] + delta);
    return r;
}

rt_string* filled(int32_t n, uint8_t byte) {
    if (error_is_pending()) return empty_result();
    rt_string* s = rt_string_new(std::max(n, 0), true);
    if (s->len > 0) std::memset(s->data, byte, size_t(s->len));
    return s;
}

int32_t leading_spaces(const rt_string* s) {
    int32_t k = 0;
    while (k < s->len && s->data[k] == ' ') ++k;
    return k;
}

int32_t trailing_spaces(const rt_string* s) {
    int32_t k = 0;
    while (k < s->len && s->data[s->len - 1 - k] == ' ') ++k;
    return k;
}

static_assert(std::endian::native == std::endian::little, "byte images are little-endian");

template <class T> rt_string* byte_image(T v) {
    if (error_is_pending()) return empty_result();
    rt_string* s = rt_string_new(sizeof(T), true);
    std::memcpy(s->data, &v, sizeof(T));
    return s;
}

template <class T> T number_of_image(const rt_string* s) {
    if (error_is_pending() || !s) return T{};
    if (s->len < int32_t(sizeof(T))) {
        rt_raise_error(err_illegal_function_call);
        return T{};
    }
    T v;
    std::memcpy(&v, s->data, sizeof(T));
    return v;
}

} // namespace

rt_string* rt_ucase(rt_string* s) {
    return change_case(s, 'a', 'z', -32);
}
rt_string* rt_lcase(rt_string* s) {
    return change_case(s, 'A', 'Z', 32);
}

rt_string* rt_chr(int32_t code) {
    if (error_is_pending()) return empty_result();
    if (code < 0 || code > 255) {
        rt_raise_error(err_illegal_function_call);
        return empty_result();
    }
    return filled(1, uint8_t(code));
}

rt_string* rt_space(int32_t n) {
    return filled(n, ' ');
}
rt_string* rt_string_fill(int32_t n, int32_t code) {
    return filled(n, uint8_t(code & 0xFF));
}

rt_string* rt_left(rt_string* s, int32_t n) {
    if (error_is_pending() || !s) return empty_result();
    return substring(s, 0, std::clamp(n, 0, s->len));
}

rt_string* rt_right(rt_string* s, int32_t n) {
    if (error_is_pending() || !s) return empty_result();
    int32_t kept = std::clamp(n, 0, s->len);
    return substring(s, s->len - kept, kept);
}

rt_string* rt_mid(rt_string* s, int32_t start, int32_t n, bool n_given) {
    if (error_is_pending() || !s) return empty_result();
    int64_t first = start;
    int64_t count = n_given ? n : int64_t(s->len) - first + 1;
    if (first < 1) {
        count -= 1 - first;
        first = 1;
    }
    if (count < 1 || first > s->len) return substring(s, 0, 0);
    count = std::min(count, int64_t(s->len) - first + 1);
    return substring(s, int32_t(first - 1), int32_t(count));
}

rt_string* rt_ltrim(rt_string* s) {
    if (error_is_pending() || !s) return empty_result();
    int32_t k = leading_spaces(s);
    return substring(s, k, s->len - k);
}

rt_string* rt_rtrim(rt_string* s) {
    if (error_is_pending() || !s) return empty_result();
    return substring(s, 0, s->len - trailing_spaces(s));
}

int32_t rt_instr(int32_t start, rt_string* s, rt_string* t, bool start_given) {
    if (error_is_pending() || !s || !t) return 0;
    if (!start_given) start = 1;
    if (s->len == 0) return 0;
    if (start <= 0) {
        if (t->len == 0) return 0;
        start = 1;
    }
    if (start > s->len) return 0;
    if (t->len == 0) return start;
    if (t->len > s->len - start + 1) return 0;
    std::string_view rest = rt_view(s).substr(size_t(start - 1));
    size_t at = rest.find(rt_view(t));
    return at == std::string_view::npos ? 0 : start + int32_t(at);
}

void rt_mid_assign(rt_string* s, int32_t start, int32_t n, rt_string* t, bool n_given) {
    if (error_is_pending() || !s || !t) return;
    if (start < 1 || (n_given && n < 0)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    int64_t count = std::min(int64_t(s->len) - start + 1, int64_t(t->len));
    if (n_given) count = std::min(count, int64_t(n));
    if (count > 0 && !s->read_only) std::memmove(s->data + start - 1, t->data, size_t(count));
    if (t->temporary && t != s) rt_string_free(t);
}

rt_string* rt_mkb(uint8_t v) {
    return byte_image(v);
}
rt_string* rt_mki(int16_t v) {
    return byte_image(v);
}
rt_string* rt_mkl(int32_t v) {
    return byte_image(v);
}
rt_string* rt_mkq(int64_t v) {
    return byte_image(v);
}
rt_string* rt_mks(float v) {
    return byte_image(v);
}
rt_string* rt_mkd(double v) {
    return byte_image(v);
}
uint8_t rt_cvb(rt_string* s) {
    return number_of_image<uint8_t>(s);
}
int16_t rt_cvi(rt_string* s) {
    return number_of_image<int16_t>(s);
}
int32_t rt_cvl(rt_string* s) {
    return number_of_image<int32_t>(s);
}
int64_t rt_cvq(rt_string* s) {
    return number_of_image<int64_t>(s);
}
float rt_cvs(rt_string* s) {
    return number_of_image<float>(s);
}
double rt_cvd(rt_string* s) {
    return number_of_image<double>(s);
}

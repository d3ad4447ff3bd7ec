// Cost of typical string statements: a variable built up by concatenation, a
// variable assigned a fresh temporary, and a statement that makes many temporaries.
#include <chrono>
#include <cstdio>

#include "runtime/core/rt_string.h"

namespace {

template <class Body> double nanoseconds_per(int times, Body&& body) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) body(i);
    std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / times;
}

} // namespace

int main() {
    rt_strings_init();
    int32_t mark = rt_temporary_count();

    rt_string* line = rt_string_new(0, false);
    double append = nanoseconds_per(100000, [&](int) {
        rt_string_assign(line, rt_string_concat(line, rt_string_from_text("x")));
        rt_release_temporaries(mark, 0);
        if (line->len >= 2000) rt_string_assign(line, rt_string_from_text(""));
    });

    rt_string* v = rt_string_new(0, false);
    double take_over = nanoseconds_per(1000000, [&](int i) {
        rt_string_assign(v, rt_ucase(rt_space(i % 64)));
        rt_release_temporaries(mark, 0);
    });

    double many = nanoseconds_per(1000, [&](int) {
        for (int k = 0; k < 100; ++k) rt_chr(65 + k % 26);
        rt_release_temporaries(mark, 0);
    });

    std::printf("append one byte to a variable: %.0f ns\n", append);
    std::printf("assign a temporary (taken over): %.0f ns\n", take_over);
    std::printf("statement with 100 temporaries: %.0f ns\n", many);
}

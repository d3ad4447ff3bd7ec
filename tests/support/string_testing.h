#pragma once
// Making and reading runtime strings in tests.
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/core/rt_string.h"

inline std::string text_of(const rt_string* s) {
    return std::string(rt_view(s));
}

// A heap string holding text: a variable, or a temporary when temporary is set.
inline rt_string* string_with(std::string_view text, bool temporary) {
    rt_string* s = rt_string_new(static_cast<int32_t>(text.size()), temporary);
    if (!text.empty()) std::memcpy(s->data, text.data(), text.size());
    return s;
}
inline rt_string* variable_with(std::string_view text) {
    return string_with(text, false);
}
inline rt_string* temporary_with(std::string_view text) {
    return string_with(text, true);
}

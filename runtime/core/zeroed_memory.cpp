#include "runtime/core/zeroed_memory.h"

#include <cstdlib>
#include <cstring>

void* grow_zeroed(void* block, size_t old_bytes, size_t new_bytes) {
    if (!block) return std::calloc(new_bytes, 1);
    auto* grown = static_cast<unsigned char*>(std::realloc(block, new_bytes));
    if (grown && new_bytes > old_bytes) std::memset(grown + old_bytes, 0, new_bytes - old_bytes);
    return grown;
}

#include "runtime/core/low_memory.h"

#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/zeroed_memory.h"

uint8_t* low_memory = nullptr;

void rt_low_memory_reset() {
    static uint8_t* block = nullptr;
    constexpr size_t bytes = low_memory_size + low_memory_spare;
    if (block)
        std::memset(block, 0, bytes);
    else
        block = static_cast<uint8_t*>(grow_zeroed(nullptr, 0, bytes));
    if (!block) rt_raise_error(err_low_memory);
    low_memory = block;
}

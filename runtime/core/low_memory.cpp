#include "runtime/core/low_memory.h"

#include <cstring>

#include "runtime/core/errors.h"

uint8_t* low_memory = nullptr;

void rt_low_memory_reset() {
    static uint8_t* block = nullptr;
    if (!block) {
        block = new (std::nothrow) uint8_t[low_memory_size + low_memory_spare];
        if (!block) rt_raise_error(err_low_memory);
    }
    std::memset(block, 0, low_memory_size + low_memory_spare);
    low_memory = block;
}

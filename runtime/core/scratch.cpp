// Bump allocator for routine locals and the return stack of local subroutine calls.
#include "runtime/core/scratch.h"

#include <cstdlib>
#include <new>

#include "runtime/core/errors.h"

rt_scratch_stack rt_scratch;
rt_return_stack_state rt_return_stack;

namespace {

void scratch_new_block(size_t size) {
    auto* block = static_cast<uint8_t*>(std::calloc(size, 1));
    if (!block) rt_raise_error(err_scratch_memory);
    rt_scratch.base = block;
    rt_scratch.top = block;
    rt_scratch.end = block + size;
    rt_scratch.size = size;
}

} // namespace

void rt_scratch_init() {
    scratch_new_block(scratch_first_block);
    rt_return_stack.entries =
        static_cast<uint32_t*>(std::calloc(return_stack_first_capacity, sizeof(uint32_t)));
    if (!rt_return_stack.entries) rt_raise_error(err_out_of_stack_space);
    rt_return_stack.count = 0;
    rt_return_stack.capacity = return_stack_first_capacity;
}

void* rt_scratch_alloc(size_t n) {
    if (static_cast<size_t>(rt_scratch.end - rt_scratch.top) > n) {
        uint8_t* old_top = rt_scratch.top;
        rt_scratch.top += n;
        return old_top;
    }
    // Earlier blocks stay where they are: locals already handed out keep their place.
    scratch_new_block(n + 2 * rt_scratch.size);
    rt_scratch.top = rt_scratch.base + n;
    return rt_scratch.base;
}

void rt_scratch_release(void* mark) {
    auto* m = static_cast<uint8_t*>(mark);
    rt_scratch.top = (m < rt_scratch.base || m > rt_scratch.end) ? rt_scratch.base : m;
}

void rt_return_push(uint32_t return_point) {
    rt_return_stack.entries[rt_return_stack.count++] = return_point;
    if (rt_return_stack.count >= rt_return_stack.capacity) rt_grow_return_stack();
}

uint32_t rt_return_pop() {
    if (rt_return_stack.count <= 0) {
        rt_raise_error(err_return_without_gosub);
        return 0;
    }
    return rt_return_stack.entries[--rt_return_stack.count];
}

void rt_grow_return_stack() {
    if (rt_return_stack.capacity <= 0 || rt_return_stack.capacity > INT32_MAX / 2)
        rt_raise_error(err_out_of_stack_space);
    const int32_t capacity = rt_return_stack.capacity * 2;
    void* grown = std::realloc(rt_return_stack.entries, sizeof(uint32_t) * capacity);
    if (!grown) rt_raise_error(err_out_of_stack_space);
    rt_return_stack.entries = static_cast<uint32_t*>(grown);
    rt_return_stack.capacity = capacity;
}

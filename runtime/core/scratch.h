#pragma once
// The scratch stack for the locals of application routines and the return stack of
// their local subroutine calls.
#include <cstddef>
#include <cstdint>

struct rt_scratch_stack {
    uint8_t* base = nullptr; // start of the current block
    uint8_t* top = nullptr;
    uint8_t* end = nullptr;
    size_t size = 0; // bytes of the current block
};
extern rt_scratch_stack rt_scratch;

struct rt_return_stack_state {
    uint32_t* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
};
extern rt_return_stack_state rt_return_stack;

constexpr size_t scratch_first_block = 1048576;
constexpr int32_t return_stack_first_capacity = 16384;

// Allocates the first scratch block and the return stack (process start).
void rt_scratch_init();
void* rt_scratch_alloc(size_t n);
void rt_scratch_release(void* mark);

void rt_return_push(uint32_t return_point);
// Pops a return point; an empty stack raises 3 and gives 0.
uint32_t rt_return_pop();
void rt_grow_return_stack();

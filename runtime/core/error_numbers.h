#pragma once
// Names of the runtime error numbers that the runtime itself raises. The messages are in
// the table beside rt_error_message; the critical numbers end the process when raised.
#include <cstdint>

enum rt_error_number : uint32_t {
    err_return_without_gosub = 3,
    err_illegal_function_call = 5,
    err_overflow = 6,
    err_out_of_memory = 7,
    err_division_by_zero = 11, // critical
    err_type_mismatch = 13,
    err_out_of_string_space = 14,
    err_resume_without_error = 20,
    err_device_timeout = 24,
    err_device_fault = 25,
    err_out_of_paper = 27,
    err_out_of_stack_space = 256,   // critical
    err_screen_out_of_memory = 257, // critical: a screen's pages could not be made
    err_invalid_handle = 258,
    err_function_unavailable = 262,
    // Critical "Out of memory" numbers, one for each allocation that can fail.
    err_image_table_memory = 502,
    err_free_slot_memory = 503,
    err_scratch_memory = 504,
    err_low_memory = 505,
    err_string_record_stack = 508,
    err_low_string_list = 509,
    err_heap_string_list = 510,
    err_temporary_list = 511,
    err_string_heap = 512,
    err_low_string_region = 513,
    err_first_input_snapshot = 516, // 517 for the second
    err_fill_memory = 518,          // flood-fill frontiers and visited map
};

#pragma once
// Blocks whose new bytes must read as zero, without writing the zeros where the C heap
// already guarantees them.
#include <cstddef>

// Grows (or first allocates) block from old_bytes to new_bytes with the new part zero;
// null when the heap refuses, the old block then left as it was. A first allocation comes
// from calloc: a large block is then fresh pages that cost neither time nor memory until
// they are used, where writing the zeros would make every page resident.
void* grow_zeroed(void* block, size_t old_bytes, size_t new_bytes);

#pragma once
// The zeroed block that stands for the real-mode address space: the tick count at
// 0x46C, the keyboard flags and key queue at 0x400..0x4FF, text pages at 0xB8000
// and the 320 x 200 page at 0xA0000.
#include <cstddef>
#include <cstdint>

constexpr size_t low_memory_size = 1114099;
constexpr size_t low_memory_spare = 65536; // the block beside it
// The program's 64 KiB data segment (0x500..0x104FF) holds the low-memory string
// region: string bytes grow up from its base, descriptors down from its top.
constexpr size_t default_segment_offset = 0x500;

extern uint8_t* low_memory;

// Allocates (once) and zeroes low_memory and the block beside it.
void rt_low_memory_reset();

#pragma once
// Finished pictures pass from the frame builder (service thread) to the display
// callback (window thread) through a ring of 64 slots, numbered 1 to 64.
#include <atomic>
#include <cstdint>

#include "runtime/window/picture_rect.h"

constexpr int32_t frame_ring_slots = 64;

struct frame_slot {
    uint32_t* pixels; // width x height, 0xAARRGGBB (bytes blue, green, red, alpha)
    int32_t width;
    int32_t height;
    int32_t length;             // bytes
    std::atomic<uint8_t> done;  // the display no longer needs it
    std::atomic<uint8_t> shown; // the display has drawn it
    picture_rect change;        // where it differs from the slot before it (builder only)
    picture_rect unshown;       // where it differs from the last slot the display drew
};

extern frame_slot frame_ring[frame_ring_slots + 1]; // slot 0 unused
extern std::atomic<int32_t> frame_newest;           // 0 before the first frame
extern std::atomic<int32_t> frame_oldest;
extern std::atomic<int32_t> frame_built; // set after every builder call

// One build: converts the visible page into the next slot unless nothing visible changed.
void frame_builder();
// Number of text cells drawn by the last build (for tests and benchmarks).
int32_t frame_cells_drawn();

// Program-thread operations: show the page now; wait until the next build.
void rt_display_now();
void rt_wait_for_refresh();

inline int32_t frame_ring_next(int32_t slot) {
    return slot % frame_ring_slots + 1;
}

// Blocks that must read as zero: new and grown blocks, and the emulated low memory, which
// a reset clears again however much of it was written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/core/low_memory.h"
#include "runtime/core/zeroed_memory.h"

namespace {

constexpr unsigned char written = 0xA5;

bool all_are(const unsigned char* bytes, size_t from, size_t to, unsigned char value) {
    return std::all_of(bytes + from, bytes + to, [value](unsigned char b) { return b == value; });
}

struct growth_case {
    const char* name;
    size_t old_bytes; // 0: no block yet
    size_t new_bytes;
};

TEST(ZeroedMemory, NewPartReadsZeroAndOldBytesStay) {
    constexpr growth_case cases[] = {
        {"first small block", 0, 100},
        {"first block of a megabyte", 0, 1 << 20},
        {"small block grown", 100, 300},
        {"small block grown past a megabyte", 100, (1 << 20) + 7},
        {"large block grown", 1 << 20, 3 << 20},
        {"block shrunk", 300, 100},
    };
    for (const growth_case& c : cases) {
        SCOPED_TRACE(c.name);
        void* block = nullptr;
        if (c.old_bytes > 0) {
            block = std::malloc(c.old_bytes);
            ASSERT_NE(block, nullptr);
            std::memset(block, written, c.old_bytes);
        }
        auto* grown = static_cast<unsigned char*>(grow_zeroed(block, c.old_bytes, c.new_bytes));
        ASSERT_NE(grown, nullptr);
        const size_t kept = std::min(c.old_bytes, c.new_bytes);
        EXPECT_TRUE(all_are(grown, 0, kept, written));
        EXPECT_TRUE(all_are(grown, kept, c.new_bytes, 0));
        std::free(grown);
    }
}

TEST(ZeroedMemory, LowMemoryResetClearsWhatWasWritten) {
    rt_low_memory_reset();
    ASSERT_NE(low_memory, nullptr);
    const size_t bytes = low_memory_size + low_memory_spare;
    EXPECT_TRUE(all_are(low_memory, 0, bytes, 0));
    std::memset(low_memory, written, bytes);
    rt_low_memory_reset();
    EXPECT_TRUE(all_are(low_memory, 0, bytes, 0));
}

} // namespace

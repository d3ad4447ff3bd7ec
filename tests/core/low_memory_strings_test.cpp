// Strings in the low-memory region: placement, descriptors, the descriptor stack,
// assignment between the two areas and compaction.
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/low_memory.h"
#include "runtime/core/string_heap.h"
#include "tests/support/scripted_boxes.h"
#include "tests/support/string_testing.h"

namespace {

constexpr size_t segment = 0x500;

class LowMemoryStrings : public ::testing::Test {
  protected:
    void SetUp() override {
        error_state.error_pending = 0;
        rt_low_memory_reset();
        rt_strings_init();
    }
    // The 16-bit length and offset of a descriptor at offset at of the segment.
    static std::pair<int, int> descriptor_at(size_t at) {
        const uint8_t* d = low_memory + segment + at;
        return {d[0] | d[1] << 8, d[2] | d[3] << 8};
    }
    static std::string segment_bytes(size_t at, size_t n) {
        return std::string(reinterpret_cast<const char*>(low_memory + segment + at), n);
    }
};

TEST_F(LowMemoryStrings, AVariableHasADescriptorAtTheTopOfTheSegment) {
    EXPECT_EQ(rt_descriptor_top(), 0x10000);
    rt_string* s = rt_string_new_low_memory(0, false);
    EXPECT_EQ(s->in_low_memory, 1);
    EXPECT_EQ(s->data, low_memory + segment);
    EXPECT_EQ(rt_descriptor_top(), 0xFFFC);
    EXPECT_EQ(s->descriptor_position, 0xFFFC);
    EXPECT_EQ(s->low_descriptor, low_memory + segment + 0xFFFC);

    rt_string_assign(s, rt_string_from_text("HELLO"));
    EXPECT_EQ(segment_bytes(0, 5), "HELLO");
    EXPECT_EQ(descriptor_at(0xFFFC), std::make_pair(5, 0));

    rt_string* b = rt_string_new_low_memory(3, false);
    rt_string_assign(b, temporary_with("WORLD!"));
    EXPECT_EQ(descriptor_at(0xFFF8), std::make_pair(6, 5));
    EXPECT_EQ(segment_bytes(5, 6), "WORLD!");
    EXPECT_EQ(string_heap.used, 0); // the heap temporary was copied and freed
    EXPECT_EQ(temp_list.count, 1);
}

TEST_F(LowMemoryStrings, TemporariesHaveNoDescriptor) {
    rt_string* t = rt_string_new_low_memory(4, true);
    EXPECT_EQ(t->low_descriptor, nullptr);
    EXPECT_EQ(t->temporary, 1);
    EXPECT_EQ(rt_descriptor_top(), 0x10000);
    rt_release_temporaries(1, 0);
    EXPECT_EQ(low_list.count, 0);
}

TEST_F(LowMemoryStrings, ALowMemoryVariableTakesOverALowMemoryTemporary) {
    rt_string* v = rt_string_new_low_memory(0, false);
    rt_string* t = rt_string_new_low_memory(3, true);
    std::memcpy(t->data, "abc", 3);
    uint8_t* bytes = t->data;
    rt_string_assign(v, t);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(descriptor_at(0xFFFC), std::make_pair(3, 32));
    EXPECT_EQ(text_of(v), "abc");
}

TEST_F(LowMemoryStrings, AHeapVariableCopiesALowMemoryTemporary) {
    rt_string* v = variable_with("");
    rt_string* t = rt_string_new_low_memory(3, true);
    std::memcpy(t->data, "xyz", 3);
    rt_string_assign(v, t);
    EXPECT_EQ(v->in_low_memory, 0);
    EXPECT_EQ(v->data, string_heap.begin);
    EXPECT_EQ(text_of(v), "xyz");
    EXPECT_EQ(temp_list.count, 1);
    EXPECT_EQ(low_list.count, 0);
}

TEST_F(LowMemoryStrings, TheRoutineFrameRestoresTheDescriptorStack) {
    rt_string_new_low_memory(1, false);
    int32_t top = rt_descriptor_top();
    rt_string_new_low_memory(1, false);
    rt_string_new_low_memory(1, false);
    EXPECT_EQ(rt_descriptor_top(), top - 8);
    rt_descriptor_restore(top);
    EXPECT_EQ(rt_descriptor_top(), top);
    rt_descriptor_restore(0x20000); // beyond the segment: ignored
    EXPECT_EQ(rt_descriptor_top(), top);
}

TEST_F(LowMemoryStrings, CompactionMovesBytesAndUpdatesDescriptors) {
    rt_string* a = rt_string_new_low_memory(100, false);
    rt_string* big = rt_string_new_low_memory(40000, false);
    rt_string* c = rt_string_new_low_memory(10, false);
    std::memset(a->data, 'a', 100);
    std::memcpy(c->data, "cccccccccc", 10);
    rt_string_free(big);

    rt_string* n = rt_string_new_low_memory(30000, false);
    EXPECT_EQ(c->data, low_memory + segment + 100);
    EXPECT_EQ(descriptor_at(c->descriptor_position), std::make_pair(10, 100));
    EXPECT_EQ(text_of(c), "cccccccccc");
    EXPECT_EQ(text_of(a), std::string(100, 'a'));
    EXPECT_EQ(n->data, low_memory + segment + 110);
    EXPECT_EQ(descriptor_at(n->descriptor_position), std::make_pair(30000, 110));
}

TEST_F(LowMemoryStrings, AFullRegionIsACriticalError) {
    EXPECT_EXIT(
        {
            script_message_boxes({});
            rt_string_new_low_memory(40000, false);
            rt_string_new_low_memory(40000, false);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace

// String records: heap placement, temporaries, the record pool, assignment,
// concatenation, comparison and heap and list growth.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/string_heap.h"
#include "tests/support/string_testing.h"

namespace {

class Strings : public ::testing::Test {
  protected:
    void SetUp() override {
        error_state.error_pending = 0;
        rt_strings_init();
    }
    static int64_t offset_of(const rt_string* s) { return s->data - string_heap.begin; }
};

TEST_F(Strings, NewStringsFollowEachOtherWithThirtyTwoSpareBytes) {
    EXPECT_EQ(string_heap.size, 1048576);
    EXPECT_EQ(temp_list.count, 1);
    rt_string* a = rt_string_new(10, false);
    rt_string* b = rt_string_new(0, true);
    EXPECT_EQ(offset_of(a), 0);
    EXPECT_EQ(offset_of(b), 42);
    EXPECT_EQ(string_heap.used, 74);
    EXPECT_EQ(heap_list.count, 2);
    EXPECT_EQ(b->list_index, 1);
    EXPECT_EQ(a->temp_index, 0);
    EXPECT_EQ(b->temp_index, 1);
    EXPECT_EQ(b->temporary, 1);
    EXPECT_EQ(temp_list.count, 2);
}

TEST_F(Strings, FreeingTheStatementsTemporariesInReverseRestoresUsed) {
    rt_string* v = variable_with("hello");
    int32_t mark = rt_temporary_count();
    rt_string* t1 = temporary_with("abc");
    rt_string* t2 = temporary_with("defg");
    EXPECT_EQ(string_heap.used, 37 + 35 + 36);

    rt_string_free(t1); // in the middle: nothing behind t2 is released
    EXPECT_EQ(string_heap.used, 108);
    EXPECT_EQ(temp_list.count, 3);
    rt_string_free(t2);
    EXPECT_EQ(string_heap.used, 37);
    EXPECT_EQ(temp_list.count, mark);

    temporary_with("x");
    temporary_with("yz");
    EXPECT_EQ(rt_release_temporaries(mark, 1234), 1234);
    EXPECT_EQ(string_heap.used, 37);
    EXPECT_EQ(heap_list.count, 1);
    EXPECT_EQ(temp_list.count, mark);
    EXPECT_EQ(text_of(v), "hello");
}

TEST_F(Strings, ReleaseKeepsTemporariesBelowTheMark) {
    rt_string* outer = temporary_with("outer");
    int32_t mark = rt_temporary_count();
    temporary_with("inner");
    rt_string_from_text("text");
    rt_release_temporaries(mark, 0);
    EXPECT_EQ(temp_list.count, 2);
    EXPECT_EQ(temp_list.entries[1], outer);
    EXPECT_EQ(text_of(outer), "outer");
}

TEST_F(Strings, AFreedRecordIsReusedClearedBeforeANewOne) {
    rt_string* t = rt_string_fixed(nullptr, 0, true);
    rt_string_free(t);
    rt_string* u = rt_string_new(2, false);
    EXPECT_EQ(u, t);
    EXPECT_EQ(u->fixed, 0);
    EXPECT_EQ(u->temporary, 0);
    EXPECT_EQ(u->temp_index, 0);
    EXPECT_NE(rt_string_new(1, false), t);
}

TEST_F(Strings, TextStringsAreReadOnlyTemporariesOverTheTextItself) {
    static const char text[] = "HELLO";
    int64_t used = string_heap.used;
    rt_string* s = rt_string_from_text(text);
    EXPECT_EQ(s->data, reinterpret_cast<const uint8_t*>(text));
    EXPECT_EQ(s->len, 5);
    EXPECT_EQ(s->read_only, 1);
    EXPECT_EQ(s->temporary, 1);
    EXPECT_EQ(string_heap.used, used);
    EXPECT_EQ(rt_string_from_text(nullptr)->len, 0);
    EXPECT_EQ(text_of(rt_string_from_bytes("a\0b", 3)), std::string("a\0b", 3));

    rt_release_temporaries(1, 0);
    EXPECT_STREQ(text, "HELLO");
    EXPECT_EQ(temp_list.count, 1);
}

TEST_F(Strings, MakeTemporaryListsAVariableOnce) {
    rt_string* v = variable_with("v");
    EXPECT_EQ(rt_string_make_temporary(v), v);
    EXPECT_EQ(v->temporary, 1);
    EXPECT_EQ(v->temp_index, 1);
    rt_string_make_temporary(v);
    EXPECT_EQ(temp_list.count, 2);
    rt_release_temporaries(1, 0);
    EXPECT_EQ(heap_list.count, 0);
    EXPECT_EQ(string_heap.used, 0);
}

TEST_F(Strings, FixedStringsKeepTheirLengthPaddedWithSpaces) {
    uint8_t buffer[5] = {'a', 'b', 'c', 'd', 'e'};
    rt_string* f = rt_string_fixed(buffer, 5, false);
    rt_string_assign(f, temporary_with("xyz"));
    EXPECT_EQ(std::string(buffer, buffer + 5), "xyz  ");
    rt_string_assign(f, rt_string_from_text("1234567"));
    EXPECT_EQ(std::string(buffer, buffer + 5), "12345");
    EXPECT_EQ(f->len, 5);
    EXPECT_EQ(temp_list.count, 1);
    EXPECT_EQ(string_heap.used, 0);

    rt_string* v = variable_with("");
    rt_string_assign(v, f);
    EXPECT_EQ(text_of(v), "12345");
}

TEST_F(Strings, AssigningATemporaryTakesItsBytesWithoutACopy) {
    rt_string* v = variable_with("old");
    rt_string* t = temporary_with("abcd");
    uint8_t* bytes = t->data;
    int32_t index = t->list_index;

    EXPECT_EQ(rt_string_assign(v, t), v);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(text_of(v), "abcd");
    EXPECT_EQ(v->list_index, index);
    EXPECT_EQ(heap_list.entries[index], v);
    EXPECT_EQ(heap_list.entries[0], freed_entry());
    EXPECT_EQ(temp_list.count, 1);
    EXPECT_EQ(record_pool.free[record_pool.free_count - 1], t);
}

TEST_F(Strings, AShorterValueIsCopiedOverTheVariablesBytes) {
    rt_string* v = variable_with("longer text");
    rt_string* w = variable_with("short");
    uint8_t* bytes = v->data;
    rt_string_assign(v, w);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(text_of(v), "short");
    EXPECT_EQ(text_of(w), "short");
    EXPECT_NE(v->data, w->data);
}

TEST_F(Strings, TheLastVariableGrowsInPlace) {
    rt_string* v = variable_with("");
    std::string expected;
    static const std::string long_text(300, '#');
    for (int n = 1; n <= 300; ++n) {
        rt_string_assign(v, rt_string_from_bytes(long_text.data(), n));
        ASSERT_EQ(v->data, string_heap.begin);
        ASSERT_EQ(string_heap.used, n);
    }
    EXPECT_EQ(text_of(v), long_text);
}

TEST_F(Strings, AVariableGrowsIntoTheSpareBytesUntilTheNextString) {
    rt_string* v = variable_with("");
    rt_string* w = variable_with("w");
    rt_string_assign(v, rt_string_from_text("0123456789012345678901234567890")); // 31 bytes
    EXPECT_EQ(offset_of(v), 0);
    EXPECT_EQ(text_of(w), "w");

    rt_string_assign(v, rt_string_from_text("0123456789012345678901234567890123"));
    EXPECT_EQ(offset_of(v), 65); // moved behind w, without spare bytes
    EXPECT_EQ(string_heap.used, 65 + 34);
    EXPECT_EQ(heap_list.entries[0], freed_entry());
    EXPECT_EQ(v->list_index, 2);
    EXPECT_EQ(text_of(v), "0123456789012345678901234567890123");
    EXPECT_EQ(text_of(w), "w");
}

TEST_F(Strings, AFreedTailBehindTheVariableIsDroppedAndItGrowsInPlace) {
    variable_with("a");
    rt_string* t = temporary_with("tt");
    rt_string* b = variable_with("b");
    rt_string_assign(b, t); // b takes t's entry; its own last entry is left freed
    EXPECT_EQ(heap_list.count, 3);
    uint8_t* bytes = b->data;

    rt_string_assign(b, rt_string_from_text("a much longer text than before"));
    EXPECT_EQ(b->data, bytes);
    EXPECT_EQ(heap_list.count, 2);
    EXPECT_EQ(string_heap.used, offset_of(b) + 30);
    EXPECT_EQ(text_of(b), "a much longer text than before");
}

TEST_F(Strings, ConcatenationWithAnEmptyOperandReturnsTheOtherRecord) {
    rt_string* v = variable_with("abc");
    rt_string* empty = rt_string_from_text("");
    EXPECT_EQ(rt_string_concat(empty, v), v);
    EXPECT_EQ(rt_string_concat(v, empty), v);

    rt_string* w = variable_with("");
    rt_string_assign(w, rt_string_concat(empty, v));
    EXPECT_NE(w->data, v->data);
    rt_string_assign(v, rt_string_from_text("xyz"));
    EXPECT_EQ(text_of(w), "abc");
    EXPECT_EQ(text_of(v), "xyz");
}

TEST_F(Strings, ConcatenationFreesTemporaryOperandsOnly) {
    rt_string* v = variable_with("cd");
    rt_string* r = rt_string_concat(temporary_with("ab"), v);
    EXPECT_EQ(text_of(r), "abcd");
    EXPECT_EQ(r->temporary, 1);
    EXPECT_EQ(temp_list.count, 3); // the freed operand's slot stays until the release
    EXPECT_EQ(temp_list.entries[1], freed_entry());
    EXPECT_EQ(text_of(v), "cd");

    rt_string* t = temporary_with("xy");
    int32_t free_records = record_pool.free_count;
    rt_string* twice = rt_string_concat(t, t);
    EXPECT_EQ(text_of(twice), "xyxy");
    EXPECT_EQ(record_pool.free_count, free_records + 1);
}

struct ordering_case {
    const char* a;
    const char* b;
    int32_t less, greater, equal;
};

TEST_F(Strings, ComparisonsOrderBytesThenLengths) {
    const std::vector<ordering_case> cases = {
        {"A", "AB", -1, 0, 0},    {"", "A", -1, 0, 0},       {"B", "AB", 0, -1, 0},
        {"AB", "AB", 0, 0, -1},   {"", "", 0, 0, -1},        {"\xff", "a", 0, -1, 0},
        {"abc", "abd", -1, 0, 0}, {"abd", "abcz", 0, -1, 0},
    };
    for (const ordering_case& c : cases) {
        rt_string* a = rt_string_from_text(c.a);
        rt_string* b = rt_string_from_text(c.b);
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(rt_string_less(a, b), c.less);
        EXPECT_EQ(rt_string_greater(a, b), c.greater);
        EXPECT_EQ(rt_string_equal(a, b), c.equal);
        EXPECT_EQ(rt_string_not_equal(a, b), c.equal ? 0 : -1);
        EXPECT_EQ(rt_string_less_equal(a, b), (c.less || c.equal) ? -1 : 0);
        EXPECT_EQ(rt_string_greater_equal(a, b), (c.greater || c.equal) ? -1 : 0);
    }
    EXPECT_EQ(temp_list.count, 1 + 2 * int32_t(cases.size())); // operands are not freed
}

TEST_F(Strings, CompactionClosesGapsOfMoreThanThirtyTwoBytes) {
    rt_string* a = variable_with("aaaaaaaaaa");          // 0, next at 42
    rt_string* c = variable_with(std::string(100, 'c')); // 42
    rt_string* big = rt_string_new(600000, false);       // 174
    rt_string* d = variable_with(std::string(100, 'd')); // 600206
    rt_string_free(big);

    rt_string* n = rt_string_new(500000, false);
    EXPECT_EQ(string_heap.size, 1048576);
    EXPECT_EQ(offset_of(a), 0);
    EXPECT_EQ(offset_of(c), 42); // a gap of exactly 32 bytes stays
    EXPECT_EQ(offset_of(d), 142);
    EXPECT_EQ(offset_of(n), 242);
    EXPECT_EQ(text_of(a), "aaaaaaaaaa");
    EXPECT_EQ(text_of(c), std::string(100, 'c'));
    EXPECT_EQ(text_of(d), std::string(100, 'd'));
}

TEST_F(Strings, TheHeapGrowsAndEveryStringMovesWithIt) {
    rt_string* v = variable_with(std::string(1000000, 'v'));
    rt_string* t = temporary_with(std::string(100000, 't'));
    EXPECT_EQ(string_heap.size, 100032 + 2 * 1048576);
    EXPECT_EQ(offset_of(v), 0);
    EXPECT_EQ(offset_of(t), 1000000);
    EXPECT_EQ(text_of(v), std::string(1000000, 'v'));
    EXPECT_EQ(text_of(t), std::string(100000, 't'));
}

TEST_F(Strings, TheLastVariableMovesWhenItWouldPassTheHeapsEnd) {
    rt_string* v = variable_with(std::string(1048544, 'v'));
    EXPECT_EQ(string_heap.used, string_heap.size);
    const std::string longer(1048600, 'w');
    rt_string_assign(v, rt_string_from_bytes(longer.data(), int32_t(longer.size())));
    EXPECT_EQ(string_heap.size, 1048600 + 2 * 1048576);
    EXPECT_EQ(offset_of(v), 0);
    EXPECT_EQ(string_heap.used, 1048600);
    EXPECT_EQ(text_of(v), longer);
}

TEST_F(Strings, TheHeapListDoublesWhenMoreThanHalfOfItIsLive) {
    std::vector<rt_string*> all;
    for (int i = 0; i < 70000; ++i) all.push_back(rt_string_new(0, false));
    EXPECT_EQ(heap_list.capacity, 131070);
    EXPECT_EQ(heap_list.count, 70000);
    for (int i = 0; i < 70000; ++i) ASSERT_EQ(heap_list.entries[all[i]->list_index], all[i]);
}

TEST_F(Strings, AFullHeapListWithFewLiveEntriesIsOnlyCompacted) {
    std::vector<rt_string*> all;
    for (int i = 0; i < 65535; ++i) all.push_back(rt_string_new(0, false));
    std::vector<rt_string*> live;
    for (int i = 0; i < 65535; ++i) {
        if (i % 3 == 2)
            live.push_back(all[i]);
        else
            rt_string_free(all[i]);
    }
    live.push_back(rt_string_new(0, false)); // fills the last slot
    live.push_back(rt_string_new(0, false)); // finds the list full
    EXPECT_EQ(heap_list.capacity, 65535);
    EXPECT_EQ(heap_list.count, int32_t(live.size()));
    for (size_t i = 0; i < live.size(); ++i) {
        ASSERT_EQ(live[i]->list_index, int32_t(i));
        ASSERT_EQ(heap_list.entries[i], live[i]);
    }
}

TEST_F(Strings, TheTemporaryListDoublesAfter65535LiveTemporaries) {
    std::vector<rt_string*> temps;
    for (int i = 0; i < 65535; ++i) temps.push_back(rt_string_new(1, true));
    EXPECT_EQ(temp_list.capacity, 65535);
    rt_string* next = rt_string_new(1, true);
    EXPECT_EQ(temp_list.capacity, 131070);
    EXPECT_EQ(next->temp_index, 65536);
    EXPECT_EQ(temp_list.entries[65536], next);
    EXPECT_EQ(temp_list.entries[1], temps[0]);
    rt_release_temporaries(1, 0);
    EXPECT_EQ(temp_list.count, 1);
    EXPECT_EQ(string_heap.used, 0);
}

TEST_F(Strings, OperationsDoNothingWhileAnErrorIsPending) {
    rt_string* v = variable_with("keep");
    error_state.error_pending = 5;
    rt_string_assign(v, rt_string_from_text("other"));
    EXPECT_EQ(text_of(v), "keep");
    EXPECT_EQ(rt_string_concat(v, v)->len, 0);
    EXPECT_EQ(rt_string_equal(v, v), 0);
    rt_release_temporaries(1, 0);
    EXPECT_EQ(temp_list.count, 1);
}

TEST_F(Strings, AReadOnlyDestinationIsNeverWritten) {
    static const char constant[] = "constant";
    rt_string* d = rt_string_from_text(constant);
    rt_string_assign(d, variable_with("new"));
    EXPECT_EQ(text_of(d), "new");
    EXPECT_STREQ(constant, "constant");
    EXPECT_EQ(d->read_only, 0);
    EXPECT_EQ(heap_list.entries[d->list_index], d);
}

} // namespace

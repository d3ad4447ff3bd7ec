// String functions: results, the in-place rule for temporaries, clamping of counts,
// searching, overwriting and byte images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/string_heap.h"
#include "tests/support/string_testing.h"

namespace {

class StringFunctions : public ::testing::Test {
  protected:
    void SetUp() override {
        error_state.error_pending = 0;
        rt_strings_init();
    }
};

TEST_F(StringFunctions, CaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(text_of(rt_ucase(temporary_with("abz AZ {`} 09 \xe4"))), "ABZ AZ {`} 09 \xe4");
    EXPECT_EQ(text_of(rt_lcase(temporary_with("ABZ az [@] 09 \xc4"))), "abz az [@] 09 \xc4");
}

TEST_F(StringFunctions, ADisposableArgumentIsChangedInPlace) {
    rt_string* t = temporary_with("mixed Case");
    EXPECT_EQ(rt_ucase(t), t);
    EXPECT_EQ(text_of(t), "MIXED CASE");
    EXPECT_EQ(rt_lcase(t), t);
    EXPECT_EQ(rt_left(t, 5), t);
    EXPECT_EQ(rt_right(t, 3), t);
    EXPECT_EQ(text_of(t), "xed");
    EXPECT_EQ(temp_list.count, 2);
}

TEST_F(StringFunctions, AnArgumentThatNeedsNoChangeIsReturnedUnchanged) {
    rt_string* v = variable_with("NO LOWER 123");
    EXPECT_EQ(rt_ucase(v), v);
    rt_string* text = rt_string_from_text("lower only");
    EXPECT_EQ(rt_lcase(text), text);
    EXPECT_EQ(rt_left(v, 99), v);
    EXPECT_EQ(rt_right(v, 12), v);
    EXPECT_EQ(rt_mid(v, 1, 0, false), v);
    EXPECT_EQ(rt_ltrim(v), v);
    EXPECT_EQ(rt_rtrim(v), v);
    EXPECT_EQ(text_of(v), "NO LOWER 123");
}

TEST_F(StringFunctions, AReadOnlyTextGivesANewTemporaryAndStaysIntact) {
    static const char constant[] = "read only";
    rt_string* text = rt_string_from_text(constant);
    rt_string* r = rt_ucase(text);
    EXPECT_NE(r, text);
    EXPECT_EQ(text_of(r), "READ ONLY");
    EXPECT_EQ(r->temporary, 1);
    EXPECT_EQ(r->read_only, 0);
    EXPECT_STREQ(constant, "read only");
    EXPECT_EQ(temp_list.entries[1], freed_entry()); // the text's record was freed
}

TEST_F(StringFunctions, AVariableArgumentIsCopiedAndKept) {
    rt_string* v = variable_with("  padded  ");
    rt_string* r = rt_ltrim(v);
    EXPECT_NE(r, v);
    EXPECT_EQ(text_of(r), "padded  ");
    EXPECT_EQ(text_of(rt_rtrim(v)), "  padded");
    EXPECT_EQ(text_of(rt_mid(v, 3, 3, true)), "pad");
    EXPECT_EQ(text_of(v), "  padded  ");
    EXPECT_EQ(v->temporary, 0);
}

TEST_F(StringFunctions, FillStrings) {
    EXPECT_EQ(text_of(rt_space(3)), "   ");
    EXPECT_EQ(text_of(rt_space(-4)), "");
    EXPECT_EQ(text_of(rt_string_fill(4, '*')), "****");
    EXPECT_EQ(text_of(rt_string_fill(2, 0x141)), "AA");
    EXPECT_EQ(text_of(rt_string_fill(-1, '*')), "");
    EXPECT_EQ(text_of(rt_string_fill(0, '*')), "");
    EXPECT_EQ(rt_space(2)->temporary, 1);
}

TEST_F(StringFunctions, ChrTakesCodesUpTo255) {
    EXPECT_EQ(text_of(rt_chr(65)), "A");
    EXPECT_EQ(text_of(rt_chr(0)), std::string(1, '\0'));
    EXPECT_EQ(text_of(rt_chr(255)), "\xff");
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(text_of(rt_chr(256)), "");
    EXPECT_EQ(error_state.error_pending, 5u);
    error_state.error_pending = 0;
    EXPECT_EQ(text_of(rt_chr(-1)), "");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(StringFunctions, LeftAndRightClampTheirCounts) {
    rt_string* v = variable_with("abcdef");
    EXPECT_EQ(text_of(rt_left(v, 2)), "ab");
    EXPECT_EQ(text_of(rt_left(v, 0)), "");
    EXPECT_EQ(text_of(rt_left(v, -3)), "");
    EXPECT_EQ(text_of(rt_left(v, 10)), "abcdef");
    EXPECT_EQ(text_of(rt_right(v, 2)), "ef");
    EXPECT_EQ(text_of(rt_right(v, -1)), "");
    EXPECT_EQ(text_of(rt_right(v, 7)), "abcdef");
}

struct mid_case {
    int32_t start, n;
    bool n_given;
    const char* expected;
};

TEST_F(StringFunctions, MidCutsFromAOneBasedStart) {
    const std::vector<mid_case> cases = {
        {2, 3, true, "bcd"},
        {2, 0, false, "bcdef"},
        {5, 10, true, "ef"},
        {6, 1, true, "f"},
        {7, 1, true, ""},
        {7, 0, false, ""},
        {0, 3, true, "ab"},
        {-1, 3, true, "a"},
        {-2, 3, true, ""},
        {0, 0, false, "abcdef"},
        {3, 0, true, ""},
        {3, -2, true, ""},
        {1, 2147483647, true, "abcdef"},
        {-2147483647, 2147483647, true, ""},
    };
    rt_string* v = variable_with("abcdef");
    for (const mid_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.n));
        EXPECT_EQ(text_of(rt_mid(v, c.start, c.n, c.n_given)), c.expected);
        rt_string* t = temporary_with("abcdef");
        rt_string* r = rt_mid(t, c.start, c.n, c.n_given);
        EXPECT_EQ(r, t);
        EXPECT_EQ(text_of(r), c.expected);
    }
}

TEST_F(StringFunctions, TrimsRemoveSpacesOnly) {
    EXPECT_EQ(text_of(rt_ltrim(temporary_with("  \tx  "))), "\tx  ");
    EXPECT_EQ(text_of(rt_rtrim(temporary_with("  x\t  "))), "  x\t");
    EXPECT_EQ(text_of(rt_ltrim(temporary_with("    "))), "");
    EXPECT_EQ(text_of(rt_rtrim(temporary_with("    "))), "");
    EXPECT_EQ(text_of(rt_rtrim(rt_string_from_text(""))), "");
}

struct instr_case {
    int32_t start;
    bool start_given;
    const char* s;
    const char* t;
    int32_t expected;
};

TEST_F(StringFunctions, InstrFindsTheFirstOccurrenceAtOrAfterStart) {
    const std::vector<instr_case> cases = {
        {0, false, "hello world", "o", 5},
        {6, true, "hello world", "o", 8},
        {9, true, "hello world", "o", 0},
        {0, false, "hello", "xyz", 0},
        {0, false, "", "", 0},
        {0, false, "", "a", 0},
        {0, true, "abc", "", 0},
        {-5, true, "abc", "", 0},
        {0, true, "abc", "b", 2},
        {-5, true, "abc", "a", 1},
        {4, true, "abc", "", 0},
        {4, true, "abc", "c", 0},
        {2, true, "abc", "", 2},
        {0, false, "abc", "", 1},
        {2, true, "abc", "bcd", 0},
        {1, true, "abc", "abc", 1},
        {1, true, "aaab", "aab", 2},
        {3, true, "abcabc", "abc", 4},
    };
    for (const instr_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " '" + c.s + "' '" + c.t + "'");
        EXPECT_EQ(
            rt_instr(c.start, rt_string_from_text(c.s), rt_string_from_text(c.t), c.start_given),
            c.expected);
    }
}

TEST_F(StringFunctions, MidAssignOverwritesWithoutChangingTheLength) {
    rt_string* v = variable_with("abcdef");
    rt_mid_assign(v, 2, 0, rt_string_from_text("XY"), false);
    EXPECT_EQ(text_of(v), "aXYdef");
    rt_mid_assign(v, 5, 0, rt_string_from_text("123456"), false);
    EXPECT_EQ(text_of(v), "aXYd12");
    rt_mid_assign(v, 1, 1, rt_string_from_text("ZZZ"), true);
    EXPECT_EQ(text_of(v), "ZXYd12");
    rt_mid_assign(v, 7, 0, rt_string_from_text("Q"), false);
    EXPECT_EQ(text_of(v), "ZXYd12");
    rt_mid_assign(v, 3, 0, rt_string_from_text("Q"), true);
    EXPECT_EQ(text_of(v), "ZXYd12");
    EXPECT_EQ(error_state.error_pending, 0u);

    rt_mid_assign(v, 0, 0, rt_string_from_text("Q"), false);
    EXPECT_EQ(error_state.error_pending, 5u);
    EXPECT_EQ(text_of(v), "ZXYd12");
}

TEST_F(StringFunctions, MidAssignWritesIntoAFixedBuffer) {
    uint8_t buffer[4] = {'w', 'x', 'y', 'z'};
    rt_string* f = rt_string_fixed(buffer, 4, false);
    rt_mid_assign(f, 3, 0, temporary_with("123"), false);
    EXPECT_EQ(std::string(buffer, buffer + 4), "wx12");
    EXPECT_EQ(temp_list.count, 1);
}

TEST_F(StringFunctions, ByteImagesAreLittleEndian) {
    EXPECT_EQ(text_of(rt_mkb(0xAB)), "\xab");
    EXPECT_EQ(text_of(rt_mki(0x1234)), "\x34\x12");
    EXPECT_EQ(text_of(rt_mki(-2)), "\xfe\xff");
    EXPECT_EQ(text_of(rt_mkl(0x01020304)), "\x04\x03\x02\x01");
    EXPECT_EQ(text_of(rt_mkq(0x0102030405060708)), "\x08\x07\x06\x05\x04\x03\x02\x01");
    EXPECT_EQ(text_of(rt_mks(1.0f)), std::string("\x00\x00\x80\x3f", 4));
    EXPECT_EQ(text_of(rt_mkd(-2.0)), std::string("\x00\x00\x00\x00\x00\x00\x00\xc0", 8));

    EXPECT_EQ(rt_cvb(rt_mkb(200)), 200);
    EXPECT_EQ(rt_cvi(rt_mki(-12345)), -12345);
    EXPECT_EQ(rt_cvl(rt_mkl(-123456789)), -123456789);
    EXPECT_EQ(rt_cvq(rt_mkq(-1234567890123LL)), -1234567890123LL);
    EXPECT_EQ(rt_cvs(rt_mks(3.25f)), 3.25f);
    EXPECT_EQ(rt_cvd(rt_mkd(0.1)), 0.1);
    EXPECT_EQ(rt_cvi(rt_string_from_text("\x01\x02\x03")), 0x0201); // extra bytes ignored
    EXPECT_EQ(error_state.error_pending, 0u);
}

TEST_F(StringFunctions, TooShortAByteImageRaisesFive) {
    EXPECT_EQ(rt_cvl(rt_string_from_text("abc")), 0);
    EXPECT_EQ(error_state.error_pending, 5u);
    error_state.error_pending = 0;
    EXPECT_EQ(rt_cvd(rt_mkl(7)), 0.0);
    EXPECT_EQ(error_state.error_pending, 5u);
    error_state.error_pending = 0;
    EXPECT_EQ(rt_cvb(rt_string_from_text("")), 0);
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(StringFunctions, FunctionsGiveEmptyResultsWhileAnErrorIsPending) {
    rt_string* v = variable_with("abc");
    error_state.error_pending = 6;
    EXPECT_EQ(rt_ucase(v)->len, 0);
    EXPECT_EQ(rt_left(v, 1)->len, 0);
    EXPECT_EQ(rt_space(5)->len, 0);
    EXPECT_EQ(rt_instr(1, v, v, false), 0);
    rt_mid_assign(v, 1, 0, rt_string_from_text("x"), false);
    EXPECT_EQ(text_of(v), "abc");
    EXPECT_EQ(error_state.error_pending, 6u);
}

} // namespace

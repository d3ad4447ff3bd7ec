// Default number text: integers, singles and doubles, fixed and exponent forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/core/errors.h"
#include "runtime/core/number_text.h"
#include "tests/support/string_testing.h"

namespace {

class NumberText : public ::testing::Test {
  protected:
    void SetUp() override { rt_strings_init(); }

    template <class T> static std::string text(T value) { return text_of(rt_str_number(value)); }
};

TEST_F(NumberText, IntegersPrintAllDigitsWithASignPosition) {
    EXPECT_EQ(text(int16_t{5}), " 5");
    EXPECT_EQ(text(int16_t{-5}), "-5");
    EXPECT_EQ(text(int16_t{-32768}), "-32768");
    EXPECT_EQ(text(int8_t{-128}), "-128");
    EXPECT_EQ(text(int32_t{0}), " 0");
    EXPECT_EQ(text(int32_t{2147483647}), " 2147483647");
    EXPECT_EQ(text(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(text(uint8_t{255}), " 255");
    EXPECT_EQ(text(uint16_t{65535}), " 65535");
    EXPECT_EQ(text(uint32_t{4294967295u}), " 4294967295");
    EXPECT_EQ(text(std::numeric_limits<uint64_t>::max()), " 18446744073709551615");
}

TEST_F(NumberText, SingleExamples) {
    EXPECT_EQ(text(0.0f), " 0");
    EXPECT_EQ(text(1.5f), " 1.5");
    EXPECT_EQ(text(100.0f), " 100");
    EXPECT_EQ(text(1234567.0f), " 1234567");
    EXPECT_EQ(text(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(text(0.0001f), " .0001");
    EXPECT_EQ(text(0.00000001f), " 1E-08");
    EXPECT_EQ(text(-2.5f), "-2.5");
    EXPECT_EQ(text(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(text(2.0f / 3.0f), " .6666667");
    EXPECT_EQ(text(123.456f), " 123.456");
    EXPECT_EQ(text(-0.001234f), "-.001234");
}

TEST_F(NumberText, SingleSwitchesToExponentFormAtSevenDigits) {
    EXPECT_EQ(text(9999999.0f), " 9999999");
    EXPECT_EQ(text(10000000.0f), " 1E+07");
    EXPECT_EQ(text(-12345678.0f), "-1.234568E+07");
    EXPECT_EQ(text(0.0000001f), " .0000001");
    EXPECT_EQ(text(0.00000015f), " 1.5E-07");
    EXPECT_EQ(text(0.1234567f), " .1234567");
    EXPECT_EQ(text(0.01234567f), " 1.234567E-02");
    EXPECT_EQ(text(1e-37f), " 1E-37");
    EXPECT_EQ(text(1e-38f), " 9.999999E-39"); // below the normal range
    EXPECT_EQ(text(3.4e38f), " 3.4E+38");
    EXPECT_EQ(text(0.99999994f), " .9999999");
}

TEST_F(NumberText, DoubleExamples) {
    EXPECT_EQ(text(1.0 / 3.0), " .3333333333333333");
    EXPECT_EQ(text(0.1), " .1");
    EXPECT_EQ(text(1e16), " 1D+16");
    EXPECT_EQ(text(1e15), " 1000000000000000");
    EXPECT_EQ(text(0.00001), " .00001");
    EXPECT_EQ(text(1e300), " 1D+300");
    EXPECT_EQ(text(std::sqrt(2.0)), " 1.414213562373095");
}

TEST_F(NumberText, DoubleSixteenthDigitNineFallsBackToFifteenDigits) {
    EXPECT_EQ(text(0.29999999999999993), " .3");
    EXPECT_EQ(text(0.9999999999999999), " 1");
    EXPECT_EQ(text(0.1 + 0.2), " .3");
    EXPECT_EQ(text(-0.29999999999999993), "-.3");
}

TEST_F(NumberText, DoubleSwitchesToExponentFormAtSixteenDigits) {
    EXPECT_EQ(text(9999999999999998.0), " 9999999999999998");
    EXPECT_EQ(text(12345678901234567.0), " 1.234567890123457D+16");
    EXPECT_EQ(text(1e-16), " .0000000000000001");
    EXPECT_EQ(text(1.5e-16), " 1.5D-16");
    EXPECT_EQ(text(1e-17), " 1D-17");
    EXPECT_EQ(text(-1e-300), "-1D-300");
    EXPECT_EQ(text(-2.5), "-2.5");
}

TEST_F(NumberText, ZeroNeverShowsAMinusSign) {
    EXPECT_EQ(text(-0.0f), " 0");
    EXPECT_EQ(text(-0.0), " 0");
    EXPECT_EQ(text(0.0), " 0");
}

TEST_F(NumberText, ExtendedIsShownAsDouble) {
    EXPECT_EQ(text(1.0L / 3.0L), " .3333333333333333");
    EXPECT_EQ(text(1e16L), " 1D+16");
}

TEST_F(NumberText, NonFiniteValuesKeepTheLibraryText) {
    double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(text(inf), " inf");
    EXPECT_EQ(text(-inf), "-inf");
    EXPECT_EQ(text(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(text(std::numeric_limits<float>::quiet_NaN()), " nan");
    EXPECT_EQ(text(-std::numeric_limits<double>::quiet_NaN()), " nan");
    EXPECT_EQ(text(-std::numeric_limits<float>::quiet_NaN()), " nan");
    EXPECT_EQ(text(static_cast<long double>(inf)), " inf");
}

TEST_F(NumberText, ResultIsANewTemporary) {
    int32_t before = rt_temporary_count();
    rt_string* s = rt_str_number(1.5f);
    EXPECT_TRUE(s->temporary);
    EXPECT_FALSE(s->read_only);
    EXPECT_EQ(rt_temporary_count(), before + 1);
}

TEST_F(NumberText, PendingErrorGivesEmptyText) {
    rt_raise_error(5);
    EXPECT_EQ(text(1.5f), "");
    EXPECT_EQ(text(int16_t{7}), "");
    EXPECT_EQ(text(uint64_t{7}), "");
}

} // namespace

// Checking a typed line against its targets: which lines are acceptable and what they give.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/console/line_input.h"
#include "runtime/core/errors.h"
#include "runtime/core/line_check.h"
#include "runtime/core/rt_string.h"

namespace {

constexpr uint32_t int8_type = 8;
constexpr uint32_t int32_type = 32;
constexpr uint32_t int64_type = 64;
constexpr uint32_t uint16_type = 16 | input_type_unsigned;
constexpr uint32_t uint64_type = 64 | input_type_unsigned;
constexpr uint32_t double_type = input_type_float | 64;
constexpr uint32_t extended_type = input_type_float | 256;
constexpr uint32_t whole_line_type = input_type_string | input_type_whole_line;

struct outcome {
    bool accepted;
    std::vector<input_value> values;
};

outcome check(std::string_view line, std::initializer_list<input_rule> rules) {
    std::vector<input_rule> list(rules);
    outcome result{false, std::vector<input_value>(list.size())};
    result.accepted = check_input_line(line, list.data(), static_cast<int32_t>(list.size()),
                                       result.values.data());
    return result;
}

bool accepts(std::string_view line, uint32_t type) {
    return check(line, {{type, -1}}).accepted;
}

int64_t integer_of(std::string_view line, uint32_t type) {
    const outcome result = check(line, {{type, -1}});
    EXPECT_TRUE(result.accepted) << line;
    return static_cast<int64_t>(result.values[0].integer);
}

long double real_of(std::string_view line, uint32_t type) {
    const outcome result = check(line, {{type, -1}});
    EXPECT_TRUE(result.accepted) << line;
    return result.values[0].real;
}

// Every prefix of the typed text, as the editor checks it key by key; returns the longest
// prefix that every step accepted (the editor takes back each refused key).
std::string typed(std::string_view keys, uint32_t type) {
    std::string line;
    for (const char key : keys) {
        line.push_back(key);
        if (!accepts(line, type)) line.pop_back();
    }
    return line;
}

TEST(LineCheck, TypingKeepsOnlyWhatStaysValid) {
    EXPECT_EQ(typed("12a", input_integer), "12");
    EXPECT_EQ(typed("05", input_integer), "0");
    EXPECT_EQ(typed("0.5", input_single), "0.5");
    EXPECT_EQ(typed("40000", input_integer), "4000");
    EXPECT_EQ(typed("1D5", input_single), "15");
    EXPECT_EQ(typed("1D5", double_type), "1D5");
    EXPECT_EQ(typed("12  3", input_integer), "123");
    EXPECT_EQ(typed("1 .5", input_single), "1.5");
}

TEST(LineCheck, SignedSixteenBitRange) {
    EXPECT_EQ(integer_of("32767", input_integer), 32767);
    EXPECT_EQ(integer_of("-32768", input_integer), -32768);
    EXPECT_FALSE(accepts("32768", input_integer));
    EXPECT_FALSE(accepts("-32769", input_integer));
    EXPECT_EQ(integer_of("-", input_integer), 0);
    EXPECT_EQ(integer_of("", input_integer), 0);
    EXPECT_EQ(integer_of("-0", input_integer), 0);
    EXPECT_FALSE(accepts("-05", input_integer));
    EXPECT_FALSE(accepts("--1", input_integer));
    EXPECT_FALSE(accepts("+1", input_integer));
    EXPECT_FALSE(accepts("1.5", input_integer));
}

TEST(LineCheck, OtherIntegerWidths) {
    EXPECT_EQ(integer_of("127", int8_type), 127);
    EXPECT_FALSE(accepts("128", int8_type));
    EXPECT_EQ(integer_of("-2147483648", int32_type), INT32_MIN);
    EXPECT_FALSE(accepts("2147483648", int32_type));
    EXPECT_EQ(integer_of("65535", uint16_type), 65535);
    EXPECT_FALSE(accepts("65536", uint16_type));
    EXPECT_FALSE(accepts("-", uint16_type));
    EXPECT_FALSE(accepts("-1", uint16_type));
}

TEST(LineCheck, SixtyFourBitLimits) {
    EXPECT_EQ(integer_of("9223372036854775807", int64_type), INT64_MAX);
    EXPECT_EQ(integer_of("-9223372036854775808", int64_type), INT64_MIN);
    EXPECT_FALSE(accepts("9223372036854775808", int64_type));
    EXPECT_FALSE(accepts("-9223372036854775809", int64_type));
    EXPECT_FALSE(accepts("10000000000000000000", int64_type));
    EXPECT_EQ(static_cast<uint64_t>(integer_of("18446744073709551615", uint64_type)), UINT64_MAX);
    EXPECT_FALSE(accepts("18446744073709551616", uint64_type));
    EXPECT_FALSE(accepts("100000000000000000000", uint64_type));
}

TEST(LineCheck, HexadecimalAndOctalForms) {
    EXPECT_EQ(integer_of("&", input_integer), 0);
    EXPECT_EQ(integer_of("&H", input_integer), 0);
    EXPECT_EQ(integer_of("&o", input_integer), 0);
    EXPECT_EQ(integer_of("&H7fFf", input_integer), 32767);
    EXPECT_EQ(integer_of("&HFFFF", input_integer), -1); // the bits of the 16-bit target
    EXPECT_EQ(integer_of("&HFFFF", uint16_type), 65535);
    EXPECT_EQ(integer_of("&O177777", input_integer), -1);
    EXPECT_EQ(integer_of("&o17", input_integer), 15);
    EXPECT_FALSE(accepts("&H10000", input_integer));
    EXPECT_FALSE(accepts("&H0FFFF", input_integer)); // five digits
    EXPECT_FALSE(accepts("&O200000", input_integer));
    EXPECT_FALSE(accepts("&O8", input_integer));
    EXPECT_FALSE(accepts("&HG", input_integer));
    EXPECT_FALSE(accepts("&X1", input_integer));
    EXPECT_FALSE(accepts("&H-1", input_integer));
    EXPECT_EQ(static_cast<uint64_t>(integer_of("&HFFFFFFFFFFFFFFFF", uint64_type)), UINT64_MAX);
    EXPECT_EQ(static_cast<uint64_t>(integer_of("&O1777777777777777777777", uint64_type)),
              UINT64_MAX);
    EXPECT_FALSE(accepts("&O2000000000000000000000", uint64_type));
    EXPECT_EQ(real_of("&H10", input_single), 16.0L);
    EXPECT_EQ(real_of("&HFFFFFFFF", input_single), -1.0L);
    EXPECT_EQ(real_of("&H7FFFFFFFFFFFFFFF", extended_type), 9223372036854775807.0L);
    EXPECT_EQ(real_of("&H7FFFFFFFFFFFFFFF", double_type), 9223372036854775808.0L);
}

TEST(LineCheck, SingleFloats) {
    EXPECT_EQ(real_of("0.5", input_single), 0.5L);
    EXPECT_EQ(real_of(".25", input_single), 0.25L);
    EXPECT_EQ(real_of("-1.5e2", input_single), -150.0L);
    EXPECT_EQ(real_of("1E+2", input_single), 100.0L);
    EXPECT_EQ(real_of("1.1", input_single), static_cast<long double>(1.1f));
    EXPECT_EQ(real_of("-", input_single), 0.0L);
    EXPECT_FALSE(std::signbit(real_of("-0.0", input_single)));
    EXPECT_FALSE(accepts("05", input_single));
    EXPECT_FALSE(accepts("0E5", input_single));
    EXPECT_FALSE(accepts("1.2.3", input_single));
    EXPECT_FALSE(accepts("1E05", input_single));
    EXPECT_FALSE(accepts("1E1.5", input_single));
    EXPECT_FALSE(accepts("E5", input_single));
    EXPECT_FALSE(accepts("-E5", input_single));
    EXPECT_FALSE(accepts("1D5", input_single));
    EXPECT_FALSE(accepts("1 ", input_single));
}

TEST(LineCheck, UnfinishedFloatsKeepTheirCompletePart) {
    EXPECT_EQ(real_of("2.5E", input_single), 2.5L);
    EXPECT_EQ(real_of("2.5E-", input_single), 2.5L);
    EXPECT_EQ(real_of("-.", input_single), 0.0L);
    EXPECT_EQ(real_of("7.", input_single), 7.0L);
}

TEST(LineCheck, SingleRangeLimits) {
    EXPECT_EQ(real_of("3.402823E38", input_single), static_cast<long double>(3.402823e38f));
    EXPECT_EQ(real_of("340282300000000000000000000000000000000", input_single),
              static_cast<long double>(3.402823e38f));
    EXPECT_FALSE(accepts("3.402824E38", input_single));
    EXPECT_FALSE(accepts("1E39", input_single));
    EXPECT_FALSE(accepts("3.4028236E38", input_single)); // rounds past the largest single
    EXPECT_EQ(real_of("1.401298E-45", input_single), static_cast<long double>(FLT_TRUE_MIN));
    EXPECT_FALSE(accepts("1.401297E-45", input_single));
    EXPECT_FALSE(accepts("9E-46", input_single));
    EXPECT_TRUE(accepts("0." + std::string(43, '0') + "2", input_single));
    EXPECT_FALSE(accepts("0." + std::string(44, '0'), input_single));
    EXPECT_TRUE(accepts("1.2345678", input_single));
    EXPECT_FALSE(accepts("1.23456789", input_single));
    EXPECT_TRUE(accepts("123456789012", input_single)); // no point: any number of digits
}

TEST(LineCheck, DoubleAndExtendedRangeLimits) {
    for (const uint32_t type : {double_type, extended_type}) {
        EXPECT_EQ(real_of("1.7976931E308", type), static_cast<long double>(1.7976931e308));
        EXPECT_EQ(real_of("-1.7976931d308", type), static_cast<long double>(-1.7976931e308));
        EXPECT_FALSE(accepts("1.7976932E308", type));
        EXPECT_FALSE(accepts("1.79769315E308", type));
        EXPECT_FALSE(accepts("1E309", type));
        EXPECT_EQ(real_of("4.940656E-324", type), static_cast<long double>(DBL_TRUE_MIN));
        EXPECT_FALSE(accepts("4.940655E-324", type));
        EXPECT_FALSE(accepts("1E-325", type));
        EXPECT_TRUE(accepts("1.234567890123456", type));
        EXPECT_FALSE(accepts("1.2345678901234567", type));
        EXPECT_TRUE(accepts("0." + std::string(322, '0') + "5", type));
        EXPECT_FALSE(accepts("0." + std::string(323, '0'), type));
        EXPECT_EQ(real_of("0.1", type), static_cast<long double>(0.1)); // read through a double
    }
}

TEST(LineCheck, FieldsAndQuotes) {
    const outcome two = check("12,\"a,b\"", {{input_integer, -1}, {input_string, -1}});
    ASSERT_TRUE(two.accepted);
    EXPECT_EQ(two.values[0].integer, 12u);
    EXPECT_EQ(two.values[1].text, "a,b");

    EXPECT_FALSE(check("1,2", {{input_integer, -1}}).accepted);
    EXPECT_FALSE(check("1,", {{input_integer, -1}}).accepted);
    EXPECT_TRUE(check("1,", {{input_integer, -1}, {input_integer, -1}}).accepted);
    EXPECT_FALSE(check("\"ab\"c", {{input_string, -1}}).accepted);
    EXPECT_TRUE(check("\"ab\"", {{input_string, -1}}).accepted);

    const outcome open = check("\"ab,c", {{input_string, -1}});
    ASSERT_TRUE(open.accepted);
    EXPECT_EQ(open.values[0].text, "ab,c");

    const outcome inner = check("a\"b", {{input_string, -1}});
    ASSERT_TRUE(inner.accepted);
    EXPECT_EQ(inner.values[0].text, "a\"b");

    const outcome quoted_number = check("\"12\"", {{input_integer, -1}});
    ASSERT_TRUE(quoted_number.accepted);
    EXPECT_EQ(quoted_number.values[0].integer, 12u);
}

TEST(LineCheck, TargetsWithoutAFieldGetNothing) {
    const outcome line = check("", {{input_single, -1}, {input_string, -1}, {input_integer, -1}});
    ASSERT_TRUE(line.accepted);
    EXPECT_EQ(line.values[0].real, 0.0L);
    EXPECT_EQ(line.values[1].text, "");
    EXPECT_EQ(line.values[2].integer, 0u);
}

TEST(LineCheck, WholeLineAndFixedLengthStrings) {
    const outcome whole = check("a,\"b\",c", {{whole_line_type, -1}});
    ASSERT_TRUE(whole.accepted);
    EXPECT_EQ(whole.values[0].text, "a,\"b\",c");

    EXPECT_TRUE(check("abcde", {{input_string, 5}}).accepted);
    EXPECT_FALSE(check("abcdef", {{input_string, 5}}).accepted);
    EXPECT_TRUE(check("\"abcde\"", {{input_string, 5}}).accepted);
}

TEST(LineCheck, TypeCodes) {
    EXPECT_TRUE(input_type_valid(input_single));
    EXPECT_TRUE(input_type_valid(input_integer));
    EXPECT_TRUE(input_type_valid(input_string));
    EXPECT_TRUE(input_type_valid(whole_line_type));
    EXPECT_TRUE(input_type_valid(extended_type));
    EXPECT_TRUE(input_type_valid(uint64_type));
    EXPECT_FALSE(input_type_valid(input_type_float | 16));
    EXPECT_FALSE(input_type_valid(12));
    EXPECT_FALSE(input_type_valid(0));
}

// Targets are checked before any key is read: each fault raises 5 and reads nothing.
TEST(LineInputTargets, BadTargetsRaiseIllegalFunctionCall) {
    rt_strings_init();
    int16_t value = 0;
    const auto raised = [](auto call) {
        error_state.error_pending = 0;
        call();
        return error_state.error_pending;
    };
    EXPECT_EQ(raised([&] { rt_input_target(0, &value, input_integer); }), 5u);
    EXPECT_EQ(raised([&] { rt_input_target(max_input_targets + 1, &value, input_integer); }), 5u);
    EXPECT_EQ(raised([&] { rt_input_target(1, nullptr, input_integer); }), 5u);
    EXPECT_EQ(raised([&] { rt_input_target(1, &value, input_type_float | 16); }), 5u);
    EXPECT_EQ(raised([&] { rt_input_target(1, &value, input_integer); }), 0u);
    EXPECT_EQ(input_targets[1].address, &value);
    EXPECT_EQ(raised([] { rt_input(0, false); }), 5u);
    EXPECT_EQ(raised([] { rt_input(2, false); }), 5u); // target 2 was never set
}

} // namespace

// Picture templates: numeric and string fields, literal text, rounding, overflow,
// several values in one template and the errors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/print_using.h"
#include "tests/support/string_testing.h"

namespace {

class PrintUsing : public ::testing::Test {
  protected:
    void SetUp() override { rt_strings_init(); }

    // Formats one value from start and returns the appended text; next_start gets
    // the result.
    template <class T> std::string format(std::string_view picture, T value, int32_t start = 0) {
        rt_string* out = nullptr;
        next_start = rt_print_using(picture_of(picture), start, &out, value);
        return text_of(out);
    }

    std::string format_text(std::string_view picture, std::string_view value) {
        return format(picture, temporary_with(value));
    }

    static rt_string* picture_of(std::string_view picture) {
        return rt_string_from_bytes(picture.data(), static_cast<int32_t>(picture.size()));
    }

    int32_t next_start = -1;
};

TEST_F(PrintUsing, ExamplesOfTheApplicationsFields) {
    EXPECT_EQ(format("###.###", 12.3456), " 12.346");
    EXPECT_EQ(format("##.##", 0.5), " 0.50");
    EXPECT_EQ(format("##.##", 123.4), "%123.40");
    EXPECT_EQ(format("##.##", -5.0), "-5.00");
    EXPECT_EQ(format("##.##", -15.0), "%-15.00");
    EXPECT_EQ(format("$$##.###", 5.5), "  $5.500");
    EXPECT_EQ(format("$$##.###", -5.5), " -$5.500");
    EXPECT_EQ(format("$$.##", 0.25), "$0.25");
    EXPECT_EQ(format("$$.##", 12.5), "%$12.50");
    EXPECT_EQ(format("###%", 45.0), " 45%");
    EXPECT_EQ(format_text("\\              \\", "E7018"), "E7018           ");
}

TEST_F(PrintUsing, SinglesAreFormattedFromTheirExactValue) {
    EXPECT_EQ(format("###.###", 12.3456f), " 12.346");
    EXPECT_EQ(format("THE CARBON EQUIVELANT IS  #.### %", 0.4f),
              "THE CARBON EQUIVELANT IS  0.400 %");
    // 0.1f is slightly above 0.1, 0.7f slightly below 0.7.
    EXPECT_EQ(format("#.#########", 0.1f), "0.100000001");
    EXPECT_EQ(format("#.#########", 0.7f), "0.699999988");
    EXPECT_EQ(format("THE CROSS SECTIONAL AREA OF THIS JOINT IS ###.### SQUARE INCHES", 0.5625f),
              "THE CROSS SECTIONAL AREA OF THIS JOINT IS   0.563 SQUARE INCHES");
}

TEST_F(PrintUsing, CommasGroupByThrees) {
    EXPECT_EQ(format("#,###.##", 1234.5), "1,234.50");
    EXPECT_EQ(format("#,###,###", 1234567.0), "1,234,567");
    EXPECT_EQ(format("##,###", 123.0), "   123");
    EXPECT_EQ(format("##,###", -1234.0), "-1,234");
    EXPECT_EQ(format("#,###", 1234567.0), "%1,234,567");
}

TEST_F(PrintUsing, AsteriskFillAndDollarSign) {
    EXPECT_EQ(format("**$##.##", 5.5), "***$5.50");
    EXPECT_EQ(format("**##", 12.0), "**12");
    EXPECT_EQ(format("**.##", 0.25), "*0.25");
    EXPECT_EQ(format("$$###.##", 1234.5), "$1234.50");
    EXPECT_EQ(format("$$###.##", 12345.0), "%$12345.00");
}

TEST_F(PrintUsing, SignElements) {
    EXPECT_EQ(format("+##.##", 5.0), "+ 5.00");
    EXPECT_EQ(format("+##.##", -5.0), "- 5.00");
    EXPECT_EQ(format("+#.#", -15.0), "%-15.0");
    EXPECT_EQ(format("##.##-", -5.0), " 5.00-");
    EXPECT_EQ(format("##.##-", 5.0), " 5.00 ");
    EXPECT_EQ(format("##.##+", 5.0), " 5.00+");
    EXPECT_EQ(format("##.##+", -15.0), "15.00-");
}

TEST_F(PrintUsing, RoundsHalfUpAtTheLastDigit) {
    EXPECT_EQ(format("##", 2.5), " 3");
    EXPECT_EQ(format("##", 3.5), " 4");
    EXPECT_EQ(format("##", 0.4), " 0");
    EXPECT_EQ(format("##", 0.6), " 1");
    EXPECT_EQ(format("#.#", 0.25), "0.3");
    EXPECT_EQ(format("#.##", 9.999), "%10.00");
    EXPECT_EQ(format(".#", 0.06), ".1");
    EXPECT_EQ(format(".#", 0.006), ".0");
    EXPECT_EQ(format("##.##", -0.001), "-0.00");
}

TEST_F(PrintUsing, RoundingCarryMayOverflowTheField) {
    EXPECT_EQ(format("##.#", 99.96), "%100.0");
    EXPECT_EQ(format("##.#", 99.94), "99.9");
    EXPECT_EQ(format("###", 999.5), "%1000");
}

TEST_F(PrintUsing, FieldWithoutIntegerPositions) {
    EXPECT_EQ(format(".##", 0.0), ".00");
    EXPECT_EQ(format(".##", 0.5), ".50");
    EXPECT_EQ(format(".##", int64_t{0}), ".00");
    EXPECT_EQ(format(".##", 0.0L), ".00");
    EXPECT_EQ(format(".##", -0.5), "%-.50");
    EXPECT_EQ(format(".##", 2.5), "%2.50");
    EXPECT_EQ(format(".#", 0.96), "%1.0");
}

TEST_F(PrintUsing, TooLargeValuesAreWrittenInFull) {
    EXPECT_EQ(format("#", 1e20), "%100000000000000000000");
    std::string huge = format("#.#", 1e308);
    EXPECT_EQ(huge.size(), 1u + 309u + 2u);
    EXPECT_EQ(huge.substr(0, 18), "%10000000000000000");
    std::string extended = format("#", 1e4000L);
    // The nearest extended value lies just below 1E4000: 4000 integer digits.
    EXPECT_EQ(extended.size(), 1u + 4000u);
    EXPECT_EQ(extended.substr(0, 7), "%999999");
    EXPECT_EQ(format("#", std::numeric_limits<uint64_t>::max()), "%18446744073709551615");
}

TEST_F(PrintUsing, ExponentForms) {
    EXPECT_EQ(format("##.##^^^^", 1234.5f), " 1.23E+03");
    EXPECT_EQ(format("##.##^^^^", 1234.5), " 1.23D+03");
    EXPECT_EQ(format("##.##^^^^", 1234.5L), " 1.23F+03");
    EXPECT_EQ(format("##.##^^^^", -1234.5), "-1.23D+03");
    EXPECT_EQ(format("##.##^^^^^", 1234.5), " 1.23D+003");
    EXPECT_EQ(format("+#.##^^^^", 1234.5), "+1.23D+03");
    EXPECT_EQ(format("###.#^^^^-", -0.012345), "123.5D-04-");
    EXPECT_EQ(format("$$#.#^^^^", 25.0), "$ 2.5D+01");
    EXPECT_EQ(format("##^^^^", int64_t{0}), " 0E+00");
}

TEST_F(PrintUsing, ExponentFormSignPosition) {
    // A non-negative value gets the sign position back as a digit, or as a 0 before
    // the point when the field has decimals.
    EXPECT_EQ(format("#^^^^", 5.0), "5D+00");
    EXPECT_EQ(format("#^^^^", -5.0), "%-5D+00");
    EXPECT_EQ(format("#.##^^^^", 0.05), "0.50D-01");
    EXPECT_EQ(format("#.##^^^^", 0.05L), "0.50F-01");
    EXPECT_EQ(format(".##^^^^", 0.5), "0.5D+00");
    EXPECT_EQ(format(".##^^^^", -0.5), "-.5D+00");
    EXPECT_EQ(format(".#^^^^", 5.0), " 5D+00");
}

TEST_F(PrintUsing, ExponentRoundingAndOverflow) {
    EXPECT_EQ(format("##.#^^^^", 9.96), " 1.0D+01");
    EXPECT_EQ(format("##.##^^^^", 1e100), "% 1.00D+100");
    EXPECT_EQ(format("##.##^^^^", 1e-100), "% 1.00D-100");
    EXPECT_EQ(format("##.##^^^^^", 1e100), " 1.00D+100");
    EXPECT_EQ(format("##.##^^^^", 1e-300L), "% 1.00F-300");
    EXPECT_EQ(format("##.##^^^^", int64_t{15000}), " 1.50E+04");
    EXPECT_EQ(format("#.#^^^^", int64_t{15000}), "0.2E+05");
}

TEST_F(PrintUsing, IntegerVariants) {
    EXPECT_EQ(format("####", int64_t{-42}), " -42");
    EXPECT_EQ(format("##.#", int64_t{7}), " 7.0");
    EXPECT_EQ(format("#,###", int64_t{-1000}), "%-1,000");
    EXPECT_EQ(format("####", uint64_t{42}), "  42");
    EXPECT_EQ(format("#", std::numeric_limits<int64_t>::min()), "%-9223372036854775808");
}

TEST_F(PrintUsing, StringFields) {
    EXPECT_EQ(format_text("!", "ABC"), "A");
    EXPECT_EQ(format_text("!", ""), " ");
    EXPECT_EQ(format_text("&", "ABC"), "ABC");
    EXPECT_EQ(format_text("\\\\", "ABC"), "AB");
    EXPECT_EQ(format_text("\\  \\", "AB"), "AB  ");
    EXPECT_EQ(format_text("NAME: & END", "X"), "NAME: X END");
    EXPECT_EQ(next_start, 0);
    // A lone backslash is literal text.
    EXPECT_EQ(format_text("\\ !", "AB"), "\\ A");
}

TEST_F(PrintUsing, LiteralText) {
    EXPECT_EQ(format("_###", 5.0), "# 5");
    EXPECT_EQ(format("##_", 5.0), " 5_");
    EXPECT_EQ(format("__##", 5.0), "_ 5");
    EXPECT_EQ(format("TOTAL. ##.", 5.0), "TOTAL.  5.");
    EXPECT_EQ(format("+ ##", 5.0), "+  5");
    EXPECT_EQ(format("- $ ##", 5.0), "- $  5");
}

TEST_F(PrintUsing, TwoValuesInOneTemplate) {
    const std::string_view picture = "DEPOSITION EFFICIENCY   ###%                       ###%";
    rt_string* out = nullptr;
    int32_t next = rt_print_using(picture_of(picture), 0, &out, 85.0f);
    EXPECT_EQ(text_of(out), "DEPOSITION EFFICIENCY    85%                       ");
    EXPECT_EQ(next, 51);
    next = rt_print_using(picture_of(picture), next, &out, 90.0f);
    EXPECT_EQ(text_of(out), "DEPOSITION EFFICIENCY    85%                        90%");
    EXPECT_EQ(next, 0);
}

TEST_F(PrintUsing, TemplateIsUsedAgainFromItsStart) {
    rt_string* out = nullptr;
    rt_string* picture = picture_of("A## ");
    int32_t next = rt_print_using(picture, 0, &out, 1.0);
    EXPECT_EQ(next, 0);
    next = rt_print_using(picture, next, &out, 2.0);
    EXPECT_EQ(text_of(out), "A 1 A 2 ");
    // A start behind the last field wraps round to the first one.
    EXPECT_EQ(format("## X ", 3.0, 3), "X  3 X ");
    EXPECT_EQ(next_start, 0);
}

TEST_F(PrintUsing, AppendsToTheOutputString) {
    rt_string* out = variable_with("X=");
    rt_string* variable = out;
    rt_print_using(picture_of("##"), 0, &out, 5.0);
    EXPECT_EQ(text_of(out), "X= 5");
    EXPECT_TRUE(out->temporary);
    EXPECT_EQ(text_of(variable), "X=");
}

TEST_F(PrintUsing, StringForNumericFieldIsATypeMismatch) {
    EXPECT_EQ(format_text("VALUE ##.##", "AB"), "VALUE ");
    EXPECT_EQ(next_start, 0);
    EXPECT_EQ(error_state.error_pending, 13u);
}

TEST_F(PrintUsing, NumberForStringFieldIsATypeMismatch) {
    EXPECT_EQ(format("NAME \\  \\", 5.0), "NAME ");
    EXPECT_EQ(error_state.error_pending, 13u);
}

TEST_F(PrintUsing, TemplateWithoutFieldIsAnIllegalCall) {
    EXPECT_EQ(format("NO FIELD", 5.0), "NO FIELD");
    EXPECT_EQ(next_start, 0);
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, TemplateWithoutFieldFromAnInnerStartEnds) {
    EXPECT_EQ(format("NO FIELD", 5.0, 3), "FIELDNO FIELD");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, EmptyTemplateIsAnIllegalCall) {
    EXPECT_EQ(format("", 5.0), "");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, StartOutsideTheTemplateIsAnIllegalCall) {
    EXPECT_EQ(format("##", 5.0, 3), "");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, InfinityIsAnIllegalCall) {
    EXPECT_EQ(format("A ##", std::numeric_limits<float>::infinity()), "");
    EXPECT_EQ(next_start, 0);
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, NotANumberIsAnIllegalCall) {
    EXPECT_EQ(format("##", std::nan("")), "");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, ExtendedInfinityIsAnIllegalCall) {
    EXPECT_EQ(format("##", -std::numeric_limits<long double>::infinity()), "");
    EXPECT_EQ(error_state.error_pending, 5u);
}

TEST_F(PrintUsing, PendingErrorAppendsNothing) {
    rt_raise_error(6);
    EXPECT_EQ(format("A ##", 5.0), "");
    EXPECT_EQ(next_start, 0);
    EXPECT_EQ(format_text("A &", "X"), "");
    EXPECT_EQ(format("A ##", int64_t{5}), "");
    EXPECT_EQ(error_state.error_pending, 6u);
}

} // namespace

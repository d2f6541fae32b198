#include <gtest/gtest.h>

#include <limits>
#include <locale>
#include <sstream>

#include "settings/number_text.h"

namespace tideglass {
namespace {

struct IntegerCase {
    const char* text;
    std::optional<int32_t> expected;
};

std::ostream& operator<<(std::ostream& out, const IntegerCase& c) {
    return out << '"' << c.text << '"';
}

class ParseIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, ReadsLikeAClassicStreamExtraction) {
    const IntegerCase& c = GetParam();
    EXPECT_EQ(parseInteger(c.text), c.expected);

    // The rule is "what the standard stream does"; hold the table to it.
    std::istringstream stream(c.text);
    stream.imbue(std::locale::classic());
    int32_t value = 0;
    stream >> value;
    EXPECT_EQ(stream.fail() ? std::nullopt : std::optional<int32_t>(value), c.expected);
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    IniValues, ParseIntegerTest,
    ::testing::Values(
        IntegerCase{"100", 100}, IntegerCase{"abc", std::nullopt}, IntegerCase{"30x", 30},
        IntegerCase{"  -7", -7}, IntegerCase{"+12", 12}, IntegerCase{"0xFF0000", 0},
        IntegerCase{"0x80000000", 0}, IntegerCase{"2147483647", 2147483647},
        IntegerCase{"2147483648", std::nullopt}, IntegerCase{"-2147483648", kMin},
        IntegerCase{"-2147483649", std::nullopt}, IntegerCase{"4292927712", std::nullopt},
        IntegerCase{"99999999999999999999999", std::nullopt}, IntegerCase{"-16777216", -16777216},
        IntegerCase{"-2039584", -2039584}, IntegerCase{"000000000000000000000012", 12},
        IntegerCase{"-0", 0}, IntegerCase{"", std::nullopt}, IntegerCase{"+", std::nullopt},
        IntegerCase{"-", std::nullopt}, IntegerCase{" +-5", std::nullopt},
        IntegerCase{"- 5", std::nullopt}, IntegerCase{"\t\n\v\f\r 42", 42}, IntegerCase{"1 2", 1},
        IntegerCase{"1,000", 1}, IntegerCase{"7.9", 7}, IntegerCase{"true", std::nullopt},
        IntegerCase{"yes", std::nullopt},
        IntegerCase{"\xa0"
                    "5",
                    std::nullopt}));

TEST(FormatInteger, WritesPlainSignedDecimal) {
    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(250), "250");
    EXPECT_EQ(formatInteger(-2039584), "-2039584");
    EXPECT_EQ(formatInteger(kMin), "-2147483648");
    EXPECT_EQ(formatInteger(2147483647), "2147483647");
}

struct RealCase {
    const char* text;
    std::optional<double> expected;
};

std::ostream& operator<<(std::ostream& out, const RealCase& c) {
    return out << '"' << c.text << '"';
}

class ParseRealTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(ParseRealTest, ReadsLikeAClassicStreamExtraction) {
    EXPECT_EQ(parseReal(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    IniValues, ParseRealTest,
    ::testing::Values(RealCase{"1.5", 1.5}, RealCase{"  -2e3", -2000.0}, RealCase{"+.5", 0.5},
                      RealCase{"5.", 5.0}, RealCase{"1.25E-2x", 0.0125}, RealCase{"7,5", 7.0},
                      RealCase{".", std::nullopt}, RealCase{"-.e1", std::nullopt},
                      RealCase{"1e", std::nullopt}, RealCase{"1e+", std::nullopt},
                      RealCase{"1e400", std::nullopt}, RealCase{"-1e400", std::nullopt},
                      RealCase{"abc", std::nullopt}, RealCase{"inf", std::nullopt},
                      RealCase{"nan", std::nullopt}, RealCase{"", std::nullopt},
                      RealCase{"+-1", std::nullopt}));

TEST(FormatReal, UsesSixSignificantDigits) {
    EXPECT_EQ(formatReal(0.0), "0");
    EXPECT_EQ(formatReal(0.1), "0.1");
    EXPECT_EQ(formatReal(-0.5), "-0.5");
    EXPECT_EQ(formatReal(100000.0), "100000");
    EXPECT_EQ(formatReal(1000000.0), "1e+06");
    EXPECT_EQ(formatReal(123456789.0), "1.23457e+08");
    EXPECT_EQ(formatReal(0.0001), "0.0001");
    EXPECT_EQ(formatReal(0.00001), "1e-05");
}

TEST(FormatReal, RoundTripsAtSixDigits) {
    for (double value : {3.14159, -2.5e-7, 6.02214e23, 1.0}) {
        auto parsed = parseReal(formatReal(value));
        ASSERT_TRUE(parsed.has_value()) << value;
        EXPECT_NEAR(*parsed, value, std::abs(value) * 1e-5) << value;
    }
}

}  // namespace
}  // namespace tideglass

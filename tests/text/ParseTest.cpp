#include "text/Parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

TEST(ReadLeadingInt, ReadsLikeTheLogReaders) {
    EXPECT_EQ(ReadLeadingInt("  42abc"), 42);
    EXPECT_EQ(ReadLeadingInt("-17"), -17);
    EXPECT_EQ(ReadLeadingInt("+5"), 5);
    EXPECT_EQ(ReadLeadingInt(" 123.9s"), 123);
    EXPECT_EQ(ReadLeadingInt("abc"), 0);
    EXPECT_EQ(ReadLeadingInt(""), 0);
    EXPECT_EQ(ReadLeadingInt("-"), 0);
    EXPECT_EQ(ReadLeadingInt("0x1F"), 0);
    EXPECT_EQ(ReadLeadingInt("\t7"), 7);
}

TEST(ReadLeadingInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(ReadLeadingInt("2147483647"), INT_MAX);
    EXPECT_EQ(ReadLeadingInt("2147483648"), INT_MAX);
    EXPECT_EQ(ReadLeadingInt("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(ReadLeadingInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ReadLeadingInt("-2147483649"), INT_MIN);
    EXPECT_EQ(ReadLeadingInt("-99999999999999999999999999"), INT_MIN);
}

TEST(ReadLeadingDouble, DecimalNotationOnly) {
    EXPECT_DOUBLE_EQ(ReadLeadingDouble(" 850pm"), 850.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("1e+006"), 1e6);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("1e+06"), 1e6);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("5."), 5.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("2.5e"), 2.5);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("2.5e+"), 2.5);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("3E-2x"), 0.03);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("inf"), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("nan"), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("-nan"), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("."), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingDouble("1,5"), 1.0);
    std::size_t n = 0;
    ReadLeadingDouble("  12.5 nm", &n);
    EXPECT_EQ(n, 6u);
}

TEST(ReadLeadingDouble, OutOfRangeBehavesAsStrtod) {
    EXPECT_TRUE(std::isinf(ReadLeadingDouble("1e999")));
    EXPECT_GT(ReadLeadingDouble("1e999"), 0);
    EXPECT_LT(ReadLeadingDouble("-1e999"), 0);
    EXPECT_EQ(ReadLeadingDouble("1e-999"), 0.0);
    EXPECT_EQ(ReadLeadingDouble("0.0000000000000000000001e-400"), 0.0);
    EXPECT_TRUE(std::isinf(ReadLeadingDouble("123456789e400")));
}

// Short decimals take a route of their own; the C library's strtod (correctly
// rounded) is the reference for every digit count, exponent and rounding tie.
TEST(ReadLeadingDouble, RoundsEveryDecimalExactlyAsStrtod) {
    std::uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    };
    const char* const kFixed[] = {"9007199254740993",
                                  "9007199254740992.5",
                                  "9007199254740991",
                                  "0.30000000000000004441",
                                  "1e22",
                                  "1e23",
                                  "1e-22",
                                  "1e-23",
                                  "4.9406564584124654e-324",
                                  "2.2250738585072011e-308",
                                  "123456789012345678e-5",
                                  "1234567890123456789",
                                  "12345678901234567890",
                                  "0.000000000000000000000001",
                                  "-0",
                                  "-0.0e5",
                                  "0e999",
                                  "1.7976931348623157e308",
                                  "8.98846567431158e307",
                                  "0.1",
                                  "-2.675",
                                  "1.0000000000000002"};
    const auto check = [](const std::string& text) {
        std::size_t used = 0;
        const double value = ReadLeadingDouble(text, &used);
        const double reference = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(used, text.size()) << text;
        ASSERT_EQ(std::memcmp(&value, &reference, sizeof value), 0) << text << ": " << value << " vs " << reference;
    };
    for (const char* text : kFixed) check(text);
    for (int i = 0; i < 200000; ++i) {
        std::string text = next() % 3 == 0 ? "-" : "";
        const int intDigits = static_cast<int>(next() % 12);
        const int fracDigits = static_cast<int>(next() % 12);
        for (int d = 0; d < intDigits; ++d) text += static_cast<char>('0' + next() % 10);
        if (fracDigits > 0 || intDigits == 0) {
            text += '.';
            for (int d = 0; d < std::max(fracDigits, 1); ++d) text += static_cast<char>('0' + next() % 10);
        }
        if (next() % 4 == 0) text += "e" + std::to_string(static_cast<int>(next() % 61) - 30);
        check(text);
    }
}

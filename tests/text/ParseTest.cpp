#include "text/Parse.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

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

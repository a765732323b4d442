// CTuple: the vector arithmetic of the minimiser.

#include "fit/Tuple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CTuple Of(std::initializer_list<double> v) { return CTuple(v.begin(), static_cast<int>(v.size())); }

void ExpectValues(const CTuple& t, std::initializer_list<double> v) {
    ASSERT_EQ(t.Count(), static_cast<int>(v.size()));
    int i = 0;
    for (double x : v) EXPECT_DOUBLE_EQ(t[i++], x) << "element " << i - 1;
}

TEST(Tuple, ConstructsZerosAndCopies) {
    ExpectValues(CTuple(3), {0, 0, 0});
    EXPECT_EQ(CTuple(0).Count(), 0);
    EXPECT_EQ(CTuple(-2).Count(), 0);
    const CTuple a = Of({1, 2});
    CTuple b(a);
    b[0] = 5;
    ExpectValues(a, {1, 2});
    ExpectValues(b, {5, 2});
    const double raw[] = {7, 8, 9};
    b.Assign(raw, 3);
    ExpectValues(b, {7, 8, 9});
    b.Assign(nullptr, 3);
    EXPECT_EQ(b.Count(), 0);
}

TEST(Tuple, ElementWiseArithmeticUsesTheShorterLength) {
    const CTuple a = Of({1, -2, 3}), b = Of({4, 5});
    ExpectValues(a + b, {5, 3});
    ExpectValues(a - b, {-3, -7});
    ExpectValues(a * b, {4, -10});
    ExpectValues(b / a, {4, -2.5});
    EXPECT_DOUBLE_EQ(a.Dot(b), 4 - 10);
    ExpectValues(-a, {-1, 2, -3});
    ExpectValues(a.Scaled(2), {2, -4, 6});
    ExpectValues(0.5 * a, {0.5, -1, 1.5});
}

TEST(Tuple, AbsMaxAndNorm) {
    const CTuple a = Of({3, -4, 0.5});
    ExpectValues(a.Abs(), {3, 4, 0.5});
    ExpectValues(a.MaxWith(1.0), {3, 1, 1});
    EXPECT_DOUBLE_EQ(a.MaxElement(), 3);
    EXPECT_DOUBLE_EQ(Of({-7, -2}).MaxElement(), -2);
    EXPECT_DOUBLE_EQ(CTuple().MaxElement(), 0.0);
    EXPECT_DOUBLE_EQ(Of({3, -4}).Norm(), 5);
    EXPECT_TRUE(std::isnan(Of({1, std::numeric_limits<double>::quiet_NaN()}).MaxElement()));
}

TEST(Tuple, MatrixProduct) {
    const double m[] = {1, 2, 3, 4};  // row-major [[1 2] [3 4]]
    ExpectValues(CTuple::MatrixProduct(m, Of({1, -1})), {-1, -1});
    ExpectValues(CTuple::MatrixProduct(nullptr, Of({1, 1})), {0, 0});
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The minimiser's path, point by point, on problems small enough to work by
// hand: every evaluation of the model is recorded, so the line search's
// quadratic and cubic steps, its lambda-min exit and the BFGS update show in
// the points it tries.

#include "fit/FitModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The points at which the model was evaluated for the s-square, and those
// at which the gradient was taken (the gradient evaluates the model too).
struct TRACE {
    std::vector<std::vector<double>> values;
    std::vector<std::vector<double>> gradients;
};
TRACE g_trace;
int g_nParams = 1;

void Record(const double* p) { g_trace.values.emplace_back(p, p + g_nParams); }
void MoveToGradients() {
    g_trace.gradients.push_back(g_trace.values.back());
    g_trace.values.pop_back();
}

// One data point (0, y): f = p0 gives F = (p0 - y)^2, f = p0^2 gives F = (p0^2 - y)^2.
double Linear(double, const double* p) {
    Record(p);
    return p[0];
}
void LinearGradient(double, const double*, double* g) {
    MoveToGradients();
    g[0] = 1.0;
}
double Square(double, const double* p) {
    Record(p);
    return p[0] * p[0];
}
void SquareGradient(double, const double* p, double* g) {
    MoveToGradients();
    g[0] = 2.0 * p[0];
}
// A gradient of the wrong sign: every step along it goes uphill.
void WrongGradient(double, const double*, double* g) {
    MoveToGradients();
    g[0] = -1.0;
}
// f = 1 + 9 p^4 with a gradient of 0.5 (against y = 0: g = 1 at p = 0).
double Quartic(double, const double* p) {
    Record(p);
    return 1.0 + 9.0 * p[0] * p[0] * p[0] * p[0];
}
void HalfGradient(double, const double*, double* g) {
    MoveToGradients();
    g[0] = 0.5;
}
// Residuals p0/2 at x = 0 and p1/2 at x = 1 and 2: F = p0^2/4 + p1^2/2.
double Diagonal(double x, const double* p) {
    if (x == 0.0) Record(p);
    return x == 0.0 ? 0.5 * p[0] : 0.5 * p[1];
}
void DiagonalGradient(double x, const double* p, double* g) {
    if (x == 0.0) MoveToGradients();
    (void)p;
    g[0] = x == 0.0 ? 0.5 : 0.0;
    g[1] = x == 0.0 ? 0.0 : 0.5;
}

FITMODULE OnePoint(FitFunction f, FitGradient g, double y, double start) {
    g_trace = TRACE{};
    g_nParams = 1;
    FITMODULE m;
    RegisterFunction(m, f, g, 1);
    const double x[] = {0.0}, ys[] = {y};
    RegisterData(m, 1, x, ys, nullptr);
    CopyParametersIn(m, &start);
    return m;
}

TEST(FitPath, TheFirstBacktrackIsTheQuadraticStepFlooredAtATenth) {
    // F = p^2 from p = 1: g = 2, xi = -2, slope = -4. lambda = 1 gives F(-1) = 1,
    // no decrease; the quadratic step 4 / (2 (1 - 1 + 4)) = 0.5 lands on 0.
    FITMODULE m = OnePoint(Linear, LinearGradient, 0.0, 1.0);
    int iterations = -1;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 2.220446049250313e-15), FIT_SUCCESS);
    EXPECT_EQ(g_trace.values, (std::vector<std::vector<double>>{{1.0}, {-1.0}, {0.0}}));
    EXPECT_EQ(g_trace.gradients, (std::vector<std::vector<double>>{{1.0}, {0.0}}));
    EXPECT_EQ(iterations, 0);
    EXPECT_EQ(m.adParams[0], 0.0);
    EXPECT_EQ(m.dSSquare, 0.0);

    // F = p^4 from p = 1: xi = -4, slope = -16, F(-3) = 81; the quadratic step
    // 16 / (2 (81 - 1 + 16)) = 1/12 is below a tenth, so lambda = 0.1: p = 0.6.
    FITMODULE q = OnePoint(Square, SquareGradient, 0.0, 1.0);
    MinimizeSSquare(q, nullptr, 2.220446049250313e-15);
    ASSERT_GE(g_trace.values.size(), 3u);
    EXPECT_EQ(g_trace.values[1][0], -3.0);
    EXPECT_DOUBLE_EQ(g_trace.values[2][0], 0.6);
    ASSERT_GE(g_trace.gradients.size(), 2u);
    EXPECT_DOUBLE_EQ(g_trace.gradients[1][0], 0.6);  // accepted: 0.1296 <= 1 - 1.6e-4
}

TEST(FitPath, CubicBacktrackingEndsAtLambdaMinWhereItStarted) {
    // F = (p - 4)^2 from p = 0 with a gradient that points uphill: g = 8,
    // xi = -8, slope = -64, and F(-8 lambda) = 16 (1 + 2 lambda)^2 never
    // decreases. lambda = 1: F = 144; quadratic step 64 / (2 (144 - 16 + 64))
    // = 1/6: F = 256/9. Cubic step: r1 = 208/9, r2 = 192, a = -768, b = 960,
    // disc = 960^2 - 3 * 768 * 64 = 774144, b > 0:
    // lambda = 64 / (960 + sqrt 774144) = 1 / (15 + 3 sqrt 21).
    FITMODULE m = OnePoint(Linear, WrongGradient, 4.0, 0.0);
    int iterations = -1;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 2.220446049250313e-15), FIT_SUCCESS);
    const std::vector<std::vector<double>>& v = g_trace.values;
    ASSERT_GE(v.size(), 5u);
    EXPECT_EQ(v[0][0], 0.0);
    EXPECT_EQ(v[1][0], -8.0);
    EXPECT_DOUBLE_EQ(v[2][0], -4.0 / 3.0);
    EXPECT_NEAR(v[3][0], -8.0 / (15.0 + 3.0 * std::sqrt(21.0)), 1e-15);
    // Every later step lies between a tenth and a half of the one before.
    for (std::size_t k = 2; k + 1 < v.size(); ++k) {
        EXPECT_GE(v[k + 1][0] / v[k][0], 0.1 - 1e-12) << k;
        EXPECT_LE(v[k + 1][0] / v[k][0], 0.5 + 1e-12) << k;
    }
    // test = |xi| / max(|p|, 1) = 8, lambda-min = eps / 8: the last trial has
    // lambda below it (|p| = 8 lambda < eps), the one before not.
    EXPECT_LT(std::fabs(v.back()[0]), 2.220446049250313e-16);
    EXPECT_GE(std::fabs(v[v.size() - 2][0]), 2.220446049250313e-16);
    // The search stays at its start: no step, so the step test ends it at once.
    EXPECT_EQ(iterations, 0);
    EXPECT_EQ(m.adParams[0], 0.0);
    EXPECT_EQ(m.dSSquare, 16.0);
    EXPECT_EQ(g_trace.gradients.size(), 1u);
}

TEST(FitPath, TheCubicStepIsCappedAtHalfTheLastStep) {
    // F(-lambda) = (1 + 9 lambda^4)^2, slope -1. lambda = 1: F = 100, the
    // quadratic step 1/200 is floored to 0.1: F = 1.0009^2, no decrease.
    // Cubic: r1 = 0.10180081, r2 = 100, a = 99.79991, b = 0.20009, disc =
    // b^2 + 3a = 299.44, lambda = 1 / (b + sqrt disc) = 0.0571 > 0.05: capped.
    FITMODULE m = OnePoint(Quartic, HalfGradient, 0.0, 0.0);
    MinimizeSSquare(m, nullptr, 2.220446049250313e-15);
    ASSERT_GE(g_trace.values.size(), 4u);
    EXPECT_EQ(g_trace.values[1][0], -1.0);
    EXPECT_DOUBLE_EQ(g_trace.values[2][0], -0.1);
    EXPECT_DOUBLE_EQ(g_trace.values[3][0], -0.05);
}

TEST(FitPath, BfgsUpdateOnAQuadratic) {
    // F = p0^2/4 + p1^2/2 from (1, 1): the full steps are accepted, the first
    // along -g = (-1/2, -1) to (1/2, 0). There dg = (-1/4, -1) and the update
    // of H = I gives H = (98 16; 16 77) / 81, so xi = -H g = (-49/162, -8/81)
    // and the next point is (16/81, -4/81); then (256/78961, -784/78961).
    // Steepest descent would go to (1/4, 0) instead.
    g_trace = TRACE{};
    g_nParams = 2;
    FITMODULE m;
    RegisterFunction(m, Diagonal, DiagonalGradient, 2);
    const double x[] = {0, 1, 2}, y[] = {0, 0, 0};
    RegisterData(m, 3, x, y, nullptr);
    const double start[] = {1.0, 1.0};
    CopyParametersIn(m, start);
    EXPECT_EQ(MinimizeSSquare(m, nullptr, 2.220446049250313e-15), FIT_SUCCESS);
    const std::vector<std::vector<double>>& at = g_trace.gradients;
    ASSERT_GE(at.size(), 4u);
    const double expected[4][2] = {{1, 1}, {0.5, 0}, {16.0 / 81, -4.0 / 81}, {256.0 / 78961, -784.0 / 78961}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(at[k][0], expected[k][0], 1e-15) << k;
        EXPECT_NEAR(at[k][1], expected[k][1], 1e-15) << k;
    }
    // Each accepted point was the full step: one s-square value per iteration.
    for (int k = 1; k < 4; ++k) EXPECT_EQ(g_trace.values[k], at[k]) << k;
    EXPECT_NEAR(m.adParams[0], 0.0, 1e-7);
    EXPECT_NEAR(m.adParams[1], 0.0, 1e-7);
}

}  // namespace

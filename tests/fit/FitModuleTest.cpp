// The fit module: registration, s-square and gradient, the minimiser on
// known problems, and its result codes.

#include "fit/FitModule.h"
#include "support/RecordingLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// f(x) = p0 + p1 x
double Line(double x, const double* p) { return p[0] + p[1] * x; }
void LineGradient(double x, const double*, double* g) {
    g[0] = 1.0;
    g[1] = x;
}

// Rosenbrock as least squares: residuals 10 (p1 - p0^2) at x = 0 and
// 1 - p0 at x = 1 (data y = 0); minimum 0 at (1, 1).
double Rosenbrock(double x, const double* p) { return x == 0.0 ? 10.0 * (p[1] - p[0] * p[0]) : 1.0 - p[0]; }
void RosenbrockGradient(double x, const double* p, double* g) {
    if (x == 0.0) {
        g[0] = -20.0 * p[0];
        g[1] = 10.0;
    } else {
        g[0] = -1.0;
        g[1] = 0.0;
    }
}

// f = 1 / sqrt(1 + p^2) against y = 0: the s-square 1 / (1 + p^2) falls
// for ever as p grows, so only the iteration limit ends the search.
double Fading(double, const double* p) { return 1.0 / std::sqrt(1.0 + p[0] * p[0]); }
void FadingGradient(double, const double* p, double* g) { g[0] = -p[0] / std::pow(1.0 + p[0] * p[0], 1.5); }

FITMODULE LineModule(const std::vector<double>& x, const std::vector<double>& y,
                     const std::vector<double>* w = nullptr) {
    FITMODULE m;
    m.nWeighted = w ? 1 : 0;
    EXPECT_EQ(RegisterFunction(m, Line, LineGradient, 2), 2);
    RegisterData(m, static_cast<int>(x.size()), x.data(), y.data(), w ? w->data() : nullptr);
    return m;
}

TEST(FitModule, RegistrationAllocatesZeroedArrays) {
    FITMODULE m;
    EXPECT_FALSE(CheckModule(m));
    EXPECT_EQ(RegisterFunction(m, Line, LineGradient), 4);
    EXPECT_EQ(m.nParams, 4);
    EXPECT_EQ(m.adParams, std::vector<double>(4, 0.0));
    EXPECT_EQ(m.adRanges, std::vector<double>(8, 0.0));
    EXPECT_EQ(m.anRangeFlags, std::vector<int>(4, 0));
    EXPECT_EQ(m.dSSquare, -1.0);
    EXPECT_FALSE(CheckModule(m));  // no data yet

    const double x[] = {1, 2}, y[] = {3, 4};
    EXPECT_EQ(RegisterData(m, 2, x, y, nullptr), 4);
    EXPECT_TRUE(CheckModule(m));
    EXPECT_EQ(m.adX, (std::vector<double>{1, 2}));
    EXPECT_EQ(m.adY, (std::vector<double>{3, 4}));
    EXPECT_EQ(m.adW, (std::vector<double>{0, 0}));  // not given: zeros

    ResetModule(m);
    EXPECT_FALSE(CheckModule(m));
    EXPECT_EQ(m.nParams, 0);
    EXPECT_EQ(m.nData, 0);
    EXPECT_TRUE(m.adParams.empty() && m.adX.empty());
    EXPECT_EQ(m.pFunction, nullptr);
}

TEST(FitModule, NoDataIsRefusedWithAMessage) {
    CRecordingLog log;
    FITMODULE m;
    m.pLog = &log;
    RegisterFunction(m, Line, LineGradient, 2);
    const double x[] = {1}, y[] = {1};
    RegisterData(m, 1, x, y, nullptr);
    RegisterData(m, 0, x, y, nullptr);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: Failed to register data, invalid parameters."});
    EXPECT_EQ(m.nData, 0);
    EXPECT_FALSE(CheckModule(m));
    double s = 7.0;
    EXPECT_EQ(ComputeSSquare(m, nullptr, s), 0);
    EXPECT_EQ(s, 7.0);
    EXPECT_EQ(MinimizeSSquare(m, nullptr, 1e-10), FIT_NOT_SET_UP);
    EXPECT_EQ(log.m_lines.back(), "ERROR: s-square minimization failed because the module is not properly set up.");
}

TEST(FitModule, SSquareAndGradientWeightedAndPlain) {
    const std::vector<double> x = {0, 1, 2}, y = {1, 2, 5}, w = {1, 2, 1};
    const double p[] = {1, 1};  // residuals f - y: 0, 0, -2
    FITMODULE plain = LineModule(x, y);
    double s = 0.0;
    ASSERT_EQ(ComputeSSquare(plain, p, s), 1);
    EXPECT_DOUBLE_EQ(s, 4.0);
    double g[2];
    ASSERT_EQ(ComputeGradient(plain, g, p), 1);
    EXPECT_DOUBLE_EQ(g[0], 2 * -2.0);
    EXPECT_DOUBLE_EQ(g[1], 2 * -2.0 * 2);

    FITMODULE weighted = LineModule(x, y, &w);
    ASSERT_EQ(ComputeSSquare(weighted, p, s), 1);
    EXPECT_DOUBLE_EQ(s, 4.0 / 4.0);
    ASSERT_EQ(ComputeGradient(weighted, g, p), 1);
    EXPECT_DOUBLE_EQ(g[0], -4.0 / 4.0);
    EXPECT_DOUBLE_EQ(g[1], -8.0 / 4.0);

    // Without a parameter array the current parameters are used.
    ASSERT_EQ(CopyParametersIn(weighted, p), 1);
    double s2 = 0.0;
    ComputeSSquare(weighted, nullptr, s2);
    EXPECT_EQ(s2, s);
    double out[2] = {0, 0};
    CopyParametersOut(weighted, out);
    EXPECT_EQ(out[0], 1.0);
    EXPECT_EQ(out[1], 1.0);
    EXPECT_EQ(CopyParametersIn(weighted, nullptr), 0);
    EXPECT_EQ(ComputeGradient(weighted, nullptr, p), 0);
    weighted.pGradient = nullptr;
    EXPECT_EQ(ComputeGradient(weighted, g, p), 0);
}

TEST(FitModule, AStartAtTheMinimumEndsInTheFirstIteration) {
    FITMODULE m = LineModule({0, 1, 2, 3}, {2, 5, 8, 11});
    const double p[] = {2, 3};
    CopyParametersIn(m, p);
    int iterations = -1;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 2.220446049250313e-15), FIT_SUCCESS);
    EXPECT_EQ(iterations, 0);
    EXPECT_EQ(m.adParams, (std::vector<double>{2, 3}));
    EXPECT_EQ(m.dSSquare, 0.0);
}

TEST(FitModule, FindsTheLeastSquaresLine) {
    const std::vector<double> x = {0, 1, 2, 3, 4}, y = {1.1, 2.9, 5.2, 6.8, 9.1};
    FITMODULE m = LineModule(x, y);
    int iterations = 0;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 1e-14), FIT_SUCCESS);
    // Normal equations: slope = Sxy / Sxx, intercept = ybar - slope xbar.
    double xm = 2.0, ym = 0.0, sxy = 0.0, sxx = 0.0;
    for (double v : y) ym += v / 5.0;
    for (int i = 0; i < 5; ++i) {
        sxy += (x[i] - xm) * (y[i] - ym);
        sxx += (x[i] - xm) * (x[i] - xm);
    }
    EXPECT_NEAR(m.adParams[1], sxy / sxx, 1e-10);
    EXPECT_NEAR(m.adParams[0], ym - xm * sxy / sxx, 1e-10);
    double s = 0.0;
    ComputeSSquare(m, nullptr, s);
    EXPECT_EQ(m.dSSquare, s);  // the stored s-square belongs to the stored point
}

TEST(FitModule, MinimisesRosenbrock) {
    FITMODULE m;
    RegisterFunction(m, Rosenbrock, RosenbrockGradient, 2);
    const double x[] = {0, 1}, y[] = {0, 0};
    RegisterData(m, 2, x, y, nullptr);
    const double start[] = {-1.2, 1.0};
    CopyParametersIn(m, start);
    int iterations = 0;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 2.220446049250313e-15), FIT_SUCCESS);
    EXPECT_NEAR(m.adParams[0], 1.0, 1e-6);
    EXPECT_NEAR(m.adParams[1], 1.0, 1e-6);
    EXPECT_LT(m.dSSquare, 1e-12);
    EXPECT_LT(iterations, 2000);
}

TEST(FitModule, ARangeViolationStopsWithTheOutOfRangePointKept) {
    CRecordingLog log;
    FITMODULE m = LineModule({0, 1, 2}, {5, 5, 5});  // minimum at (5, 0)
    m.pLog = &log;
    ASSERT_EQ(SetParameterRange(m, 0, 0.0, 1.0, 1), 1);
    EXPECT_EQ(SetParameterRange(m, 2, 0.0, 1.0, 1), 0);
    int iterations = -1;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 2.220446049250313e-15), FIT_RANGE_VIOLATION);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: Range violation during s-square minimization."});
    EXPECT_GT(m.adParams[0], 1.0);
    double s = 0.0;
    ComputeSSquare(m, nullptr, s);
    EXPECT_EQ(m.dSSquare, s);
    EXPECT_GE(iterations, 0);

    // Without the flag the same range is not enforced.
    log.m_lines.clear();
    FITMODULE free = LineModule({0, 1, 2}, {5, 5, 5});
    free.pLog = &log;
    SetParameterRange(free, 0, 0.0, 1.0, 0);
    EXPECT_EQ(MinimizeSSquare(free, nullptr, 2.220446049250313e-15), FIT_SUCCESS);
    EXPECT_NEAR(free.adParams[0], 5.0, 1e-9);
    EXPECT_TRUE(log.m_lines.empty());
}

TEST(FitModule, TheIterationLimitEndsWithSuccessAndTheLastPoint) {
    FITMODULE m;
    RegisterFunction(m, Fading, FadingGradient, 1);
    const double x[] = {0}, y[] = {0};
    RegisterData(m, 1, x, y, nullptr);
    const double start[] = {1.0};
    CopyParametersIn(m, start);
    int iterations = 0;
    // gtol 0 switches the gradient test off.
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 0.0), FIT_SUCCESS);
    EXPECT_EQ(iterations, 1999);
    EXPECT_GT(m.adParams[0], 1000.0);
    EXPECT_DOUBLE_EQ(m.dSSquare, 1.0 / (1.0 + m.adParams[0] * m.adParams[0]));
}

TEST(FitModule, NotANumberStaysAtItsStartInsteadOfHanging) {
    // A datum that is not a number makes F, g, the step and lambda-min NaN:
    // the line search can neither accept nor shrink, so it stays at the start
    // (as at lambda-min) and the zero step ends the search in iteration 0.
    FITMODULE m = LineModule({0, 1, 2}, {1, 2, std::nan("")});
    const double start[] = {0.5, -2.0};
    CopyParametersIn(m, start);
    int iterations = -1;
    EXPECT_EQ(MinimizeSSquare(m, &iterations, 1e-12), FIT_SUCCESS);
    EXPECT_EQ(iterations, 0);
    EXPECT_EQ(m.adParams, (std::vector<double>{0.5, -2.0}));
    EXPECT_TRUE(std::isnan(m.dSSquare));
}

TEST(FitModule, InconsistentArraysAreRefused) {
    CRecordingLog log;
    FITMODULE m = LineModule({0, 1}, {1, 2});
    m.pLog = &log;
    m.adW.pop_back();
    EXPECT_EQ(MinimizeSSquare(m, nullptr, 1e-12), FIT_INCONSISTENT_ARRAYS);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: Parameter arrays have inconsitent sizes."});
}

TEST(FitModule, ResultMessages) {
    EXPECT_STREQ(FitResultMessage(FIT_SUCCESS), "");
    EXPECT_STREQ(FitResultMessage(FIT_NO_PARAMETERS), "ERROR: Minimization routine called with invalid parameter.");
    EXPECT_STREQ(FitResultMessage(FIT_INVALID_METHOD), "ERROR: Invalid minimization method.");
    EXPECT_STREQ(FitResultMessage(FIT_ROUND_OFF), "ERROR: Round-off problem in the line-search algorithm.");
    EXPECT_STREQ(FitResultMessage(3), "ERROR: s-square minimization failed with an unspecified cause.");
}

}  // namespace

// The Marcum Q function and the Bessel functions behind it, against values
// worked out independently: tabulated values, the symmetry identity and a
// direct numerical integration of the Rice density.

#include "eval/Lifetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// e^-y I0(y), from the standard library below 500 and from the asymptotic
// series sum ((2k-1)!!)^2 / (k! (8y)^k) / sqrt(2 pi y) above.
double ScaledI0(double y) {
    if (y < 500.0) return std::exp(-y) * std::cyl_bessel_i(0.0, y);
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 80; ++k) {
        term *= (2.0 * k - 1.0) * (2.0 * k - 1.0) / (8.0 * y * k);
        sum += term;
        if (term < 1e-18 * sum) break;
    }
    return sum / std::sqrt(2.0 * M_PI * y);
}

// Rice density of the length of a 2-D unit Gaussian vector with offset
// alpha, written in scaled form: x exp(-(x - alpha)^2 / 2) e^(-alpha x) I0(alpha x).
double RiceDensity(double alpha, double x) {
    return x * std::exp(-(x - alpha) * (x - alpha) / 2.0) * ScaledI0(alpha * x);
}

double AdaptiveSimpson(const std::function<double(double)>& f, double a, double b, double fa, double fm, double fb,
                       double whole, double eps, int depth) {
    const double m = (a + b) / 2.0;
    const double lm = (a + m) / 2.0;
    const double rm = (m + b) / 2.0;
    const double flm = f(lm);
    const double frm = f(rm);
    const double left = (m - a) / 6.0 * (fa + 4.0 * flm + fm);
    const double right = (b - m) / 6.0 * (fm + 4.0 * frm + fb);
    if (depth <= 0 || std::fabs(left + right - whole) <= 15.0 * eps)
        return left + right + (left + right - whole) / 15.0;
    return AdaptiveSimpson(f, a, m, fa, flm, fm, left, eps / 2.0, depth - 1) +
           AdaptiveSimpson(f, m, b, fm, frm, fb, right, eps / 2.0, depth - 1);
}

// Integral of the Rice density over [lo, hi] in panels of at most 0.5.
double IntegrateRice(double alpha, double lo, double hi) {
    if (!(hi > lo)) return 0.0;
    auto f = [alpha](double x) { return RiceDensity(alpha, x); };
    const int panels = static_cast<int>(std::ceil((hi - lo) / 0.5));
    double sum = 0.0;
    for (int i = 0; i < panels; ++i) {
        const double a = lo + (hi - lo) * i / panels;
        const double b = lo + (hi - lo) * (i + 1) / panels;
        const double fa = f(a);
        const double fb = f(b);
        const double fm = f((a + b) / 2.0);
        sum += AdaptiveSimpson(f, a, b, fa, fm, fb, (b - a) / 6.0 * (fa + 4.0 * fm + fb), 1e-14, 40);
    }
    return sum;
}

// P(R <= beta); the density below alpha - 14 carries less than e^-98.
double RiceCdf(double alpha, double beta) { return IntegrateRice(alpha, std::max(0.0, alpha - 14.0), beta); }

// Q1 = P(R > beta) for beta at or above alpha, integrated directly.
double RiceTail(double alpha, double beta) { return IntegrateRice(alpha, beta, beta + 40.0); }

struct TABULATED {
    double alpha, beta, q;
};

// Q1(alpha, beta) evaluated with 40-digit arithmetic (integration of the Rice
// density with arbitrary-precision Bessel functions), rounded to 20 digits.
const TABULATED kModerate[] = {
    {1.0, 1.0, 0.73287980379682021825},   {0.5, 2.0, 0.16914063850946718271}, {1.0, 2.0, 0.26901206003590999668},
    {2.0, 1.0, 0.91810769636940600391},   {2.0, 2.0, 0.60350096061199334895}, {3.0, 5.0, 0.030677602084021739786},
    {5.0, 3.0, 0.98338367043275603106},   {5.0, 5.0, 0.54009838677371835421}, {10.0, 10.0, 0.51997218964954834132},
    {10.0, 11.0, 0.17047921351305235396},
};
const TABULATED kLarge[] = {
    {25.0, 25.0, 0.50798044281574200595},      {40.0, 39.0, 0.84438876734882351164},
    {60.0, 61.0, 0.16066341290228158454},      {1000.0, 999.0, 0.84146576170741592344},
    {1000.0, 1000.0, 0.50019947116513462289},  {2000.0, 2000.0, 0.50009973557321709517},
    {2000.0, 2001.5, 0.066839574599923855196}, {5000.0, 4998.0, 0.97725526768851679331},
};

}  // namespace

TEST(MarcumQ, TabulatedValues) {
    for (const TABULATED& t : kModerate) EXPECT_NEAR(MarcumQ(t.alpha, t.beta), t.q, 1e-6) << t.alpha << " " << t.beta;
    // Drift-dominated arguments: the classic series fails here (underflow,
    // term cap), the scaled evaluation is accurate far beyond 1e-6.
    for (const TABULATED& t : kLarge) EXPECT_NEAR(MarcumQ(t.alpha, t.beta), t.q, 1e-9) << t.alpha << " " << t.beta;
}

TEST(MarcumQ, SpecialArguments) {
    for (double a : {0.0, 0.5, 3.0, 45.0}) EXPECT_EQ(MarcumQ(a, 0.0), 1.0);
    for (double b : {0.1, 1.0, 2.5, 9.0}) {
        EXPECT_DOUBLE_EQ(MarcumQ(0.0, b), std::exp(-b * b / 2.0));
        EXPECT_NEAR(MarcumQ(0.0005, b), std::exp(-b * b / 2.0), 1e-7);
    }
    EXPECT_EQ(MarcumQ(2.0, -1.0), 1.0);
    EXPECT_EQ(MarcumQ(-2.0, 1.5), MarcumQ(2.0, 1.5));
    EXPECT_TRUE(std::isnan(MarcumQ(std::nan(""), 1.0)));
    EXPECT_TRUE(std::isnan(MarcumQ(1.0, std::nan(""))));
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MarcumQ(3.0, inf), 0.0);
    EXPECT_EQ(MarcumQ(inf, 3.0), 1.0);
    EXPECT_EQ(MarcumQ(1e300, 1e300 * 0.5), 1.0);
}

TEST(MarcumQ, TailBeyondEightIsNegligibleForAnyOffset) {
    // Q1 is taken as 0 when beta > alpha + 8; the Rice tail there is below
    // exp(-32) = 1.3e-14 whatever alpha is, and just inside the series agrees.
    for (double a : {0.01, 1.0, 4.0, 10.0, 30.0, 60.0, 400.0}) {
        const double tail = RiceTail(a, a + 8.0);
        EXPECT_LT(tail, 1.3e-14) << a;
        EXPECT_EQ(MarcumQ(a, a + 8.0 + 1e-9), 0.0);
        EXPECT_NEAR(MarcumQ(a, a + 7.9), RiceTail(a, a + 7.9), 1e-15) << a;
    }
}

TEST(MarcumQ, SymmetryIdentity) {
    // Q1(a,b) + Q1(b,a) = 1 + exp(-(a^2 + b^2)/2) I0(ab).
    const double values[] = {0.5, 2.0, 5.0, 12.0, 27.0, 33.0, 45.0, 300.0, 1500.0};
    for (double a : values) {
        for (double b : values) {
            if (std::fabs(a - b) > 8.0) continue;
            const double rhs = 1.0 + std::exp(-(a - b) * (a - b) / 2.0) * ScaledI0(a * b);
            EXPECT_NEAR(MarcumQ(a, b) + MarcumQ(b, a), rhs, 2e-6) << a << " " << b;
        }
    }
}

TEST(MarcumQ, AgreesWithTheIntegratedRiceDistribution) {
    const double alphas[] = {0.3, 1.0, 3.0, 7.0, 10.0, 15.0, 20.0, 25.0, 30.0, 40.0, 50.0, 60.0, 150.0, 700.0, 3000.0};
    const double offsets[] = {-5.0, -2.5, -1.0, -0.4, -0.1, 0.0, 0.1, 0.4, 1.0, 2.5, 5.0, 7.5};
    for (double a : alphas) {
        for (double d : offsets) {
            const double b = a + d;
            if (b <= 0.0) continue;
            EXPECT_NEAR(1.0 - MarcumQ(a, b), RiceCdf(a, b), 1e-6) << "alpha " << a << " beta " << b;
        }
    }
    // Small offsets with a large beta, and the reverse.
    for (double a : {0.002, 0.05, 0.8}) {
        for (double b : {0.5, 3.0, 7.0}) EXPECT_NEAR(1.0 - MarcumQ(a, b), RiceCdf(a, b), 1e-6) << a << " " << b;
    }
}

TEST(Bessel, AgainstTheStandardLibrary) {
    for (double x : {0.1, 1.0, 2.5, 3.75, 5.0, 12.0, 20.0}) {
        for (int n : {0, 1, 2, 3, 7, 15}) {
            const double ref = std::cyl_bessel_i(static_cast<double>(n), x);
            EXPECT_NEAR(BesselIn(n, x) / ref, 1.0, 1e-6) << n << " " << x;
            EXPECT_NEAR(BesselIn(n, -x), (n % 2 ? -1.0 : 1.0) * BesselIn(n, x), 1e-12 * std::fabs(ref));
        }
        EXPECT_EQ(BesselI0(x), BesselIn(0, x));
        EXPECT_EQ(BesselI1(x), BesselIn(1, x));
    }
    EXPECT_EQ(BesselIn(3, 0.0), 0.0);
    EXPECT_EQ(BesselI0(0.0), 1.0);
    EXPECT_EQ(BesselIn(-1, 2.0), 0.0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ModelSimulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// g(tau) = tau (Di^2 + Da^2 exp(-tau/Tc)), written out here once more.
double Variogram(double di, double da, double tc, double tau) {
    return tau * (di * di + da * da * std::exp(-tau / tc));
}

std::vector<A1SAMPLE> Layout(int n) {
    std::vector<A1SAMPLE> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)].nIndex = 11 + i;
    return v;
}

}  // namespace

// With Di large enough against Da the embedded spectrum is non-negative and
// the draws have exactly the model's autocovariance and variogram.
TEST(ModelSimulator, ValidModelHasTheExactVariogram) {
    const MODELPARAMS m{0.05, 0.02, 5.0, 0.0};
    const CModelSimulator sim(m, 300);
    EXPECT_EQ(sim.ClippedShare(), 0.0);
    const std::vector<double> r = sim.RealisedAutocovariance();
    ASSERT_EQ(r.size(), 300u);
    // r(1) from the closed form: (g(2) - 2 g(1) + g(0)) / 2.
    const double r1 = 0.5 * (Variogram(0.05, 0.02, 5.0, 2.0) - 2.0 * Variogram(0.05, 0.02, 5.0, 1.0));
    EXPECT_NEAR(r[0], Variogram(0.05, 0.02, 5.0, 1.0), 1e-15);
    EXPECT_NEAR(r[1], r1, 1e-15);
    const std::vector<double> g = sim.RealisedVariogram();
    for (int tau : {1, 2, 7, 40, 150, 299, 300})
        EXPECT_NEAR(g[static_cast<std::size_t>(tau)], Variogram(0.05, 0.02, 5.0, tau),
                    1e-11 * Variogram(0.05, 0.02, 5.0, tau))
            << tau;
}

// A pure random walk has white increments: r(0) = Di^2, r(j > 0) = 0.
TEST(ModelSimulator, RandomWalkHasWhiteIncrements) {
    const CModelSimulator sim(MODELPARAMS{0.03, 0.0, 10.0, 0.0}, 64);
    const std::vector<double> r = sim.RealisedAutocovariance();
    EXPECT_NEAR(r[0], 0.0009, 1e-17);
    for (std::size_t j = 1; j < r.size(); ++j) EXPECT_NEAR(r[j], 0.0, 1e-17) << j;
}

// A transient much stronger than the random walk is not a valid covariance:
// the spectrum dips below zero near 1/Tc, is clipped, and the realised
// variogram then differs from the model (and says by how much).
TEST(ModelSimulator, InvalidTransientIsClippedAndMeasured) {
    const MODELPARAMS m{0.002, 0.04, 30.0, 0.0};
    const CModelSimulator sim(m, 1500);
    EXPECT_GT(sim.ClippedShare(), 0.0);
    const std::vector<double> g = sim.RealisedVariogram();
    double worst = 0.0;
    for (int tau = 1; tau <= 150; ++tau)
        worst = std::max(worst, std::fabs(g[static_cast<std::size_t>(tau)] / Variogram(0.002, 0.04, 30.0, tau) - 1.0));
    EXPECT_GT(worst, 1e-6);
}

// The mean of the squared changes over many draws (noise and drift
// included) is the model's f(tau) plus 2 sigma^2 per component, within 4
// Monte-Carlo standard errors.
TEST(ModelSimulator, MeanCharacteristicFunctionIsTheModel) {
    const double di = 0.03, da = 0.02, tc = 8.0, s = 0.004, sx = 0.02, sy = 0.01;
    const int n = 200, draws = 400;
    const CModelSimulator sim(MODELPARAMS{di, da, tc, s}, n - 1);
    ASSERT_EQ(sim.ClippedShare(), 0.0);
    const std::vector<A1SAMPLE> layout = Layout(n);
    const int taus[] = {1, 3, 10, 30};
    double sum[4] = {}, sum2[4] = {};
    for (int r = 0; r < draws; ++r) {
        CRandomStream random(DeriveStreamSeed(7, static_cast<std::uint64_t>(r)));
        const std::vector<A1SAMPLE> v = SimulateSamples(sim, SIMNOISE{sx, sy}, layout, random);
        for (int t = 0; t < 4; ++t) {
            const int tau = taus[t];
            double f = 0.0;
            for (int k = 0; k + tau < n; ++k) {
                const double dx = v[k + tau].dX - v[k].dX, dy = v[k + tau].dY - v[k].dY;
                f += dx * dx + dy * dy;
            }
            f /= n - tau;
            sum[t] += f;
            sum2[t] += f * f;
        }
    }
    for (int t = 0; t < 4; ++t) {
        const double tau = taus[t];
        const double expected = 2.0 * Variogram(di, da, tc, tau) + s * s * tau * tau + 2.0 * (sx * sx + sy * sy);
        const double mean = sum[t] / draws;
        const double se = std::sqrt((sum2[t] / draws - mean * mean) / (draws - 1));
        EXPECT_NEAR(mean, expected, 4.0 * se) << "tau " << tau;
        EXPECT_LT(se, 0.05 * expected);  // the check has teeth
    }
}

// Gaps and repeats are kept: a repeated image has the same astigmatism
// (without noise the values are equal), the errors are the layout's.
TEST(ModelSimulator, KeepsTheLayoutsImagesAndErrors) {
    std::vector<A1SAMPLE> layout = {{5, 0, 0, 0.1, 0.2}, {6, 0, 0, 0, 0}, {9, 0, 0, 0, 0}, {6, 0, 0, 0, 0}};
    const CModelSimulator sim(MODELPARAMS{0.03, 0.0, 1.0, 0.01}, ImageSpan(layout));
    EXPECT_EQ(sim.Span(), 4);
    CRandomStream random(3);
    const std::vector<A1SAMPLE> v = SimulateSamples(sim, SIMNOISE{}, layout, random);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[3].nIndex, 6);
    EXPECT_EQ(v[1].dX, v[3].dX);
    EXPECT_EQ(v[1].dY, v[3].dY);
    EXPECT_EQ(v[0].dX, 0.0);  // the path starts at the first image
    EXPECT_EQ(v[0].dErrX, 0.1);
    EXPECT_EQ(v[0].dErrY, 0.2);
}

// The noise a series implies: MeasErrX / sqrt(2), none where not a number.
TEST(ModelSimulator, NoiseFromTheExtractedError) {
    CA1TimeSeries series;
    series.MeasErrX = 0.04;
    series.MeasErrY = std::nan("");
    const SIMNOISE n = NoiseOfSeries(series);
    EXPECT_NEAR(n.dX, 0.04 / std::sqrt(2.0), 1e-17);
    EXPECT_EQ(n.dY, 0.0);
}

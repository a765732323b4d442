// The model fit: abort paths, recovery of noise-free model parameters,
// improvement over the start on generated series, reproducibility for a
// seed, the seed formula and the generator sequence.

#include "eval/ModelFit.h"
#include "FitTestSupport.h"
#include "eval/CharFunc.h"
#include "eval/Random.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

namespace {

double Model(double tau, double di, double da, double tc, double s) {
    return 2.0 * tau * (di * di + da * da * std::exp(-tau / tc)) + s * s * tau * tau;
}

// A series whose characteristic function is the model itself (d = 1 ... m),
// with the slope sum a line through the first three points would give.
CA1TimeSeries ModelSeries(int m, double di, double da, double tc, double s, CLogFile* log = nullptr) {
    CA1TimeSeries series(log);
    series.m_dImagePeriod = 2.0;
    series.m_aSamples.resize(10 * m + 1);
    for (int d = 1; d <= m; ++d) {
        const double f = Model(d, di, da, tc, s);
        series.m_aCharFunc.push_back(A1SAMPLE{d, 0.5 * f, 0.5 * f, 0.01 * f * f + 1e-6, 0.01 * f * f + 1e-6});
    }
    const double f1 = Model(1, di, da, tc, s), f3 = Model(3, di, da, tc, s);
    series.SlopeSum = (f3 - f1) / 2.0;
    series.CharFuncValid = 1;
    return series;
}

// The weighted s-square that the fit minimises, at given parameters.
double WeightedSSquare(const CA1TimeSeries& s, double di, double da, double tc, double sl) {
    const int n = static_cast<int>(s.m_aSamples.size());
    double sum = 0.0, weights = 0.0;
    for (std::size_t i = 0; i < s.m_aCharFunc.size(); ++i) {
        const A1SAMPLE& p = s.m_aCharFunc[i];
        const double v = p.dErrX + p.dErrY;
        const double w = v > 0.0 ? std::sqrt(double(n - 1 - int(i))) / v : std::sqrt(double(n - 1 - int(i)));
        const double r = Model(p.nIndex, di, da, tc, sl) - (p.dX + p.dY);
        sum += w * r * r;
        weights += w;
    }
    return sum / weights;
}

TEST(ModelFit, WithoutACharacteristicFunctionItAborts) {
    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(40, 0.3, 0.5, 20.0, 0.01, &log);
    s.CharFuncValid = 0;
    s.FitDi = 0.125;
    FitModel(s, 1);
    EXPECT_EQ(log.m_lines,
              std::vector<std::string>{"ERROR: Model fit aborted: No evaluated characteristic function data."});
    EXPECT_EQ(s.ModelValid, 0);
    EXPECT_EQ(s.FitDi, 0.125);
}

TEST(ModelFit, FifteenRecordsAreTooFewAndSixteenAreEnough) {
    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(15, 0.3, 0.5, 4.0, 0.01, &log);
    s.ModelValid = 1;
    s.FitDi = 0.125;
    FitModel(s, 1);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{
                               "ERROR: Model fit aborted: Insufficient number of characteristic function data."});
    EXPECT_EQ(s.FitDi, 0.125);

    log.m_lines.clear();
    CA1TimeSeries t = ModelSeries(16, 0.3, 0.5, 4.0, 0.01, &log);
    FitModel(t, 1);
    ASSERT_EQ(log.m_lines.size(), 2u);
    EXPECT_EQ(log.m_lines[0], "Fitting model to the characteristic function ...");
    EXPECT_EQ(log.m_lines[1].rfind("- fit result: Di = ", 0), 0u);
    EXPECT_EQ(t.ModelValid, 1);
}

// The bootstrap's whole-data evaluation against the model's sums written
// out here point by point, with the gradient in closed form: consecutive
// distances (the products of q carried through blocks of 64) and a stretch
// with gaps (an exponential per point), weighted and plain, a Tc small
// enough for the exponentials to underflow. Each value must agree to a few
// machine epsilons of the sum of its terms' magnitudes.
TEST(ModelFit, WholeDataSumsAreThePointSums) {
    FITMODULE m;
    std::vector<double> x, y, w;
    for (int d = 1; d <= 300; ++d) x.push_back(d);
    for (int d : {302, 305, 309, 310, 311, 350}) x.push_back(d);
    for (int d = 351; d <= 420; ++d) x.push_back(d);
    for (std::size_t i = 0; i < x.size(); ++i) {
        y.push_back(Model(x[i], 0.02, 0.04, 30.0, 0.002) * (1.0 + 0.1 * std::sin(0.7 * x[i])));
        w.push_back(1.0 + 0.5 * std::cos(0.3 * x[i]));
    }
    RegisterData(m, static_cast<int>(x.size()), x.data(), y.data(), w.data());
    const double cases[][4] = {
        {0.02, 0.04, 30.0, 0.002}, {0.01, 0.05, 0.4, 0.001}, {0.03, 0.0, 20.0, 0.0}, {-0.015, 0.02, 1e6, -0.003}};
    for (const auto& p : cases) {
        for (const int weighted : {1, 0}) {
            m.nWeighted = weighted;
            double want = 0.0, weights = 0.0, size = 0.0, g[4] = {}, gsize[4] = {};
            for (std::size_t i = 0; i < x.size(); ++i) {
                const double e = std::exp(-x[i] / p[2]);
                const double r = Model(x[i], p[0], p[1], p[2], p[3]) - y[i];
                const double wi = weighted ? w[i] : 1.0;
                const double terms[4] = {4.0 * p[0] * x[i], 4.0 * p[1] * x[i] * e,
                                         2.0 * p[1] * p[1] * e * x[i] * x[i] / (p[2] * p[2]), 2.0 * p[3] * x[i] * x[i]};
                want += wi * r * r;
                size += wi * r * r;
                weights += w[i];
                for (int k = 0; k < 4; ++k) {
                    g[k] += wi * 2.0 * r * terms[k];
                    gsize[k] += std::fabs(wi * 2.0 * r * terms[k]);
                }
            }
            const double scale = weighted ? 1.0 / weights : 1.0;
            double got[4] = {};
            const double sSquare = DriftModelOverData(m, p, got);
            EXPECT_NEAR(sSquare, want * scale, 1e-12 * size * scale) << p[2] << " weighted " << weighted;
            EXPECT_EQ(DriftModelOverData(m, p, nullptr), sSquare);
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(got[k], g[k] * scale, 1e-12 * gsize[k] * scale + 1e-300)
                    << "parameter " << k << ", Tc " << p[2] << ", weighted " << weighted;
        }
    }
}

TEST(ModelFit, RecoversTheParametersOfNoiseFreeModelData) {
    const double di = 0.3, da = 0.5, tc = 20.0, sl = 0.01;
    for (std::uint32_t seed : {1u, 2u, 12345u}) {
        CA1TimeSeries s = ModelSeries(200, di, da, tc, sl);
        FitModel(s, seed);
        ASSERT_EQ(s.ModelValid, 1);
        EXPECT_NEAR(s.FitDi, di, 1e-5 * di) << "seed " << seed;
        EXPECT_NEAR(s.FitDa, da, 1e-5 * da) << "seed " << seed;
        EXPECT_NEAR(s.FitTc, tc, 1e-4 * tc) << "seed " << seed;
        EXPECT_NEAR(s.FitS, sl, 1e-5 * sl) << "seed " << seed;
        EXPECT_LT(s.FitSSqr, 1e-12);
    }
}

TEST(ModelFit, TheResultLineUsesThreeSignificantDigitsAndSeconds) {
    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(200, 0.3, 0.5, 20.0, 0.01, &log);
    FitModel(s, 5);
    ASSERT_EQ(log.m_lines.size(), 2u);
    // tc is reported in seconds: 20 images of 2 s; the s-square of noise-free
    // data is tiny: "%.3G" with a three-digit exponent (or 0).
    const std::string prefix = "- fit result: Di = 0.3 nm, Da = 0.5 nm, tc = 40 s, s = 0.01 nm, s-sqr = ";
    ASSERT_EQ(log.m_lines[1].rfind(prefix, 0), 0u) << log.m_lines[1];
    EXPECT_TRUE(
        std::regex_match(log.m_lines[1].substr(prefix.size()), std::regex("0|[1-9](\\.[0-9]?[1-9])?E-[0-9]{3}")))
        << log.m_lines[1];
    EXPECT_LT(s.FitSSqr, 1e-12);
}

TEST(ModelFit, ImprovesOnItsStartForGeneratedSeries) {
    for (std::uint64_t seed : {1u, 2u, 3u, 4u}) {
        CA1TimeSeries s = MakeNoisyWalk(4000, seed);
        ExtractCharacteristicFunction(s, 10);
        ASSERT_EQ(s.CharFuncValid, 1);
        // The start of the fit, from the largest f, the largest time span and
        // the slope sum.
        const double t0 = s.m_dImagePeriod;
        double fmax = -1e300, tmax = 0.0;
        for (const A1SAMPLE& p : s.m_aCharFunc) {
            fmax = std::max(fmax, p.dX + p.dY);
            tmax = std::max(tmax, p.nIndex * t0);
        }
        const double di0 = std::sqrt(fmax * 0.45 / tmax * t0);
        const double da0 = std::sqrt(std::fabs(s.SlopeSum - fmax * 0.45 / tmax * t0));
        const double s0 = std::sqrt(fmax * 0.1) / tmax * t0;
        const double start = WeightedSSquare(s, di0, da0, 9.0, s0);

        FitModel(s, static_cast<std::uint32_t>(seed));
        ASSERT_EQ(s.ModelValid, 1);
        const double fitted = WeightedSSquare(s, s.FitDi, s.FitDa, s.FitTc, s.FitS);
        EXPECT_LT(fitted, 0.5 * start) << "series " << seed;
        EXPECT_GE(s.FitDi, 0.0);
        EXPECT_GE(s.FitDa, 0.0);
        EXPECT_GE(s.FitS, 0.0);
        EXPECT_GT(s.FitTc, 0.0);
        // FitSSqr is the plain sum of squares of the stored parameters.
        double plain = 0.0;
        for (const A1SAMPLE& p : s.m_aCharFunc) {
            const double r = Model(p.nIndex, s.FitDi, s.FitDa, s.FitTc, s.FitS) - (p.dX + p.dY);
            plain += r * r;
        }
        EXPECT_NEAR(s.FitSSqr, plain, 1e-9 * plain);
    }
}

TEST(ModelFit, TheSameSeedGivesTheSameFit) {
    CA1TimeSeries a = MakeNoisyWalk(3000, 11);
    ExtractCharacteristicFunction(a, 10);
    CA1TimeSeries b = a;
    FitModel(a, 4242);
    FitModel(b, 4242);
    EXPECT_EQ(a.FitDi, b.FitDi);
    EXPECT_EQ(a.FitDa, b.FitDa);
    EXPECT_EQ(a.FitTc, b.FitTc);
    EXPECT_EQ(a.FitS, b.FitS);
    EXPECT_EQ(a.FitSSqr, b.FitSSqr);
}

TEST(ModelFit, WithoutAnyImprovementTheStartValuesAreKept) {
    // A constant series: f = 0 everywhere, the start (0, 0, 9, 0) is exact
    // and no trial can do better.
    CA1TimeSeries s = MakeSeries(
        301, [](int) { return 1.0; }, [](int) { return 2.0; });
    ExtractCharacteristicFunction(s, 10);
    ASSERT_EQ(s.CharFuncValid, 1);
    FitModel(s, 7);
    EXPECT_EQ(s.ModelValid, 1);
    EXPECT_EQ(s.FitDi, 0.0);
    EXPECT_EQ(s.FitDa, 0.0);
    EXPECT_EQ(s.FitTc, 9.0);
    EXPECT_EQ(s.FitS, 0.0);
    EXPECT_EQ(s.FitSSqr, 0.0);
}

TEST(ModelFit, ANegativeSlopeSumStillGivesATransientRangeAndTheModel) {
    // A characteristic function that first falls gives a negative slope sum.
    // The transient's range is taken from its size (2 sqrt 0.4 > 0.5), so the
    // noise-free model is found as with any other start.
    CA1TimeSeries s = ModelSeries(60, 0.3, 0.5, 20.0, 0.01);
    s.SlopeSum = -0.4;
    FitModel(s, 3);
    EXPECT_EQ(s.ModelValid, 1);
    EXPECT_NEAR(s.FitDi, 0.3, 1e-4);
    EXPECT_NEAR(s.FitDa, 0.5, 1e-4);
    EXPECT_NEAR(s.FitTc, 20.0, 1e-2);
    EXPECT_NEAR(s.FitS, 0.01, 1e-5);
}

// The trial loop with a scripted minimiser: each trial records where it
// started and ends at the next s-square of the script, marking p0 with its
// number (1000 + trial).
std::vector<double> g_script;
std::vector<std::vector<double>> g_starts;

int ScriptedMinimizer(FITMODULE& fit, int*, double) {
    g_starts.push_back(fit.adParams);
    const std::size_t trial = g_starts.size();
    fit.dSSquare = trial <= g_script.size() ? g_script[trial - 1] : g_script.back();
    fit.adParams[0] = 1000.0 + static_cast<double>(trial);
    return FIT_SUCCESS;
}

double FirstParameter(double, const double* p) { return p[0]; }

struct TRIALRUN {
    FITTRIALS counts;
    double best[4];
};

// One datum 0 at x = 0 and f = p0: the start's s-square is p0^2. Every range
// is [0, 32768), so a random start is the generator's numbers themselves.
TRIALRUN RunTrials(double p0, std::vector<double> script) {
    g_script = std::move(script);
    g_starts.clear();
    FITMODULE fit;
    RegisterFunction(fit, FirstParameter, nullptr, 4);
    const double x[] = {0.0}, y[] = {0.0};
    RegisterData(fit, 1, x, y, nullptr);
    const double start[] = {p0, 6, 7, 8};
    CopyParametersIn(fit, start);
    for (int j = 0; j < 4; ++j) SetParameterRange(fit, j, 0.0, 32768.0, 1);
    CRandom random(1);
    TRIALRUN run;
    run.counts = RunFitTrials(fit, random, run.best, &ScriptedMinimizer);
    return run;
}

TEST(ModelFitTrials, TheSixthImprovementEndsTheLoop) {
    // Start s-square 25; improvements at 20, 10, 9, 8, 7, 6 (30 and the
    // second 10 are none): the eighth trial is the last.
    const TRIALRUN r = RunTrials(5.0, {20, 30, 10, 10, 9, 8, 7, 6, 1});
    EXPECT_EQ(r.counts.nTrials, 8);
    EXPECT_EQ(r.counts.nImprovements, 6);
    EXPECT_EQ(r.best[0], 1008.0);
    // Starts: the given point, then four generator numbers (seed 1) each.
    ASSERT_EQ(g_starts.size(), 8u);
    EXPECT_EQ(g_starts[0], (std::vector<double>{5, 6, 7, 8}));
    EXPECT_EQ(g_starts[1], (std::vector<double>{41, 18467, 6334, 26500}));
    EXPECT_EQ(g_starts[2], (std::vector<double>{19169, 15724, 11478, 29358}));
    EXPECT_EQ((std::vector<double>(r.best + 1, r.best + 4)),
              (std::vector<double>(g_starts[7].begin() + 1, g_starts[7].end())));
}

TEST(ModelFitTrials, TwentyTrialsWithoutImprovementKeepTheStart) {
    const TRIALRUN r = RunTrials(5.0, {25, 30});
    EXPECT_EQ(r.counts.nTrials, 20);
    EXPECT_EQ(r.counts.nImprovements, 0);
    EXPECT_EQ((std::vector<double>(r.best, r.best + 4)), (std::vector<double>{5, 6, 7, 8}));
}

TEST(ModelFitTrials, AStartWithoutPositiveSSquareTakesTheFirstTrialAsItIs) {
    // Start s-square 0: the first trial's 3 becomes the best without counting
    // as an improvement (its parameters are not the result); 2 then improves.
    TRIALRUN r = RunTrials(0.0, {3, 4});
    EXPECT_EQ(r.counts.nTrials, 20);
    EXPECT_EQ(r.counts.nImprovements, 0);
    EXPECT_EQ((std::vector<double>(r.best, r.best + 4)), (std::vector<double>{0, 6, 7, 8}));
    r = RunTrials(0.0, {3, 2, 4});
    EXPECT_EQ(r.counts.nTrials, 20);
    EXPECT_EQ(r.counts.nImprovements, 1);
    EXPECT_EQ(r.best[0], 1002.0);
}

TEST(FitSeed, FoldsTheUtcDateAndTimeIntoThirtyTwoBits) {
    EXPECT_EQ(SeedFromUtcTime(1970, 1, 1, 0, 0, 0), 86400u + 2678400u);
    EXPECT_EQ(SeedFromUtcTime(2024, 3, 15, 12, 34, 56),
              56u + 60u * 34 + 3600u * 12 + 86400u * 15 + 2678400u * 3 + 32140800u * 54);
    // Past 2100 the sum wraps around in unsigned 32-bit arithmetic.
    const std::uint64_t wide = 59ull + 60 * 59 + 3600 * 23 + 86400 * 31 + 2678400ull * 12 + 32140800ull * 136;
    EXPECT_EQ(SeedFromUtcTime(2106, 12, 31, 23, 59, 59), static_cast<std::uint32_t>(wide));
}

TEST(FitSeed, TheClockSeedIsTheFormulaOfTheCurrentUtcTime) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        // The same clock as the seed: time() may run a tick behind it.
        using std::chrono::system_clock;
        const std::time_t before = system_clock::to_time_t(system_clock::now());
        const std::uint32_t seed = SeedFromUtcClock();
        const std::time_t after = system_clock::to_time_t(system_clock::now());
        if (before != after) continue;  // a second boundary in between: try again
        std::tm utc{};
        ASSERT_NE(gmtime_r(&before, &utc), nullptr);
        EXPECT_EQ(seed, SeedFromUtcTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                                        utc.tm_sec));
        return;
    }
}

TEST(FitRandom, KnownSequenceForSeedOne) {
    // state = state * 214013 + 2531011, value = (state >> 16) & 0x7fff
    CRandom r(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int v : expected) EXPECT_EQ(r.Next(), v);
    r.Seed(0);
    EXPECT_EQ(r.Next(), 38);
    r.Seed(0xffffffffu);
    const std::uint32_t state = 0xffffffffu * 214013u + 2531011u;
    EXPECT_EQ(r.Next(), static_cast<int>((state >> 16) & 0x7fffu));
}

}  // namespace

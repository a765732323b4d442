// The characteristic function: closed forms (drift, white noise, constant
// series), the distance range, the gap rule, the failure paths, and the
// fast pair sums against a plain two-pass loop.

#include "eval/CharFunc.h"
#include "FitTestSupport.h"
#include "eval/PairSums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

std::vector<int> Distances(const CA1TimeSeries& s) {
    std::vector<int> d;
    for (const A1SAMPLE& p : s.m_aCharFunc) d.push_back(p.nIndex);
    return d;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> r;
    for (int i = from; i <= to; ++i) r.push_back(i);
    return r;
}

// --- distance range and the silent / too-short cases -----------------------

TEST(CharFunc, TenTimesDiversityPlusOneGivesTenDistancesOfWhichNineAreEvaluated) {
    for (int m : {5, 10, 37}) {
        CRecordingLog log;
        CA1TimeSeries s = MakeSeries(
            10 * m + 1, [](int k) { return 0.01 * k; }, [](int k) { return std::sin(k); });
        s.m_pLog = &log;
        ExtractCharacteristicFunction(s, m);
        ASSERT_EQ(s.CharFuncValid, 1) << "m = " << m;
        EXPECT_EQ(Distances(s), Range(1, 9));
        EXPECT_EQ(s.UsedMinDiversity, m);
        ASSERT_EQ(log.m_lines.size(), 4u);
        EXPECT_EQ(log.m_lines[0], "Extracting data for the characteristic function...");
        EXPECT_EQ(log.m_lines[1], "- inter-image distances of 1 up to 10");
        EXPECT_EQ(log.m_lines[2].rfind("- extracted measurement error: ", 0), 0u);
        EXPECT_EQ(log.m_lines[3], "The characteristic function was extracted successfully.");
    }
}

TEST(CharFunc, TenTimesDiversityIsTooShortAndChangesNothing) {
    CRecordingLog log;
    CA1TimeSeries s = MakeSeries(
        100, [](int k) { return k; }, [](int) { return 0.0; });
    s.m_pLog = &log;
    s.m_aCharFunc = {A1SAMPLE{1, 2.0, 3.0, 4.0, 5.0}};
    s.CharFuncValid = 1;
    s.ModelValid = 1;
    s.FitDi = 0.7;
    s.UsedMinDiversity = 20;
    ExtractCharacteristicFunction(s, 10);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: The recorded series is too short. Record more images!"});
    EXPECT_EQ(s.CharFuncValid, 1);
    EXPECT_EQ(s.ModelValid, 1);
    EXPECT_EQ(s.FitDi, 0.7);
    EXPECT_EQ(s.UsedMinDiversity, 20);
    ASSERT_EQ(s.m_aCharFunc.size(), 1u);
    EXPECT_EQ(s.m_aCharFunc[0].dX, 2.0);
}

TEST(CharFunc, FewerSamplesThanDiversityDoesNothingSilently) {
    CRecordingLog log;
    CA1TimeSeries s = MakeSeries(
        9, [](int k) { return k; }, [](int k) { return k; });
    s.m_pLog = &log;
    s.ModelValid = 1;
    ExtractCharacteristicFunction(s, 10);
    EXPECT_TRUE(log.m_lines.empty());
    EXPECT_EQ(s.ModelValid, 1);
    CA1TimeSeries empty;
    empty.m_pLog = &log;
    ExtractCharacteristicFunction(empty, 5);
    EXPECT_TRUE(log.m_lines.empty());
}

TEST(CharFunc, NonPositiveDiversityIsRejected) {
    for (int m : {0, -3}) {
        CRecordingLog log;
        CA1TimeSeries s = MakeSeries(
            500, [](int k) { return k; }, [](int k) { return k; });
        s.m_pLog = &log;
        s.ModelValid = 1;
        ExtractCharacteristicFunction(s, m);
        ASSERT_EQ(log.m_lines.size(), 1u);
        EXPECT_EQ(log.m_lines[0].rfind("ERROR: ", 0), 0u);
        EXPECT_EQ(s.ModelValid, 1);
        EXPECT_EQ(s.CharFuncValid, 0);
    }
}

TEST(CharFunc, WorksWithoutALog) {
    CA1TimeSeries s = MakeSeries(
        101, [](int k) { return 0.1 * k; }, [](int) { return 1.0; });
    ExtractCharacteristicFunction(s, 10);
    EXPECT_EQ(s.CharFuncValid, 1);
}

// --- closed forms --------------------------------------------------------------

TEST(CharFunc, PureDriftGrowsWithTheSquareOfTheDistance) {
    // x = 0.5 k, y = -0.25 k: every change over d is exact, so fx = 0.25 d^2,
    // fy = 0.0625 d^2 and the squares do not vary. A line through c d^2 at
    // d = 1, 2, 3 has slope 4c and intercept -10c/3.
    CA1TimeSeries s = MakeSeries(
        201, [](int k) { return 0.5 * k; }, [](int k) { return -0.25 * k; });
    ExtractCharacteristicFunction(s, 10);
    ASSERT_EQ(s.CharFuncValid, 1);
    ASSERT_EQ(Distances(s), Range(1, 19));
    const double cx = 0.25, cy = 0.0625;
    for (const A1SAMPLE& p : s.m_aCharFunc) {
        const double d = p.nIndex;
        EXPECT_NEAR(p.dX, cx * d * d + 10.0 * cx / 3.0, 1e-12 * d * d);
        EXPECT_NEAR(p.dY, cy * d * d + 10.0 * cy / 3.0, 1e-12 * d * d);
        EXPECT_EQ(p.dErrX, 0.0);
        EXPECT_EQ(p.dErrY, 0.0);
    }
    EXPECT_NEAR(s.SlopeSum, 4.0 * (cx + cy), 1e-12);
    // The intercepts are negative: the errors come out as not-a-number.
    EXPECT_TRUE(std::isnan(s.MeasErrX));
    EXPECT_TRUE(std::isnan(s.MeasErrY));
    EXPECT_TRUE(std::isnan(s.MeasErr));
}

TEST(CharFunc, WhiteNoiseIsFlatAtTwiceTheVarianceAndTheOffsetRemovesIt) {
    const double sigma = 0.5;  // 2 sigma^2 = 0.5
    std::mt19937_64 gen(7);
    std::normal_distribution<double> e(0.0, sigma);
    std::vector<double> xs(20001), ys(20001);
    for (double& v : xs) v = e(gen);
    for (double& v : ys) v = e(gen);
    CA1TimeSeries s = MakeSeries(
        20001, [&](int k) { return xs[k]; }, [&](int k) { return ys[k]; });
    ExtractCharacteristicFunction(s, 200);
    ASSERT_EQ(s.CharFuncValid, 1);
    ASSERT_EQ(Distances(s), Range(1, 99));
    // The offset is the flat level itself, so the error is sqrt(2) sigma.
    // (Statistical bounds: several standard errors of these estimates.)
    EXPECT_NEAR(s.MeasErrX, std::sqrt(2.0) * sigma, 0.06 * sigma);
    EXPECT_NEAR(s.MeasErrY, std::sqrt(2.0) * sigma, 0.06 * sigma);
    EXPECT_NEAR(s.MeasErr, 2.0 * sigma, 0.08 * sigma);
    double rawMean = 0.0, varMean = 0.0;
    for (const A1SAMPLE& p : s.m_aCharFunc) {
        // Before the subtraction f is 2 sigma^2, after it about 0.
        EXPECT_NEAR(p.dX, 0.0, 0.05) << "d = " << p.nIndex;
        EXPECT_NEAR(p.dY, 0.0, 0.05) << "d = " << p.nIndex;
        rawMean += p.dX + s.MeasErrX * s.MeasErrX;
        // Var(dx^2) of a normal change with variance 2 sigma^2 is 2 (2 sigma^2)^2.
        EXPECT_NEAR(p.dErrX, 2.0 * 0.25, 0.2 * 0.5);
        varMean += p.dErrX;
    }
    EXPECT_NEAR(rawMean / s.m_aCharFunc.size(), 2.0 * sigma * sigma, 0.02);
    EXPECT_NEAR(varMean / s.m_aCharFunc.size(), 2.0 * 0.25, 0.1 * 0.5);
    EXPECT_NEAR(s.SlopeSum, 0.0, 0.05);
}

TEST(CharFunc, ConstantSeriesGivesZerosEverywhere) {
    CRecordingLog log;
    CA1TimeSeries s = MakeSeries(
        301, [](int) { return 3.25; }, [](int) { return -1.5; });
    s.m_pLog = &log;
    ExtractCharacteristicFunction(s, 10);
    ASSERT_EQ(s.CharFuncValid, 1);
    ASSERT_EQ(s.m_aCharFunc.size(), 29u);
    for (const A1SAMPLE& p : s.m_aCharFunc) {
        EXPECT_EQ(p.dX, 0.0);
        EXPECT_EQ(p.dY, 0.0);
        EXPECT_EQ(p.dErrX, 0.0);
        EXPECT_EQ(p.dErrY, 0.0);
    }
    EXPECT_EQ(s.MeasErr, 0.0);
    EXPECT_EQ(s.SlopeSum, 0.0);
    EXPECT_TRUE(Contains(log.m_lines, "- extracted measurement error: 0.000 nm, (0.000, 0.000) nm"));
}

// --- the gap rule ----------------------------------------------------------------

TEST(CharFunc, AMissingImageNumberDropsExactlyThePairsSpanningIt) {
    // Image numbers 1 ... 50, then 52 ... 201: a pair (k, k + d) counts only
    // when both lie on the same side of the gap.
    CA1TimeSeries s = MakeSeries(
        200, [](int k) { return std::cos(0.1 * k); }, [](int k) { return 0.01 * k; });
    for (int k = 50; k < 200; ++k) s.m_aSamples[k].nIndex += 1;
    const std::vector<PAIRSTATS> stats = ComputePairStats(s.m_aSamples, 19);
    for (int d = 1; d <= 19; ++d) EXPECT_EQ(stats[d - 1].dPairs, (50 - d) + (150 - d)) << "d = " << d;
    ExtractCharacteristicFunction(s, 10);
    EXPECT_EQ(Distances(s), Range(1, 18));  // no distance lost
}

TEST(CharFunc, GapPairsDoNotContributeToTheMeans) {
    // x = image number: a counted pair always changes by exactly d. Were a
    // pair across the gap counted, its change d + 1 would show in fx.
    CA1TimeSeries s = MakeSeries(
        120, [](int) { return 0.0; }, [](int) { return 0.0; });
    for (int k = 0; k < 120; ++k) {
        A1SAMPLE& a = s.m_aSamples[k];
        a.nIndex = 1 + k + (k >= 40 ? 3 : 0);
        a.dX = a.nIndex;
    }
    const std::vector<PAIRSTATS> stats = ComputePairStats(s.m_aSamples, 10);
    for (int d = 1; d <= 10; ++d) {
        EXPECT_EQ(stats[d - 1].dFx, double(d) * d) << "d = " << d;
        EXPECT_EQ(stats[d - 1].dVarX, 0.0);
    }
}

TEST(CharFunc, ADistanceWithoutPairsGetsNoRecord) {
    // Blocks of six images in the order 1 3 5 0 2 4 (plus 6 j): position
    // distance 6 always pairs, 5 never does.
    const int order[6] = {1, 3, 5, 0, 2, 4};
    CA1TimeSeries s = MakeSeries(
        600, [](int k) { return 0.01 * k; }, [](int k) { return std::sin(k); });
    for (int k = 0; k < 600; ++k) s.m_aSamples[k].nIndex = 6 * (k / 6) + order[k % 6];
    ExtractCharacteristicFunction(s, 1);
    ASSERT_EQ(s.CharFuncValid, 1);
    const std::vector<int> d = Distances(s);
    EXPECT_EQ(std::count(d.begin(), d.end(), 5), 0);
    EXPECT_EQ(std::count(d.begin(), d.end(), 6), 1);
    EXPECT_EQ(std::count(d.begin(), d.end(), 1), 0);
}

TEST(CharFunc, FewerThanThreeDistancesWithPairsIsAnErrorAndLeavesNoFunction) {
    // Runs of three consecutive images: only the distances 1 and 2 pair.
    CRecordingLog log;
    CA1TimeSeries s = MakeSeries(
        300, [](int k) { return 0.1 * k; }, [](int) { return 0.0; });
    for (int k = 0; k < 300; ++k) s.m_aSamples[k].nIndex = 10 * (k / 3) + k % 3;
    s.m_pLog = &log;
    s.ModelValid = 1;
    ExtractCharacteristicFunction(s, 10);
    ASSERT_EQ(log.m_lines.size(), 3u);
    EXPECT_EQ(log.m_lines[2].rfind("ERROR: ", 0), 0u);
    EXPECT_EQ(s.CharFuncValid, 0);
    EXPECT_TRUE(s.m_aCharFunc.empty());
    EXPECT_EQ(s.ModelValid, 0);  // the evaluation was reset before the sums

    // Image numbers two apart never pair at all.
    for (int k = 0; k < 300; ++k) s.m_aSamples[k].nIndex = 2 * k;
    ExtractCharacteristicFunction(s, 10);
    EXPECT_EQ(s.CharFuncValid, 0);
    EXPECT_TRUE(s.m_aCharFunc.empty());
}

TEST(CharFunc, ANewExtractionResetsTheEvaluationButKeepsTheUsedInputs) {
    CA1TimeSeries s = MakeSeries(
        500, [](int k) { return 0.01 * k; }, [](int k) { return std::sin(0.1 * k); });
    s.ModelValid = 1;
    s.LifetimeState = 3;
    s.Tolerance = 1.0;
    s.DirectLifetime = 2.0;
    s.FitDi = s.FitDa = s.FitTc = s.FitS = 4.0;
    s.ModelLifetime = 5.0;
    s.FitSSqr = 6.0;
    s.UsedLimitPhase = 0.25;
    s.UsedElEnergykV = 300.0;
    s.UsedTargetResAng = 1.0;
    ExtractCharacteristicFunction(s, 10);
    EXPECT_EQ(s.CharFuncValid, 1);
    EXPECT_EQ(s.ModelValid, 0);
    EXPECT_EQ(s.LifetimeState, 0);
    EXPECT_EQ(s.Tolerance, 0.0);
    EXPECT_EQ(s.DirectLifetime, 0.0);
    EXPECT_EQ(s.FitDi + s.FitDa + s.FitTc + s.FitS, 0.0);
    EXPECT_EQ(s.ModelLifetime, 0.0);
    EXPECT_EQ(s.FitSSqr, 0.0);
    EXPECT_EQ(s.UsedLimitPhase, 0.25);
    EXPECT_EQ(s.UsedElEnergykV, 300.0);
    EXPECT_EQ(s.UsedTargetResAng, 1.0);
}

// --- the fast sums against a plain two-pass loop -------------------------------

struct PlainPoint {
    int d;
    double fx, fy, vx, vy;
};

// The straightforward computation: per distance, the squared changes of the
// counted pairs, their means, then the mean squared deviations.
std::vector<PlainPoint> PlainCharacteristicFunction(const std::vector<A1SAMPLE>& s, int m) {
    const int n = static_cast<int>(s.size());
    const int distances = static_cast<int>(std::floor(double(n - 1) / m));
    std::vector<PlainPoint> out;
    for (int d = 1; d < distances; ++d) {
        std::vector<double> qx, qy;
        for (int k = 0; k + d < n; ++k) {
            if (s[k + d].nIndex != s[k].nIndex + d) continue;
            const double dx = s[k + d].dX - s[k].dX, dy = s[k + d].dY - s[k].dY;
            qx.push_back(dx * dx);
            qy.push_back(dy * dy);
        }
        if (qx.empty()) continue;
        PlainPoint p{d, 0, 0, 0, 0};
        for (double q : qx) p.fx += q;
        for (double q : qy) p.fy += q;
        p.fx /= qx.size();
        p.fy /= qy.size();
        for (double q : qx) p.vx += (q - p.fx) * (q - p.fx);
        for (double q : qy) p.vy += (q - p.fy) * (q - p.fy);
        p.vx /= qx.size();
        p.vy /= qy.size();
        out.push_back(p);
    }
    return out;
}

void ExpectRelativelyEqual(double expected, double actual, const char* what, int d) {
    EXPECT_LE(std::fabs(expected - actual), 1e-12 * std::max(std::fabs(expected), std::fabs(actual)))
        << what << " at d = " << d << ": " << expected << " vs " << actual;
}

enum class Numbering { Consecutive, Gaps, Shuffled, Repeats };

std::vector<A1SAMPLE> RandomSamples(int n, Numbering numbering, std::uint64_t seed) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> step(0.0, 0.2), noise(0.0, 1.5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<A1SAMPLE> s(n);
    double x = 100.0, y = -40.0;
    int index = 1000;
    for (int k = 0; k < n; ++k) {
        x += step(gen);
        y += step(gen);
        if (numbering == Numbering::Gaps && u(gen) < 0.02) index += 1 + static_cast<int>(u(gen) * 5);
        if (numbering == Numbering::Shuffled && u(gen) < 0.01) index -= static_cast<int>(u(gen) * 30);
        if (numbering == Numbering::Repeats && u(gen) < 0.01) --index;  // the same image number twice
        s[k].nIndex = index++;
        s[k].dX = x + noise(gen);
        s[k].dY = y + noise(gen);
    }
    return s;
}

struct FastCase {
    int n;
    int m;
    Numbering numbering;
};

class CharFuncFast : public ::testing::TestWithParam<FastCase> {};

TEST_P(CharFuncFast, EqualsThePlainTwoPassLoop) {
    const FastCase c = GetParam();
    CA1TimeSeries s;
    s.m_aSamples = RandomSamples(c.n, c.numbering, 1000 + c.n + c.m);
    const std::vector<PlainPoint> plain = PlainCharacteristicFunction(s.m_aSamples, c.m);

    // The raw sums.
    const int dLast = static_cast<int>(std::floor(double(c.n - 1) / c.m)) - 1;
    const std::vector<PAIRSTATS> fast = ComputePairStats(s.m_aSamples, dLast);
    std::size_t j = 0;
    for (int d = 1; d <= dLast; ++d) {
        const PAIRSTATS& f = fast[d - 1];
        if (j < plain.size() && plain[j].d == d) {
            ExpectRelativelyEqual(plain[j].fx, f.dFx, "fx", d);
            ExpectRelativelyEqual(plain[j].fy, f.dFy, "fy", d);
            ExpectRelativelyEqual(plain[j].vx, f.dVarX, "Var(fx)", d);
            ExpectRelativelyEqual(plain[j].vy, f.dVarY, "Var(fy)", d);
            ++j;
        } else {
            EXPECT_EQ(f.dPairs, 0.0) << "d = " << d;
        }
    }
    EXPECT_EQ(j, plain.size());

    // The stored function: the same points less the intercepts.
    ExtractCharacteristicFunction(s, c.m);
    ASSERT_EQ(s.CharFuncValid, 1);
    ASSERT_EQ(s.m_aCharFunc.size(), plain.size());
    const double ax = s.MeasErrX * s.MeasErrX, ay = s.MeasErrY * s.MeasErrY;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const A1SAMPLE& p = s.m_aCharFunc[i];
        EXPECT_EQ(p.nIndex, plain[i].d);
        EXPECT_NEAR(p.dX + ax, plain[i].fx, 1e-12 * (plain[i].fx + ax));
        EXPECT_NEAR(p.dY + ay, plain[i].fy, 1e-12 * (plain[i].fy + ay));
        ExpectRelativelyEqual(plain[i].vx, p.dErrX, "Var(fx)", p.nIndex);
        ExpectRelativelyEqual(plain[i].vy, p.dErrY, "Var(fy)", p.nIndex);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SizesDiversitiesAndNumberings, CharFuncFast,
    ::testing::Values(FastCase{1003, 5, Numbering::Gaps}, FastCase{2777, 7, Numbering::Gaps},
                      FastCase{5001, 10, Numbering::Gaps}, FastCase{4099, 50, Numbering::Consecutive},
                      FastCase{3001, 10, Numbering::Consecutive}, FastCase{1999, 5, Numbering::Shuffled},
                      FastCase{3333, 11, Numbering::Shuffled}, FastCase{2501, 6, Numbering::Repeats},
                      FastCase{120, 1, Numbering::Gaps}, FastCase{75, 1, Numbering::Shuffled}));

TEST(CharFuncFastDeterminism, SameBitsForEveryInstructionSetAndThreadCount) {
    for (Numbering numbering : {Numbering::Consecutive, Numbering::Gaps, Numbering::Shuffled, Numbering::Repeats}) {
        const std::vector<A1SAMPLE> s = RandomSamples(6007, numbering, 99);
        const std::vector<PAIRSTATS> reference = ComputePairStats(s, 599, PairKernel::Baseline, 1);
        for (PairKernel kernel : {PairKernel::Baseline, PairKernel::Automatic}) {
            for (int threads : {1, 2, 3, 0}) {
                const std::vector<PAIRSTATS> r = ComputePairStats(s, 599, kernel, threads);
                ASSERT_EQ(r.size(), reference.size());
                EXPECT_EQ(std::memcmp(r.data(), reference.data(), r.size() * sizeof(PAIRSTATS)), 0)
                    << "threads " << threads;
            }
        }
    }
}

TEST(CharFuncFastDeterminism, HandlesTinyAndEmptyInputs) {
    EXPECT_TRUE(ComputePairStats({}, 0).empty());
    const std::vector<PAIRSTATS> one = ComputePairStats({A1SAMPLE{1, 1.0, 2.0, 0, 0}}, 3);
    ASSERT_EQ(one.size(), 3u);
    for (const PAIRSTATS& p : one) EXPECT_EQ(p.dPairs, 0.0);
    // Distances beyond the series have no pairs.
    const std::vector<A1SAMPLE> s = RandomSamples(20, Numbering::Consecutive, 3);
    const std::vector<PAIRSTATS> r = ComputePairStats(s, 40);
    for (int d = 1; d <= 40; ++d) EXPECT_EQ(r[d - 1].dPairs, d < 20 ? 20 - d : 0) << "d = " << d;
}

}  // namespace

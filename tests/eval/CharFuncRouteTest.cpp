// SPDX-License-Identifier: GPL-3.0-or-later
// The FFT route of the characteristic function against the pair sums:
// the same pairs, fx and fy within 1e-12 of |f| + |intercept|, the
// variances within 1e-10, on every kind of series whose numbers or values
// make the transforms hard; the error bound sending distances back to the
// direct sums; the route choice; the transforms themselves.

#include "FitTestSupport.h"
#include "eval/CharFunc.h"
#include "eval/PairSums.h"
#include "eval/PairSumsFft.h"
#include "eval/RealFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Plain two-pass loop over the pairs of one distance: the rule as stated,
// with nothing of the fast code.
PAIRSTATS PlainPairStats(const std::vector<A1SAMPLE>& s, int d) {
    PAIRSTATS r;
    double sx = 0.0, sy = 0.0;
    const int n = static_cast<int>(s.size());
    for (int k = 0; k + d < n; ++k) {
        if (static_cast<long long>(s[k + d].nIndex) != static_cast<long long>(s[k].nIndex) + d) continue;
        const double ex = s[k + d].dX - s[k].dX, ey = s[k + d].dY - s[k].dY;
        r.dPairs += 1.0;
        sx += ex * ex;
        sy += ey * ey;
    }
    if (r.dPairs == 0.0) return r;
    r.dFx = sx / r.dPairs;
    r.dFy = sy / r.dPairs;
    double vx = 0.0, vy = 0.0;
    for (int k = 0; k + d < n; ++k) {
        if (static_cast<long long>(s[k + d].nIndex) != static_cast<long long>(s[k].nIndex) + d) continue;
        const double ex = s[k + d].dX - s[k].dX, ey = s[k + d].dY - s[k].dY;
        vx += (ex * ex - r.dFx) * (ex * ex - r.dFx);
        vy += (ey * ey - r.dFy) * (ey * ey - r.dFy);
    }
    r.dVarX = vx / r.dPairs;
    r.dVarY = vy / r.dPairs;
    return r;
}

// Least-squares intercept through the first three distances with pairs.
double Intercept(const std::vector<PAIRSTATS>& stats, bool x) {
    std::vector<double> d, v;
    for (std::size_t i = 0; i < stats.size() && d.size() < 3; ++i) {
        if (stats[i].dPairs <= 0.0) continue;
        d.push_back(static_cast<double>(i + 1));
        v.push_back(x ? stats[i].dFx : stats[i].dFy);
    }
    if (d.size() < 3) return 0.0;
    const double dm = (d[0] + d[1] + d[2]) / 3.0, vm = (v[0] + v[1] + v[2]) / 3.0;
    double sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < 3; ++i) {
        sxy += (d[i] - dm) * (v[i] - vm);
        sxx += (d[i] - dm) * (d[i] - dm);
    }
    return vm - dm * sxy / sxx;
}

// Every distance of got against want within the promised tolerances.
void ExpectWithinTolerance(const std::vector<PAIRSTATS>& got, const std::vector<PAIRSTATS>& want,
                           const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    const double ax = std::fabs(Intercept(want, true)), ay = std::fabs(Intercept(want, false));
    int bad = 0;
    for (std::size_t i = 0; i < want.size() && bad < 5; ++i) {
        const PAIRSTATS& g = got[i];
        const PAIRSTATS& w = want[i];
        const int d = static_cast<int>(i + 1);
        EXPECT_EQ(g.dPairs, w.dPairs) << what << ", d = " << d;
        const bool ok = g.dPairs == w.dPairs && std::fabs(g.dFx - w.dFx) <= 1e-12 * (std::fabs(w.dFx) + ax) &&
                        std::fabs(g.dFy - w.dFy) <= 1e-12 * (std::fabs(w.dFy) + ay) &&
                        std::fabs(g.dVarX - w.dVarX) <= 1e-10 * std::fabs(w.dVarX) &&
                        std::fabs(g.dVarY - w.dVarY) <= 1e-10 * std::fabs(w.dVarY);
        if (!ok) {
            ++bad;
            ADD_FAILURE() << what << ", d = " << d << ": fx " << g.dFx << " / " << w.dFx << ", fy " << g.dFy << " / "
                          << w.dFy << ", var x " << g.dVarX << " / " << w.dVarX << ", var y " << g.dVarY << " / "
                          << w.dVarY;
        }
    }
}

std::vector<PAIRSTATS> Plain(const std::vector<A1SAMPLE>& s, int dLast) {
    std::vector<PAIRSTATS> r(static_cast<std::size_t>(dLast));
    for (int d = 1; d <= dLast; ++d) r[d - 1] = PlainPairStats(s, d);
    return r;
}

std::vector<A1SAMPLE> Walk(int n, std::uint64_t seed, double step, double noise, double drift, double offset = 0.0) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> w(0.0, step), e(0.0, noise);
    std::vector<A1SAMPLE> s(static_cast<std::size_t>(n));
    double x = offset, y = -0.5 * offset;
    for (int k = 0; k < n; ++k) {
        x += w(gen) + drift;
        y += w(gen) - 0.3 * drift;
        s[k] = A1SAMPLE{1000 + k, x + e(gen), y + e(gen), 0.0, 0.0};
    }
    return s;
}

// How many distances the transforms must give (the others go to the direct
// sums); the route must not quietly hand its work to the direct sums.
struct FftShare {
    int atLeast;
    int atMost;
};

struct SeriesCase {
    const char* name;
    std::vector<A1SAMPLE> samples;
    int dLast;
    FftShare fft;
};

// The counts the report gives must add up to the distances with pairs.
void ExpectFftShare(const PAIRFFTREPORT& report, const std::vector<PAIRSTATS>& want, FftShare share,
                    const std::string& what) {
    int withPairs = 0;
    for (const PAIRSTATS& w : want) withPairs += w.dPairs > 0.0;
    EXPECT_FALSE(report.bWholeSeriesDirect) << what;
    EXPECT_EQ(report.nFftDistances + static_cast<int>(report.aDirectDistances.size()), withPairs) << what;
    EXPECT_GE(report.nFftDistances, share.atLeast) << what;
    EXPECT_LE(report.nFftDistances, share.atMost) << what;
}

std::vector<SeriesCase> HardSeries() {
    std::vector<SeriesCase> c;
    const FftShare all{599, 599};
    c.push_back({"random walk", Walk(6000, 1, 0.05, 0.3, 0.0), 599, all});
    c.push_back({"drift-dominated", Walk(6000, 2, 0.001, 0.02, 0.05), 599, all});
    c.push_back({"large offset", Walk(6000, 3, 0.05, 0.3, 0.001, 1.0e6), 599, all});
    // A straight line: the variances of the squared changes are zero up to
    // rounding, which no relative bound can meet; all of it is the direct
    // sums' job.
    c.push_back({"strong drift, no noise", Walk(6000, 4, 0.0, 0.0, 3.0), 599, {0, 0}});
    // Without noise the smallest changes are tiny against the local
    // scatter: some distances may fail their bound, most must not.
    c.push_back({"random walk without noise", Walk(6000, 5, 0.05, 0.0, 0.0), 599, {500, 599}});
    {
        // Missing images: single ones, a long hole, a run shorter than the
        // distances, one shorter than the small-group limit.
        std::vector<A1SAMPLE> s = Walk(6000, 6, 0.05, 0.3, 0.002);
        for (std::size_t k = 0; k < s.size(); ++k) {
            int skip = static_cast<int>(k / 997);
            if (k >= 3000) skip += 200;
            if (k >= 3100) skip += 1;
            if (k >= 3140) skip += 5;
            s[k].nIndex += skip;
        }
        c.push_back({"gaps", s, 599, all});
    }
    {
        // Out of order: repeated numbers, numbers running backwards, a
        // block numbered again from an earlier number, a swapped pair.
        std::vector<A1SAMPLE> s = Walk(6000, 7, 0.05, 0.3, 0.001);
        for (std::size_t k = 0; k < s.size(); ++k) {
            if (k >= 1500 && k < 1510) s[k].nIndex = 5000 - static_cast<int>(k);
            if (k >= 2500) s[k].nIndex -= 700;  // numbers seen before come again
            if (k % 811 == 5) s[k].nIndex = s[k - 1].nIndex;
        }
        std::swap(s[4000].nIndex, s[4001].nIndex);
        c.push_back({"out of order", s, 599, all});
    }
    {
        // Two interleaved numberings: every group is full of holes.
        std::vector<A1SAMPLE> s = Walk(4000, 8, 0.05, 0.3, 0.0);
        for (std::size_t k = 0; k < s.size(); ++k)
            s[k].nIndex = (k % 2 == 0) ? static_cast<int>(k) : static_cast<int>(k) + 1000;
        // Pairs only inside a numbering, two positions apart: the even
        // distances 2 ... 398.
        c.push_back({"interleaved numbering", s, 399, {199, 199}});
    }
    return c;
}

TEST(CharFuncFftRoute, MatchesThePlainTwoPassSumsOnEveryHardKindOfSeries) {
    for (const SeriesCase& c : HardSeries()) {
        PAIRFFTREPORT report;
        const std::vector<PAIRSTATS> fft = ComputePairStatsFft(c.samples, c.dLast, &report);
        const std::vector<PAIRSTATS> plain = Plain(c.samples, c.dLast);
        ExpectFftShare(report, plain, c.fft, c.name);
        ExpectWithinTolerance(fft, plain, c.name);
    }
}

// The worst cases for the error bound at a size where whole levels of
// transforms run: a long random walk (large local scatter against small
// changes), a large offset, a strong drift. The reference is the direct
// route (itself checked against the plain loop in CharFuncTest).
TEST(CharFuncFftRoute, MatchesTheDirectSumsOnLongSeriesThatStressTheBound) {
    struct Long {
        const char* name;
        std::vector<A1SAMPLE> s;
        FftShare fft;
    };
    // The noise-free walk is the case the bound is hardest on (see above).
    const Long cases[] = {{"long random walk", Walk(120000, 11, 0.05, 0.0, 0.0), {1000, 1199}},
                          {"large offset", Walk(120000, 12, 0.05, 0.3, 0.001, 5.0e5), {1199, 1199}},
                          {"strong drift", Walk(120000, 13, 0.01, 0.3, 0.5), {1199, 1199}}};
    for (const Long& c : cases) {
        const int dLast = 1199;  // minimum diversity 100
        PAIRFFTREPORT report;
        const std::vector<PAIRSTATS> fft = ComputePairStatsFft(c.s, dLast, &report);
        const std::vector<PAIRSTATS> direct = ComputePairStats(c.s, dLast);
        ExpectFftShare(report, direct, c.fft, c.name);
        EXPECT_EQ(report.nLevels, 1) << c.name;
        ExpectWithinTolerance(fft, direct, c.name);
    }
}

TEST(CharFuncFftRoute, DistancesWhoseBoundFailsGetTheDirectSumsBitForBit) {
    // A slow oscillation far larger than the changes from image to image:
    // the local scatter swamps the correlations at small distances, so
    // their bounds fail and they must be summed directly.
    std::vector<A1SAMPLE> s = Walk(20000, 21, 0.0, 1e-3, 0.0);
    for (std::size_t k = 0; k < s.size(); ++k) s[k].dX += 1.0e4 * std::sin(2.0 * std::acos(-1.0) * k / 5000.0);
    const int dLast = 1999;
    PAIRFFTREPORT report;
    const std::vector<PAIRSTATS> fft = ComputePairStatsFft(s, dLast, &report);
    const std::vector<PAIRSTATS> direct = ComputePairStats(s, dLast);
    // About 500 distances fail: too few for a finer level, whose
    // transforms (length 1024 for distances up to 500) cost more per
    // sample than 500 direct distances.
    ExpectFftShare(report, direct, {1000, 1998}, "oscillation");
    EXPECT_EQ(report.nLevels, 1);
    EXPECT_FALSE(report.aDirectDistances.empty());
    for (int d : report.aDirectDistances) {
        EXPECT_EQ(fft[d - 1].dPairs, direct[d - 1].dPairs) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dFx, direct[d - 1].dFx) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dFy, direct[d - 1].dFy) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dVarX, direct[d - 1].dVarX) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dVarY, direct[d - 1].dVarY) << "d = " << d;
    }
    ExpectWithinTolerance(fft, direct, "oscillation");
}

// The same kind of oscillation, 200000 samples with minimum diversity 10
// and a period of 50000: the first level (FFT length 65536, windows longer
// than the period) fails every distance up to a few thousand, far too many
// to sum directly. Finer levels with windows much shorter than the period,
// where the local line takes out most of the swing, must give them.
TEST(CharFuncFftRoute, FinerLevelsTakeTheDistancesTheFirstOneFails) {
    std::vector<A1SAMPLE> s = Walk(200000, 24, 0.0, 1e-3, 0.0);
    for (std::size_t k = 0; k < s.size(); ++k) s[k].dX += 1.0e4 * std::sin(2.0 * std::acos(-1.0) * k / 50000.0);
    const int dLast = 19999;
    PAIRFFTREPORT report;
    const std::vector<PAIRSTATS> fft = ComputePairStatsFft(s, dLast, &report);
    EXPECT_GE(report.nLevels, 2);
    EXPECT_FALSE(report.bWholeSeriesDirect);
    EXPECT_EQ(report.nFftDistances + static_cast<int>(report.aDirectDistances.size()), dLast);
    EXPECT_LT(report.aDirectDistances.size(), 1000u);

    // The reference: the direct sums of every other distance up to 6000
    // (beyond the first level's failures) and of every 97th beyond.
    std::vector<int> checked;
    for (int d = 1; d <= dLast; d += d < 6000 ? 2 : 97) checked.push_back(d);
    const std::vector<PAIRSTATS> direct = ComputePairStatsFor(s, dLast, checked);
    std::vector<PAIRSTATS> got(direct.size()), want(direct.size());
    for (int d : checked) {
        got[d - 1] = fft[d - 1];
        want[d - 1] = direct[d - 1];
    }
    ExpectWithinTolerance(got, want, "long oscillation");
}

TEST(CharFuncFftRoute, ValuesThatAreNotFiniteGoToTheDirectSumsWhole) {
    std::vector<A1SAMPLE> s = Walk(3000, 22, 0.05, 0.3, 0.0);
    s[1000].dY = std::nan("");
    PAIRFFTREPORT report;
    const std::vector<PAIRSTATS> fft = ComputePairStatsFft(s, 299, &report);
    EXPECT_TRUE(report.bWholeSeriesDirect);
    const std::vector<PAIRSTATS> direct = ComputePairStats(s, 299);
    ASSERT_EQ(fft.size(), direct.size());
    EXPECT_EQ(std::memcmp(fft.data(), direct.data(), sizeof(PAIRSTATS) * fft.size()), 0);  // doubles only
}

TEST(CharFuncFftRoute, NumberingsInterleavedTooFinelyGoToTheDirectSumsWhole) {
    // Three numberings taking turns: every offset group spans the whole
    // series, three times its length in all.
    std::vector<A1SAMPLE> s = Walk(9000, 23, 0.05, 0.3, 0.0);
    for (std::size_t k = 0; k < s.size(); ++k) s[k].nIndex = static_cast<int>(k) + 100000 * static_cast<int>(k % 3);
    PAIRFFTREPORT report;
    const std::vector<PAIRSTATS> fft = ComputePairStatsFft(s, 899, &report);
    EXPECT_TRUE(report.bWholeSeriesDirect);
    ExpectWithinTolerance(fft, Plain(s, 899), "three numberings");
}

TEST(CharFuncFftRoute, HandlesTinyInputs) {
    EXPECT_TRUE(ComputePairStatsFft({}, 5).size() == 5u);
    EXPECT_TRUE(ComputePairStatsFft({A1SAMPLE{1, 1.0, 2.0, 0, 0}}, 0).empty());
    const std::vector<A1SAMPLE> three = {{1, 0.0, 0.0, 0, 0}, {2, 1.0, 2.0, 0, 0}, {3, 3.0, 2.0, 0, 0}};
    const std::vector<PAIRSTATS> r = ComputePairStatsFft(three, 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].dPairs, 2.0);
    EXPECT_DOUBLE_EQ(r[0].dFx, 2.5);  // (1 + 4) / 2
    EXPECT_DOUBLE_EQ(r[0].dVarX, 2.25);
    EXPECT_EQ(r[1].dPairs, 1.0);
    EXPECT_DOUBLE_EQ(r[1].dFy, 4.0);
}

// --- the route choice in the characteristic function ----------------------

TEST(CharFuncRouteChoice, SmallSeriesKeepTheDirectSumsAndLargeOnesTakeTheTransforms) {
    EXPECT_EQ(ChooseCharFuncRoute(1000, 98), CharFuncRoute::Direct);
    EXPECT_EQ(ChooseCharFuncRoute(10000, 998), CharFuncRoute::Direct);  // just below 1e7 pairs
    EXPECT_EQ(ChooseCharFuncRoute(10020, 1000), CharFuncRoute::Fft);    // just above
    EXPECT_EQ(ChooseCharFuncRoute(1000000, 99999), CharFuncRoute::Fft);
}

TEST(CharFuncRouteChoice, AutoBelowTheThresholdIsTheDirectRouteToTheLastBit) {
    CA1TimeSeries a = MakeNoisyWalk(10000, 31);
    CA1TimeSeries b = a;
    ExtractCharacteristicFunction(a, 10);
    ExtractCharacteristicFunction(b, 10, CharFuncRoute::Direct);
    ASSERT_EQ(a.m_aCharFunc.size(), b.m_aCharFunc.size());
    for (std::size_t i = 0; i < a.m_aCharFunc.size(); ++i) {
        const A1SAMPLE& p = a.m_aCharFunc[i];
        const A1SAMPLE& q = b.m_aCharFunc[i];
        EXPECT_EQ(p.nIndex, q.nIndex);
        EXPECT_EQ(std::memcmp(&p.dX, &q.dX, sizeof(double)), 0) << i;
        EXPECT_EQ(std::memcmp(&p.dY, &q.dY, sizeof(double)), 0) << i;
        EXPECT_EQ(std::memcmp(&p.dErrX, &q.dErrX, sizeof(double)), 0) << i;
        EXPECT_EQ(std::memcmp(&p.dErrY, &q.dErrY, sizeof(double)), 0) << i;
    }
    EXPECT_EQ(a.MeasErr, b.MeasErr);
}

TEST(CharFuncRouteChoice, BothRoutesAgreeAtTheThreshold) {
    // Just above the threshold with minimum diversity 10, with gaps.
    CA1TimeSeries a = MakeNoisyWalk(10050, 32);
    ASSERT_EQ(ChooseCharFuncRoute(10050, 1003), CharFuncRoute::Fft);
    for (std::size_t k = 0; k < a.m_aSamples.size(); ++k) a.m_aSamples[k].nIndex += static_cast<int>(k / 3000);
    CA1TimeSeries b = a;
    ExtractCharacteristicFunction(a, 10, CharFuncRoute::Fft);
    ExtractCharacteristicFunction(b, 10, CharFuncRoute::Direct);
    ASSERT_EQ(a.CharFuncValid, 1);
    ASSERT_EQ(a.m_aCharFunc.size(), b.m_aCharFunc.size());
    const double ax = b.MeasErrX * b.MeasErrX, ay = b.MeasErrY * b.MeasErrY;
    for (std::size_t i = 0; i < a.m_aCharFunc.size(); ++i) {
        const A1SAMPLE& p = a.m_aCharFunc[i];
        const A1SAMPLE& q = b.m_aCharFunc[i];
        ASSERT_EQ(p.nIndex, q.nIndex);
        // Stored values have the intercept subtracted: compare f against |f| + |intercept|.
        EXPECT_LE(std::fabs(p.dX - q.dX), 2e-12 * (std::fabs(q.dX + ax) + ax)) << "d = " << q.nIndex;
        EXPECT_LE(std::fabs(p.dY - q.dY), 2e-12 * (std::fabs(q.dY + ay) + ay)) << "d = " << q.nIndex;
        EXPECT_LE(std::fabs(p.dErrX - q.dErrX), 1e-10 * q.dErrX) << "d = " << q.nIndex;
        EXPECT_LE(std::fabs(p.dErrY - q.dErrY), 1e-10 * q.dErrY) << "d = " << q.nIndex;
    }
}

TEST(CharFuncRouteChoice, TheRouteIsNamedOnlyAtADebugLevel) {
    for (const unsigned level : {0u, 1u}) {
        for (const CharFuncRoute route : {CharFuncRoute::Direct, CharFuncRoute::Fft}) {
            CRecordingLog log(level);
            CA1TimeSeries s = MakeNoisyWalk(2000, 33);
            s.m_pLog = &log;
            ExtractCharacteristicFunction(s, 10, route);
            std::string found;
            for (const std::string& line : log.m_lines)
                if (line.find("pair sums") != std::string::npos) found = line;
            if (level == 0) {
                EXPECT_EQ(log.m_lines.size(), 4u);
                EXPECT_EQ(found, "");
            } else if (route == CharFuncRoute::Direct) {
                EXPECT_EQ(found, "DEBUG>  - pair sums: direct route");
            } else {
                EXPECT_EQ(found.rfind("DEBUG>  - pair sums: FFT route, ", 0), 0u) << found;
            }
        }
    }
}

// --- the transforms --------------------------------------------------------

TEST(RealFft, ForwardAndInverseMatchTheDefiningSums) {
    const int n = 48;
    CRealFft fft(n);
    CFftBuffer in(n + 2), spectrum(n + 2), back(n + 2);
    for (int j = 0; j < n; ++j) in.Real()[j] = std::sin(0.3 * j * j) + 0.1 * j;
    fft.Forward(in.Real(), spectrum.Complex());
    const double pi = std::acos(-1.0);
    for (int f = 0; f < fft.Bins(); ++f) {
        std::complex<double> want = 0.0;
        for (int j = 0; j < n; ++j) want += in.Real()[j] * std::polar(1.0, -2.0 * pi * f * j / n);
        EXPECT_NEAR(spectrum.Complex()[f].real(), want.real(), 1e-12) << f;
        EXPECT_NEAR(spectrum.Complex()[f].imag(), want.imag(), 1e-12) << f;
    }
    fft.Inverse(spectrum.Complex(), back.Real());
    for (int j = 0; j < n; ++j) EXPECT_NEAR(back.Real()[j], n * in.Real()[j], 1e-11) << j;
}

}  // namespace

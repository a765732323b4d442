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

struct SeriesCase {
    const char* name;
    std::vector<A1SAMPLE> samples;
    int dLast;
};

std::vector<SeriesCase> HardSeries() {
    std::vector<SeriesCase> c;
    c.push_back({"random walk", Walk(6000, 1, 0.05, 0.3, 0.0), 599});
    c.push_back({"drift-dominated", Walk(6000, 2, 0.001, 0.02, 0.05), 599});
    c.push_back({"large offset", Walk(6000, 3, 0.05, 0.3, 0.001, 1.0e6), 599});
    c.push_back({"strong drift, no noise", Walk(6000, 4, 0.0, 0.0, 3.0), 599});
    c.push_back({"random walk without noise", Walk(6000, 5, 0.05, 0.0, 0.0), 599});
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
        c.push_back({"gaps", s, 599});
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
        c.push_back({"out of order", s, 599});
    }
    {
        // Two interleaved numberings: every group is full of holes.
        std::vector<A1SAMPLE> s = Walk(4000, 8, 0.05, 0.3, 0.0);
        for (std::size_t k = 0; k < s.size(); ++k)
            s[k].nIndex = (k % 2 == 0) ? static_cast<int>(k) : static_cast<int>(k) + 1000;
        c.push_back({"interleaved numbering", s, 399});
    }
    return c;
}

TEST(CharFuncFftRoute, MatchesThePlainTwoPassSumsOnEveryHardKindOfSeries) {
    for (const SeriesCase& c : HardSeries()) {
        const std::vector<PAIRSTATS> fft = ComputePairStatsFft(c.samples, c.dLast);
        ExpectWithinTolerance(fft, Plain(c.samples, c.dLast), c.name);
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
    };
    const Long cases[] = {{"long random walk", Walk(120000, 11, 0.05, 0.0, 0.0)},
                          {"large offset", Walk(120000, 12, 0.05, 0.3, 0.001, 5.0e5)},
                          {"strong drift", Walk(120000, 13, 0.01, 0.3, 0.5)}};
    for (const Long& c : cases) {
        const int dLast = 1199;  // minimum diversity 100
        PAIRFFTREPORT report;
        const std::vector<PAIRSTATS> fft = ComputePairStatsFft(c.s, dLast, &report);
        EXPECT_FALSE(report.bDirect) << c.name;
        ExpectWithinTolerance(fft, ComputePairStats(c.s, dLast), c.name);
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
    EXPECT_FALSE(report.bDirect);
    EXPECT_GT(report.nRecomputed, 0);
    EXPECT_EQ(report.nRecomputed, static_cast<int>(report.aRecomputed.size()));
    for (int d : report.aRecomputed) {
        EXPECT_EQ(fft[d - 1].dPairs, direct[d - 1].dPairs) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dFx, direct[d - 1].dFx) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dFy, direct[d - 1].dFy) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dVarX, direct[d - 1].dVarX) << "d = " << d;
        EXPECT_EQ(fft[d - 1].dVarY, direct[d - 1].dVarY) << "d = " << d;
    }
    ExpectWithinTolerance(fft, direct, "oscillation");
}

TEST(CharFuncFftRoute, ValuesThatAreNotFiniteGoToTheDirectSumsWhole) {
    std::vector<A1SAMPLE> s = Walk(3000, 22, 0.05, 0.3, 0.0);
    s[1000].dY = std::nan("");
    PAIRFFTREPORT report;
    const std::vector<PAIRSTATS> fft = ComputePairStatsFft(s, 299, &report);
    EXPECT_TRUE(report.bDirect);
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
    EXPECT_TRUE(report.bDirect);
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

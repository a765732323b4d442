// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/Bootstrap.h"
#include "boot/Intervals.h"
#include "eval/EvalSteps.h"
#include "sim/ModelSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A fitted series drawn from the model: n images, t0 = 2 s.
CA1TimeSeries FittedSeries(const MODELPARAMS& truth, double noise, int n, std::uint32_t seed) {
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.0;
    std::vector<A1SAMPLE> layout(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) layout[static_cast<std::size_t>(i)].nIndex = 1 + i;
    const CModelSimulator sim(truth, n - 1);
    CRandomStream random(DeriveStreamSeed(seed, 999));
    s.m_aSamples = SimulateSamples(sim, SIMNOISE{noise, noise}, layout, random);
    EVALINPUTS in;
    in.nSeed = seed;
    RunCharFuncStep(s, in);
    RunModelFitStep(s, in, FitStepStart::FitOnly);
    return s;
}

const MODELPARAMS kTruth{0.03, 0.02, 20.0, 0.002};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

REPLICATE Rep(double di, double ssqr = 1.0) {
    REPLICATE r;
    r.bModel = true;
    r.params = MODELPARAMS{di, 0.0, 1.0, 0.0};
    r.dSSqr = ssqr;
    r.aDirectTrace = {{1, 0.0, 0.0, 0, 0}, {2, 0.001, 0.0, 0, 0}};
    return r;
}

}  // namespace

// Replicate i depends only on the seed and i: one, two and five threads
// give the same bits.
TEST(Bootstrap, SameBitsForEveryThreadCount) {
    const CA1TimeSeries s = FittedSeries(kTruth, 0.02, 260, 5);
    ASSERT_EQ(s.ModelValid, 1);
    BOOTSTRAPRUN runs[3];
    const int threads[3] = {1, 2, 5};
    for (int k = 0; k < 3; ++k) {
        BOOTSTRAPOPTIONS o;
        o.nReplicates = 12;
        o.nSeed = 77;
        o.nThreads = threads[k];
        runs[k] = RunBootstrap(s, EVALINPUTS{}, o);
        ASSERT_EQ(runs[k].status, BootstrapStatus::Done);
        ASSERT_EQ(runs[k].replicates.size(), 12u);
    }
    for (int k = 1; k < 3; ++k)
        for (std::size_t i = 0; i < 12; ++i) {
            const REPLICATE &a = runs[0].replicates[i], &b = runs[k].replicates[i];
            EXPECT_TRUE(SameBits(a.params.Di, b.params.Di) && SameBits(a.params.Da, b.params.Da) &&
                        SameBits(a.params.Tc, b.params.Tc) && SameBits(a.params.s, b.params.s) &&
                        SameBits(a.dSSqr, b.dSSqr))
                << "threads " << threads[k] << " replicate " << i;
        }
    // Different replicates differ (the streams are not the same).
    EXPECT_NE(runs[0].replicates[0].params.Di, runs[0].replicates[1].params.Di);
    // Another seed gives other replicates.
    BOOTSTRAPOPTIONS o;
    o.nReplicates = 12;
    o.nSeed = 78;
    EXPECT_NE(RunBootstrap(s, EVALINPUTS{}, o).replicates[0].params.Di, runs[0].replicates[0].params.Di);
}

// Cancel stops after the replicates in progress and says so; a cancel
// before the start runs none.
TEST(Bootstrap, CancelStopsAndSaysSo) {
    const CA1TimeSeries s = FittedSeries(kTruth, 0.02, 260, 6);
    std::atomic<bool> cancel{false};
    BOOTSTRAPOPTIONS o;
    o.nReplicates = 200;
    o.nThreads = 2;
    o.pCancel = &cancel;
    int calls = 0, last = 0;
    // A fitted model that is not a process gets the random-walk reading's 200 too.
    const bool process = CModelSimulator(ModelParameters(s), ImageSpan(s.m_aSamples)).ClippedShare() == 0.0;
    o.progress = [&](int done, int total) {
        ++calls;
        EXPECT_EQ(total, process ? 200 : 400);
        EXPECT_EQ(done, last + 1);  // one call at a time, counting up
        last = done;
        if (done == 5) cancel = true;
    };
    const BOOTSTRAPRUN run = RunBootstrap(s, EVALINPUTS{}, o);
    EXPECT_EQ(run.status, BootstrapStatus::Cancelled);
    EXPECT_TRUE(run.replicates.empty());
    EXPECT_LT(calls, 10);
    EXPECT_FALSE(ComputeIntervals(run, s, 1.0).bValid);

    o.progress = nullptr;
    cancel = true;
    EXPECT_EQ(RunBootstrap(s, EVALINPUTS{}, o).status, BootstrapStatus::Cancelled);
}

// A fit that traded its random walk for a transient (Di near 0: the model
// is not a process) gets a second set of replicates from the random-walk
// reading, Di^2 + Da^2 without transient, and its intervals span both sets;
// a fit that is a process gets none.
TEST(Bootstrap, AModelThatIsNoProcessIsAlsoReadAsARandomWalk) {
    CA1TimeSeries s = FittedSeries(kTruth, 0.02, 260, 6);
    ASSERT_EQ(s.ModelValid, 1);
    s.FitDi = 1e-9;
    s.FitDa = 0.03;
    s.FitTc = 20.0;
    BOOTSTRAPOPTIONS o;
    o.nReplicates = 100;
    o.nSeed = 3;
    BOOTSTRAPRUN run = RunBootstrap(s, EVALINPUTS{}, o);
    ASSERT_EQ(run.status, BootstrapStatus::Done);
    EXPECT_GT(run.dClippedShare, 0.0);
    ASSERT_EQ(run.walkReplicates.size(), 100u);
    EXPECT_DOUBLE_EQ(run.walkReading.Di, std::sqrt(1e-18 + 0.03 * 0.03));
    EXPECT_EQ(run.walkReading.Da, 0.0);
    EXPECT_EQ(run.walkReading.s, s.FitS);

    const INTERVALSET both = ComputeIntervals(run, s, 0.3);
    EXPECT_TRUE(both.bWalkReading);
    EXPECT_NE(IntervalMethodText(both).find("random-walk reading"), std::string::npos);
    run.walkReplicates.clear();
    const INTERVALSET fitted = ComputeIntervals(run, s, 0.3);
    bool wider = false;
    for (int q = 0; q < IQ_COUNT; ++q) {
        EXPECT_LE(both.q[q].lo95.dValue, fitted.q[q].lo95.dValue) << q;
        EXPECT_GE(both.q[q].hi95.dValue, fitted.q[q].hi95.dValue) << q;
        wider = wider || both.q[q].hi95.dValue > fitted.q[q].hi95.dValue;
    }
    // The walk's replicates have a random walk of 0.03 nm where the fitted
    // model's have none: their Di reaches far above.
    EXPECT_TRUE(wider);
    EXPECT_GT(both.q[IQ_DI].hi95.dValue, 0.01);

    s.FitDi = 0.03;
    s.FitDa = 0.0;
    EXPECT_TRUE(RunBootstrap(s, EVALINPUTS{}, o).walkReplicates.empty());
}

TEST(Bootstrap, NoModelNoRun) {
    CA1TimeSeries s;
    EXPECT_EQ(RunBootstrap(s, EVALINPUTS{}, BOOTSTRAPOPTIONS{}).status, BootstrapStatus::NoModel);
}

// The goodness-of-fit p is the share of replicates (with a model) whose
// s-square is at least the observed one.
TEST(Bootstrap, GoodnessOfFitIsTheShareAtLeastAsLarge) {
    BOOTSTRAPRUN run;
    run.status = BootstrapStatus::Done;
    run.dObservedSSqr = 3.0;
    for (double v : {1.0, 2.0, 3.0, 4.0, 5.0}) run.replicates.push_back(Rep(0.01, v));
    run.replicates.push_back(REPLICATE{});  // no model: not counted
    EXPECT_DOUBLE_EQ(GoodnessOfFitP(run), 3.0 / 5.0);
}

// Quantiles at position p (n + 1) between order statistics: worked by hand.
TEST(Intervals, SortedQuantileByHand) {
    const std::vector<double> v = {1.0, 2.0, 4.0, 8.0, 16.0};
    EXPECT_DOUBLE_EQ(SortedQuantile(v, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(SortedQuantile(v, 0.5), 4.0);
    EXPECT_DOUBLE_EQ(SortedQuantile(v, 0.75), 12.0);  // position 4.5: half-way between 8 and 16
    EXPECT_DOUBLE_EQ(SortedQuantile(v, 1.0), 16.0);
    const double inf = HUGE_VAL;
    EXPECT_EQ(SortedQuantile({1.0, 2.0, inf}, 0.6), inf);  // position 2.4: between 2 and infinity
    EXPECT_EQ(SortedQuantile({1.0, 2.0, inf}, 0.5), 2.0);  // position 2: exactly on 2
    EXPECT_EQ(SortedQuantile({1.0, 2.0, inf}, 0.1), 1.0);  // before the first: the first
}

// Percentile ends of Di from 101 hand-made replicates 0, 0.001 ... 0.1:
// the 2.5 % quantile sits at position 102 * 0.025 = 2.55, i.e. 0.00155, the
// 97.5 % one at 99.45, i.e. 0.09845; a basic interval reflects them about
// the estimate, the envelope takes the wider end of both. The program's
// construction, the envelope with calibrated 95 % ends, takes the 1.5 % and
// 98.5 % quantiles: positions 1.53 and 100.47, i.e. 0.00053 and 0.09947,
// reflected 0.12 - 0.09947 and 0.12 - 0.00053.
TEST(Intervals, PercentileAndBasicEndsByHand) {
    BOOTSTRAPRUN run;
    run.status = BootstrapStatus::Done;
    run.dImagePeriod = 2.0;
    for (int i = 0; i <= 100; ++i) run.replicates.push_back(Rep(0.001 * i));
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.0;
    s.CharFuncValid = s.ModelValid = 1;
    s.FitDi = 0.06;
    s.FitTc = 1.0;
    const INTERVALSET p = ComputeIntervals(run, s, 1.0, IntervalMethod::Percentile, kNominalTail95);
    ASSERT_TRUE(p.bValid);
    EXPECT_NEAR(p.q[IQ_DI].lo95.dValue, 0.00155, 1e-15);
    EXPECT_NEAR(p.q[IQ_DI].hi95.dValue, 0.09845, 1e-15);
    EXPECT_NEAR(p.q[IQ_DI].lo68.dValue, 0.01518281, 1e-15);  // position 16.18281
    EXPECT_EQ(p.q[IQ_DI].dEstimate, 0.06);
    const INTERVALSET b = ComputeIntervals(run, s, 1.0, IntervalMethod::Basic, kNominalTail95);
    EXPECT_NEAR(b.q[IQ_DI].lo95.dValue, 0.12 - 0.09845, 1e-15);
    EXPECT_NEAR(b.q[IQ_DI].hi95.dValue, 0.12 - 0.00155, 1e-15);
    const INTERVALSET e = ComputeIntervals(run, s, 1.0, IntervalMethod::Envelope, kNominalTail95);
    EXPECT_NEAR(e.q[IQ_DI].lo95.dValue, 0.00155, 1e-15);
    EXPECT_NEAR(e.q[IQ_DI].hi95.dValue, 0.12 - 0.00155, 1e-15);
    const INTERVALSET c = ComputeIntervals(run, s, 1.0);
    EXPECT_NEAR(c.q[IQ_DI].lo95.dValue, 0.00053, 1e-15);
    EXPECT_NEAR(c.q[IQ_DI].hi95.dValue, 0.12 - 0.00053, 1e-15);
    EXPECT_EQ(c.q[IQ_DI].lo68.dValue, e.q[IQ_DI].lo68.dValue);
    EXPECT_NE(IntervalMethodText(c).find("1.5 % and 98.5 % quantiles"), std::string::npos);
    EXPECT_EQ(p.q[IQ_TC].lo95.dValue, 2.0);  // Tc in seconds: 1 image of 2 s
}

// Replicates whose model never reaches the tolerance (no random part, no
// drift) leave the upper ends open; a replicate without a model opens the
// ends it falls on. Open ends carry no value that looks finite.
TEST(Intervals, UnboundedEndsAreOpen) {
    BOOTSTRAPRUN run;
    run.status = BootstrapStatus::Done;
    run.dImagePeriod = 1.0;
    for (int i = 0; i < 50; ++i) {
        REPLICATE r = Rep(0.05 + 0.001 * i);
        // Half of them: no random walk, no drift: the lifetime has no result.
        if (i % 2) r.params = MODELPARAMS{0.0, 0.0, 1.0, 0.0};
        run.replicates.push_back(r);
    }
    CA1TimeSeries s;
    s.m_dImagePeriod = 1.0;
    s.CharFuncValid = s.ModelValid = 1;
    s.FitDi = 0.06;
    s.FitTc = 1.0;
    s.m_aCharFunc = {{1, 0.0, 0.0, 0, 0}, {2, 0.01, 0.0, 0, 0}};
    const INTERVALSET set = ComputeIntervals(run, s, 1.0, IntervalMethod::Percentile);
    const INTERVAL& life = set.q[IQ_MODEL_LIFETIME];
    EXPECT_FALSE(life.lo95.bOpen);
    EXPECT_GT(life.lo95.dValue, 0.0);
    EXPECT_TRUE(life.hi68.bOpen);
    EXPECT_TRUE(life.hi95.bOpen);
    EXPECT_EQ(life.hi95.dValue, HUGE_VAL);  // no finite-looking number
    EXPECT_TRUE(std::isfinite(life.dLargestFinite));
    EXPECT_FALSE(set.q[IQ_DI].hi95.bOpen);
    // The reflection of an open upper end lies below zero: the basic lower
    // end and with it the envelope's is zero, a true bound of a lifetime.
    const INTERVALSET envelope = ComputeIntervals(run, s, 1.0, IntervalMethod::Envelope);
    EXPECT_FALSE(envelope.q[IQ_MODEL_LIFETIME].lo95.bOpen);
    EXPECT_EQ(envelope.q[IQ_MODEL_LIFETIME].lo95.dValue, 0.0);
    EXPECT_TRUE(envelope.q[IQ_MODEL_LIFETIME].hi95.bOpen);

    // 10 % without a model: beyond both 95 % ends, inside the 68 % ones.
    for (int i = 0; i < 6; ++i) run.replicates.push_back(REPLICATE{});
    const INTERVALSET withFailed = ComputeIntervals(run, s, 1.0, IntervalMethod::Percentile);
    EXPECT_TRUE(withFailed.q[IQ_DI].lo95.bOpen);
    EXPECT_TRUE(withFailed.q[IQ_DI].hi95.bOpen);
    EXPECT_FALSE(withFailed.q[IQ_DI].lo68.bOpen);
    EXPECT_EQ(withFailed.nReplicatesWithModel, 50);
}

// A replicate's lifetimes come from the same functions as the series'
// own: a replicate with the series' model and characteristic function has
// the series' lifetimes.
TEST(Intervals, ReplicateLifetimesAreTheSeriesLifetimes) {
    CA1TimeSeries s = FittedSeries(kTruth, 0.02, 400, 9);
    ASSERT_EQ(s.ModelValid, 1);
    const double a = 0.35;
    EvaluateDirectLifetime(s, a);
    const double model = EvaluateModelLifetime(s, a);
    const LIFETIMELIMITS limits = ModelLifetimeLimits(s, a);
    REPLICATE r;
    r.bModel = true;
    r.params = ModelParameters(s);
    r.aDirectTrace = DirectLifetimeTrace(s.m_aCharFunc);
    const REPLICATELIFETIMES l = ReplicateLifetimes(r, s.m_dImagePeriod, a);
    EXPECT_EQ(l.dModel, model);
    EXPECT_EQ(l.dP84, limits.p84);
    EXPECT_EQ(l.dP50, limits.p50);
    EXPECT_EQ(l.dP16, limits.p16);
    // The reduced function keeps the direct lifetime of every tolerance.
    for (double tol : {0.01, 0.1, 0.2, 0.3, 0.5, 2.0}) {
        CA1TimeSeries full = s, reduced = s;
        reduced.m_aCharFunc = r.aDirectTrace;
        EXPECT_EQ(EvaluateDirectLifetime(full, tol), EvaluateDirectLifetime(reduced, tol)) << tol;
        EXPECT_EQ(full.LifetimeState, reduced.LifetimeState) << tol;
    }
}

// A small study: series drawn from a known model give goodness-of-fit
// p-values that are uniform (Kolmogorov-Smirnov at the 1 % level). Wrong
// replicate noise or a wrong model in the simulation pushes them to one end.
TEST(Bootstrap, GoodnessOfFitPIsUniformOnASmallStudy) {
    const MODELPARAMS truth{0.03, 0.02, 6.0, 0.002};
    const int series = 24;
    std::vector<double> ps;
    for (int i = 0; i < series; ++i) {
        const CA1TimeSeries s = FittedSeries(truth, 0.03, 171, 100 + static_cast<std::uint32_t>(i));
        ASSERT_EQ(s.ModelValid, 1);
        BOOTSTRAPOPTIONS o;
        o.nReplicates = 30;
        o.nSeed = 500 + static_cast<std::uint32_t>(i);
        ps.push_back(GoodnessOfFitP(RunBootstrap(s, EVALINPUTS{}, o)));
    }
    std::sort(ps.begin(), ps.end());
    double d = 0.0;
    for (int i = 0; i < series; ++i)
        d = std::max({d, (i + 1.0) / series - ps[static_cast<std::size_t>(i)],
                      ps[static_cast<std::size_t>(i)] - static_cast<double>(i) / series});
    // Critical distance of the one-sample test at 1 % for n = 24: 1.63 / sqrt(n).
    EXPECT_LT(d, 1.63 / std::sqrt(static_cast<double>(series)));
}

// The bands of P(a,t) and f(t): with 79 replicates Di = 0.001 ... 0.079 nm
// (no transient, no drift) the 2.5 % and 97.5 % quantiles sit at positions
// 2 and 78, the second and the second-last order statistic, i.e. the
// models with Di = 0.078 and 0.002 nm (P falls and f grows with Di).
TEST(Intervals, BandsOfTheReplicatesModels) {
    BOOTSTRAPRUN run;
    run.status = BootstrapStatus::Done;
    run.dImagePeriod = 2.0;
    for (int i = 0; i < 79; ++i) run.replicates.push_back(Rep(0.001 * (i + 1)));
    const std::vector<double> times = {0.0, 20.0, 200.0};
    const double a = 0.1;
    const std::vector<BANDPOINT> p = StayProbabilityBand(run, a, times);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].dLow, 1.0);
    EXPECT_EQ(p[0].dHigh, 1.0);
    for (int k = 1; k < 3; ++k) {
        const double tau = times[static_cast<std::size_t>(k)] / 2.0;
        EXPECT_DOUBLE_EQ(p[static_cast<std::size_t>(k)].dLow, StayProbability(MODELPARAMS{0.078, 0, 1, 0}, tau, a * a));
        EXPECT_DOUBLE_EQ(p[static_cast<std::size_t>(k)].dHigh,
                         StayProbability(MODELPARAMS{0.002, 0, 1, 0}, tau, a * a));
        EXPECT_LT(p[static_cast<std::size_t>(k)].dLow, p[static_cast<std::size_t>(k)].dHigh);
    }
    const std::vector<BANDPOINT> f = ModelFunctionBand(run, times);
    // f = 2 tau Di^2 at tau = 100 images.
    EXPECT_NEAR(f[2].dLow, 2.0 * 100.0 * 0.002 * 0.002, 1e-12 * f[2].dLow);
    EXPECT_NEAR(f[2].dHigh, 2.0 * 100.0 * 0.078 * 0.078, 1e-12 * f[2].dHigh);
    // A replicate without a model per 20 widens the band to its limits.
    for (int i = 0; i < 3; ++i) run.replicates.push_back(REPLICATE{});
    EXPECT_EQ(ModelFunctionBand(run, times)[2].dHigh, HUGE_VAL);
    EXPECT_EQ(StayProbabilityBand(run, a, times)[2].dLow, 0.0);
}

// A new tolerance (a Refresh at another energy or resolution) takes the kept
// replicates: the parameters' intervals stay, the lifetimes' are the
// quantiles of the replicates' lifetimes at the new tolerance.
TEST(Intervals, NewToleranceNeedsNoNewSimulation) {
    const CA1TimeSeries s = FittedSeries(kTruth, 0.02, 300, 12);
    BOOTSTRAPOPTIONS o;
    o.nReplicates = 39;
    o.nSeed = 3;
    const BOOTSTRAPRUN run = RunBootstrap(s, EVALINPUTS{}, o);
    const INTERVALSET first = ComputeIntervals(run, s, 0.3, IntervalMethod::Percentile);
    const INTERVALSET second = ComputeIntervals(run, s, 0.5, IntervalMethod::Percentile);
    EXPECT_EQ(first.q[IQ_DI].lo95.dValue, second.q[IQ_DI].lo95.dValue);
    EXPECT_EQ(first.q[IQ_S].hi95.dValue, second.q[IQ_S].hi95.dValue);
    EXPECT_NE(first.q[IQ_MODEL_LIFETIME].lo95.dValue, second.q[IQ_MODEL_LIFETIME].lo95.dValue);
    // 39 replicates: the 2.5 % and 97.5 % quantiles sit at positions 1 and 39.
    std::vector<double> lives;
    for (const REPLICATE& r : run.replicates) {
        ASSERT_TRUE(r.bModel);
        const double v = ReplicateLifetimes(r, s.m_dImagePeriod, 0.5).dModel;
        lives.push_back(std::isnan(v) ? HUGE_VAL : v);
    }
    std::sort(lives.begin(), lives.end());
    EXPECT_EQ(second.q[IQ_MODEL_LIFETIME].lo95.dValue, lives[0]);
    EXPECT_EQ(second.q[IQ_MODEL_LIFETIME].hi95.dValue, lives[38]);
}

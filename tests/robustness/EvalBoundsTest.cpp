// The stepping search of the model lifetime gives up at once when the model
// cannot reach the tolerance within its step bound, and gives exactly the
// plain search's result wherever the model does reach it.

#include "RobustnessSupport.h"
#include "eval/Lifetime.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace robust;

namespace {

constexpr long kSteps = 100000000;

// The search as the desktop program steps it: one image up or down, the step
// divided by ten at each change of sign, until it is 0.001 or less.
double PlainSearch(const MODELPARAMS& m, double a2, double tau) {
    double h = 1.0, prev = 0.0;
    bool first = true;
    for (long step = 0; step < kSteps; ++step) {
        const double mv = ModelFunction(m, tau) - a2;
        if (mv == 0.0) return tau;
        tau += mv > 0.0 ? -h : h;
        if (!first && ((mv > 0.0) != (prev > 0.0))) h *= 0.1;
        prev = mv;
        first = false;
        if (!(h > 0.001)) return tau;
    }
    return kNoResult;
}

CA1TimeSeries ModelSeries(const MODELPARAMS& m, double startTau, double t0 = 2.0) {
    CA1TimeSeries s;
    s.m_dImagePeriod = t0;
    s.CharFuncValid = 1;
    s.ModelValid = 1;
    s.FitDi = m.Di;
    s.FitDa = m.Da;
    s.FitTc = m.Tc;
    s.FitS = m.s;
    s.DirectLifetime = startTau * t0;
    return s;
}

struct Case {
    const char* name;
    MODELPARAMS m;
    double a;
    double startTau;
};

TEST(EvalBounds, ReachableModelsGiveThePlainSearchResult) {
    const Case cases[] = {
        {"transient just below its peak", {0.0, 1.0, 100.0, 0.0}, std::sqrt(73.0), 0.0},
        {"slow diffusion, 5e5 images away", {1e-3, 0.0, 9.0, 0.0}, 1.0, 0.0},
        {"diffusion and drift", {0.05, 0.2, 30.0, 0.01}, 1.27, 12.0},
        {"start above the tolerance", {0.0, 1.0, 100.0, 0.0}, 2.0, 500.0},
        {"growing transient (negative Tc)", {0.0, 0.1, -50.0, 0.0}, 3.0, 0.0},
        {"no decay time", {0.1, 5.0, 0.0, 0.0}, 1.0, 0.0},
        {"drift only", {0.0, 0.0, 9.0, 0.002}, 1.0, 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CollectingLog log;
        CA1TimeSeries s = ModelSeries(c.m, c.startTau);
        s.m_pLog = &log;
        const double expected = PlainSearch(c.m, c.a * c.a, c.startTau);
        ASSERT_FALSE(IsNoResult(expected));
        EXPECT_DOUBLE_EQ(EvaluateModelLifetime(s, c.a), expected * s.m_dImagePeriod);
        EXPECT_FALSE(log.HasError()) << log.m_strCollectedText;
    }
}

TEST(EvalBounds, UnreachableModelsAreReportedAsSuch) {
    const Case cases[] = {
        {"transient just above its peak", {0.0, 1.0, 100.0, 0.0}, std::sqrt(74.0), 0.0},
        {"all parameters zero", {0.0, 0.0, 0.0, 0.0}, 1.27, 0.0},
        {"diffusion too slow for the bound", {5e-5, 0.0, 9.0, 0.0}, 1.0, 0.0},  // 2e8 images away
        {"drift too slow for the bound", {0.0, 0.0, 9.0, 5e-9}, 1.0, 0.0},
        {"transient past its peak", {0.0, 1.0, 10.0, 0.0}, 1.0, 1000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CollectingLog log;
        CA1TimeSeries s = ModelSeries(c.m, c.startTau);
        s.m_pLog = &log;
        EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, c.a)));
        EXPECT_TRUE(IsNoResult(s.ModelLifetime));
        EXPECT_TRUE(log.Has("ERROR: Lifetime evaluation from the model function failed. The model function does not "
                            "reach the astigmatism tolerance"))
            << log.m_strCollectedText;
    }
}

// A drift-dominated fit: the random walk without the drift never reaches the
// tolerance, which the report shows as no result.
TEST(EvalBounds, RandomWalkOfADriftModel) {
    CA1TimeSeries s = ModelSeries({1e-6, 0.0, 9.0, 0.01}, 10.0);
    const double a = 1.27;
    ASSERT_FALSE(IsNoResult(EvaluateModelLifetime(s, a)));
    EXPECT_TRUE(IsNoResult(RandomWalkMeanLifetime(s, a)));
    // With a diffusion that reaches it, the same search as the plain one.
    CA1TimeSeries t = ModelSeries({0.05, 0.0, 9.0, 0.01}, 10.0);
    ASSERT_FALSE(IsNoResult(EvaluateModelLifetime(t, a)));
    EXPECT_DOUBLE_EQ(RandomWalkMeanLifetime(t, a),
                     PlainSearch({0.05, 0.0, 9.0, 0.0}, a * a, t.ModelLifetime / t.m_dImagePeriod) * t.m_dImagePeriod);
}

}  // namespace

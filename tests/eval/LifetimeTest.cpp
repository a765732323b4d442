// Tolerance, direct and model lifetimes, probability lifetimes, bands and
// the state texts, checked against closed forms and the defining equations.

#include "eval/Lifetime.h"
#include "text/Format.h"

#include "LifetimeTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

MODELPARAMS Model(double di, double da, double tc, double s) {
    MODELPARAMS m;
    m.Di = di;
    m.Da = da;
    m.Tc = tc;
    m.s = s;
    return m;
}

// Drift-dominated: little random walk, a clear drift (alpha and beta of
// some tens around the lifetime).
const MODELPARAMS kDriftModel = Model(0.01, 0.02, 8.0, 0.05);
const MODELPARAMS kWalkModel = Model(0.12, 0.3, 15.0, 0.004);

}  // namespace

TEST(Tolerance, DefaultsGiveOnePointTwoSevenNanometres) {
    const double a = ComputeTolerance(300.0, 1.0, 0.25);
    EXPECT_EQ(FormatText("%.3f", a), "1.270");
    // a = d^2 0.01 phi / lambda with the relativistic wavelength.
    const double lambda = 1.239842447 / std::sqrt(300.0 * 1322.0);
    EXPECT_NEAR(lambda, 0.0019687, 5e-8);
    EXPECT_NEAR(ComputeTolerance(200.0, 2.0, 0.5), 4.0 * 0.01 * 0.5 * std::sqrt(200.0 * 1222.0) / 1.239842447, 1e-12);
}

TEST(Tolerance, NoEnergyGivesAnInfiniteToleranceThatNothingHangsOn) {
    EXPECT_TRUE(std::isinf(ComputeTolerance(0.0, 1.0, 0.25)));
    EXPECT_TRUE(std::isinf(ComputeTolerance(-20.0, 1.0, 0.25)));

    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(0.1, 0.02, 1.0, 40, &log);
    const double a = ComputeTolerance(0.0, 1.0, 0.25);
    EvaluateDirectLifetime(s, a);
    EXPECT_EQ(s.LifetimeState, -2);
    EXPECT_DOUBLE_EQ(s.DirectLifetime, 40.0);
    EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, a)));
    EXPECT_TRUE(IsNoResult(s.ModelLifetime));
    EXPECT_TRUE(log.HasPrefix("ERROR: "));
    EXPECT_TRUE(IsNoResult(RandomWalkMeanLifetime(s, a)));
    EXPECT_TRUE(IsNoResult(ProbabilityLifetime(s, a, kP50)));
    EXPECT_TRUE(IsNoResult(RandomWalkProbabilityLifetime(s, a, kP84)));
    EXPECT_EQ(ModelStateText(s), "Estimated lifetime: no result, Astigmatism tolerance: inf nm");
}

TEST(DirectLifetime, FirstRecordReachingTheSquaredTolerance) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_dImagePeriod = 1.5;
    const double f[] = {0.2, 0.5, 0.9, 1.4, 1.2, 2.0, 2.25};
    for (int i = 0; i < 7; ++i) s.m_aCharFunc.push_back(CharFuncPoint(i + 1, f[i]));

    EvaluateDirectLifetime(s, std::sqrt(1.3));  // first f >= 1.3 is d = 4, not the later 2.0
    EXPECT_EQ(s.LifetimeState, 1);
    EXPECT_DOUBLE_EQ(s.DirectLifetime, 4 * 1.5);
    EXPECT_DOUBLE_EQ(s.Tolerance, std::sqrt(1.3));
    ASSERT_EQ(log.m_lines.size(), 3u);
    EXPECT_EQ(log.m_lines[0], "Lifetime evaluation directly from the characteristic function:");
    EXPECT_EQ(log.m_lines[1], "- Astigmatism tolerance: 1.140 nm.");
    EXPECT_EQ(log.m_lines[2], "- Lifetime: 6.0 s.");
    EXPECT_EQ(DirectStateText(s), "Estimated lifetime: 6.0 s, Astigmatism tolerance: 1.140 nm");

    // A squared tolerance equal to fmax is evaluated, not reported as larger.
    EvaluateDirectLifetime(s, 1.5);
    EXPECT_EQ(s.LifetimeState, 1);
    EXPECT_DOUBLE_EQ(s.DirectLifetime, 7 * 1.5);
}

TEST(DirectLifetime, WarningTextsKeepTheirIndentation) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_dImagePeriod = 2.0;
    for (int d = 3; d <= 9; ++d) s.m_aCharFunc.push_back(CharFuncPoint(d, 0.5 * d));

    EvaluateDirectLifetime(s, 1.0);  // a^2 = 1 < fmin = 1.5
    EXPECT_EQ(s.LifetimeState, -1);
    EXPECT_DOUBLE_EQ(s.DirectLifetime, 6.0);
    EXPECT_DOUBLE_EQ(s.Tolerance, 1.0);
    const std::vector<std::string> smaller = {
        "Warning: Lifetime could not be determined from the characteristic function.",
        "         - The squared astigmatism tolerance of 1.000 nm\xC2\xB2 is smaller than",
        "           the smallest value of the characteristic function (1.500 nm\xC2\xB2).",
        "         - Try to record the series with a significantly higher acquisition rate.",
    };
    EXPECT_EQ(log.m_lines, smaller);
    EXPECT_EQ(DirectStateText(s),
              "Estimated lifetime is below the shortest timespan (6.0 s). Astigmatism tolerance: 1.000 nm");

    log.m_lines.clear();
    EvaluateDirectLifetime(s, 3.0);  // a^2 = 9 > fmax = 4.5
    EXPECT_EQ(s.LifetimeState, -2);
    EXPECT_DOUBLE_EQ(s.DirectLifetime, 18.0);
    const std::vector<std::string> larger = {
        "Warning: Lifetime could not be determined from the characteristic function.",
        "         - The squared astigmatism tolerance of 9.000 nm\xC2\xB2 is larger than",
        "           the largest value of the characteristic function (4.500 nm\xC2\xB2).",
        "         - Try to record the series over a significantly longer time.",
        "         - Evaluate the lifetime by extrapolation with a model function.",
    };
    EXPECT_EQ(log.m_lines, larger);
    EXPECT_EQ(DirectStateText(s),
              "Estimated lifetime is above the longest timespan (18.0 s). Astigmatism tolerance: 3.000 nm");
}

TEST(DirectLifetime, MissingOrUnusableInput) {
    CRecordingLog log;
    CA1TimeSeries s(&log);
    s.m_aCharFunc.push_back(CharFuncPoint(1, 1.0));
    s.DirectLifetime = 5.0;
    EvaluateDirectLifetime(s, 1.27);
    EXPECT_EQ(s.LifetimeState, -3);
    EXPECT_EQ(s.DirectLifetime, 0.0);
    EXPECT_EQ(s.Tolerance, 1.27);
    ASSERT_EQ(log.m_lines.size(), 1u);
    EXPECT_EQ(log.m_lines[0], "ERROR: Lifetime evaluation failed. Missing data of the characteristic function.");
    EXPECT_EQ(DirectStateText(s), "Error during evaluation.");

    // A tolerance that is not a number would find no record at all.
    s.m_aCharFunc.push_back(CharFuncPoint(2, 2.0));
    log.m_lines.clear();
    EvaluateDirectLifetime(s, kNaN);
    EXPECT_EQ(s.LifetimeState, -3);
    EXPECT_TRUE(log.HasPrefix("ERROR: "));
}

TEST(StateTexts, EveryState) {
    CA1TimeSeries s;
    EXPECT_EQ(DirectStateText(s), "No evaluation present.");
    EXPECT_EQ(ModelStateText(s), "No evaluation present.");
    s.LifetimeState = 7;
    s.ModelValid = 2;
    EXPECT_EQ(DirectStateText(s), "Unknown state.");
    EXPECT_EQ(ModelStateText(s), "Unknown state.");
    s.ModelValid = 1;
    s.ModelLifetime = 123.456;
    s.Tolerance = 1.2704;
    EXPECT_EQ(ModelStateText(s), "Estimated lifetime: 123.5 s, Astigmatism tolerance: 1.270 nm");
}

TEST(ModelLifetime, IsARootOfTheModelToTheSearchStep) {
    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(0.1, 0.02, 0.7, 60, &log);
    s.FitDa = 0.15;
    s.FitTc = 6.0;
    const double a = 1.27;
    for (double direct : {0.7, 10 * 0.7, 42 * 0.7, 60 * 0.7}) {
        s.DirectLifetime = direct;
        log.m_lines.clear();
        const double t = EvaluateModelLifetime(s, a);
        ASSERT_FALSE(IsNoResult(t));
        EXPECT_EQ(t, s.ModelLifetime);
        const double tau = t / 0.7;
        const MODELPARAMS m = ModelParameters(s);
        // The search steps across the root with 1, 0.1 and 0.01 images and
        // stops one 0.001 step back from the far side: the root lies within
        // 0.01 images of tau.
        EXPECT_LT((ModelFunction(m, tau - 0.0101) - a * a) * (ModelFunction(m, tau + 0.0101) - a * a), 0.0)
            << "start " << direct;
        ASSERT_EQ(log.m_lines.size(), 3u);
        EXPECT_EQ(log.m_lines[0], "Lifetime evaluation from the model function:");
        EXPECT_EQ(log.m_lines[1], "- Astigmatism tolerance: 1.270 nm.");
        EXPECT_EQ(log.m_lines[2], FormatText("- Lifetime: %.1f s.", t));
    }
    // Not a multiple of the image period, unlike the direct lifetime.
    EXPECT_GT(std::fabs(s.ModelLifetime / 0.7 - std::round(s.ModelLifetime / 0.7)), 1e-3);

    // The random-walk mean lifetime solves 2 tau D(tau)^2 = a^2.
    const double rw = RandomWalkMeanLifetime(s, a);
    ASSERT_FALSE(IsNoResult(rw));
    MODELPARAMS walk = ModelParameters(s);
    walk.s = 0.0;
    const double tau = rw / 0.7;
    EXPECT_LT((ModelFunction(walk, tau - 0.0101) - a * a) * (ModelFunction(walk, tau + 0.0101) - a * a), 0.0);
    EXPECT_GT(rw, s.ModelLifetime);

    s.ModelValid = 0;
    EXPECT_EQ(EvaluateModelLifetime(s, a), 0.0);
    EXPECT_EQ(RandomWalkMeanLifetime(s, a), 0.0);
}

TEST(ModelLifetime, DegenerateModelsEndWithNoResult) {
    CRecordingLog log;
    CA1TimeSeries s = ModelSeries(0.0, 0.0, 1.0, 20, &log);
    s.FitTc = 0.0;
    s.DirectLifetime = 20.0;
    // All parameters zero: f never reaches a^2.
    EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, 1.27)));
    EXPECT_TRUE(IsNoResult(s.ModelLifetime));
    ASSERT_EQ(log.m_lines.size(), 1u);
    EXPECT_EQ(log.m_lines[0].rfind("ERROR: Lifetime evaluation from the model function failed.", 0), 0u);
    EXPECT_EQ(ModelStateText(s), "Estimated lifetime: no result, Astigmatism tolerance: 0.000 nm");
    EXPECT_TRUE(IsNoResult(RandomWalkMeanLifetime(s, 1.27)));
    // P(a, tau) is 1 up to tau = 1.7976931348623156e305 (no finite time) and 0
    // beyond: the bisection ends at that step, within its relative tolerance.
    EXPECT_NEAR(ProbabilityLifetime(s, 1.27, kP50), 1.7976931348623156e305, 1e-13 * 1.7976931348623156e305);
    EXPECT_NEAR(RandomWalkProbabilityLifetime(s, 1.27, kP16), 1.7976931348623156e305, 1e-13 * 1.7976931348623156e305);

    // A transient alone levels off at 2 Da^2 Tc / e.
    s.FitDa = 0.5;
    s.FitTc = 4.0;
    log.m_lines.clear();
    EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, 3.0)));
    EXPECT_TRUE(log.HasPrefix("ERROR: "));

    // Parameters that are not numbers, and an unusable image period.
    for (double bad : {kNaN, kInf}) {
        s.FitDi = bad;
        log.m_lines.clear();
        EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, 1.27)));
        EXPECT_TRUE(log.HasPrefix("ERROR: "));
        EXPECT_TRUE(IsNoResult(ProbabilityLifetime(s, 1.27, kP50)));
    }
    s.FitDi = 0.1;
    s.m_dImagePeriod = 0.0;
    EXPECT_TRUE(IsNoResult(EvaluateModelLifetime(s, 1.27)));
    EXPECT_TRUE(IsNoResult(ProbabilityLifetime(s, 1.27, kP50)));

    // A negative Tc makes the transient grow: the search still ends.
    s.m_dImagePeriod = 1.0;
    s.FitTc = -5.0;
    s.DirectLifetime = 1.0;
    EXPECT_FALSE(IsNoResult(EvaluateModelLifetime(s, 1.27)));
}

TEST(ModelLifetime, TheSearchEndsOneThousandthAfterItsFourthTurn) {
    // f = 2 tau (Di = 1), a^2 = 5.0625, root 2.53125, from tau = 1: up to 3,
    // back to 2 (step 0.1), 2.1 (step 0.01), up to 2.54, back to 2.53 (step
    // 0.001), 2.531 (step 0.0001): the search ends there, short of the root.
    CA1TimeSeries s = ModelSeries(1.0, 0.0, 1.0, 10);
    s.DirectLifetime = 1.0;
    EXPECT_NEAR(EvaluateModelLifetime(s, 2.25), 2.531, 1e-12);
    // The random-walk search is the same search from ModelLifetime (s is 0
    // here anyway): from 2 it takes the same path from its second step on.
    s.ModelLifetime = 2.0;
    EXPECT_NEAR(RandomWalkMeanLifetime(s, 2.25), 2.531, 1e-12);
}

TEST(ModelLifetime, ASlowRandomWalkIsFollowedForThirteenMillionImages) {
    // Di = 2.5e-4 nm, t0 = 2 s, a = 1.27 nm: f = 2 tau Di^2 reaches a^2 at
    // tau = 1.6129 / 1.25e-7 = 12903200 images = 25806400 s.
    CA1TimeSeries s = ModelSeries(2.5e-4, 0.0, 2.0, 10);
    s.DirectLifetime = 20.0;
    EXPECT_NEAR(EvaluateModelLifetime(s, 1.27), 25806400.0, 0.03);
}

TEST(ProbabilityLifetime, DoublingGoesOnWhileTauIsFinite) {
    // Without drift P = 1 - exp(-a^2 / (2 Di^2 tau)), so P = p at
    // tau = a^2 / (2 Di^2 (-ln(1 - p))): about 1e28 images for Di = 1e-14 nm,
    // some 90 doublings from 20.
    CA1TimeSeries s = ModelSeries(1e-14, 0.0, 1.0, 10);
    for (double p : {kP84, kP50, kP16}) {
        const double expected = 1.6129 / (2e-28 * -std::log(1.0 - p));
        EXPECT_NEAR(RandomWalkProbabilityLifetime(s, 1.27, p), expected, 1e-6 * expected) << p;
    }
}

TEST(ProbabilityLifetime, BisectionTolerances) {
    // Di = 0.1, a^2 = 1.6129: P(20) = 1 - exp(-1.6129 / 0.4). Within 1e-7 of
    // p the first tau is the result; 2e-7 away it is not.
    const MODELPARAMS walk = Model(0.1, 0.0, 5.0, 0.0);
    const double p20 = 1.0 - std::exp(-1.6129 / 0.4);
    EXPECT_EQ(InverseStayProbability(walk, 1.6129, p20 - 0.5e-7), 20.0);
    const double tau = InverseStayProbability(walk, 1.6129, p20 - 2e-7);
    EXPECT_NE(tau, 20.0);
    EXPECT_NEAR(1.0 - std::exp(-1.6129 / (0.02 * tau)), p20 - 2e-7, 1e-7);

    // No spread: P steps from 1 to 0 where 0.1 tau = 1, so |w| = 0.5 always and
    // only the relative step 2.22e-14 ends the bisection, next to tau = 10.
    EXPECT_NEAR(InverseStayProbability(Model(0.0, 0.0, 5.0, 0.1), 1.0, kP50), 10.0, 5e-13);

    // The band starts at x = f k = 2 (alpha = 0), where P = 1 - exp(-1): within
    // 1e-7 the band is f itself, 2 tau Di^2 = 0.2 at tau = 10; 2e-7 away it is
    // the Rayleigh radius -2 sigma^2 ln(1 - p) with sigma^2 = Di^2 tau = 0.1.
    const double p2 = 1.0 - std::exp(-1.0);
    EXPECT_DOUBLE_EQ(ModelBand(walk, 10.0, p2 + 0.5e-7), 0.2);
    const double band = ModelBand(walk, 10.0, p2 + 2e-7);
    EXPECT_NE(band, 0.2);
    EXPECT_NEAR(band, -0.2 * std::log(1.0 - (p2 + 2e-7)), 1e-7);
}

TEST(StayProbability, WithoutDriftIsTheRayleighDistribution) {
    const MODELPARAMS m = Model(0.1, 0.2, 7.0, 0.0);
    for (double tau : {0.5, 3.0, 20.0, 150.0, 4000.0}) {
        for (double a2 : {0.01, 0.3, 1.6129, 25.0}) {
            const double d2 = 0.01 + 0.04 * std::exp(-tau / 7.0);
            EXPECT_NEAR(StayProbability(m, tau, a2), 1.0 - std::exp(-a2 / (2.0 * d2 * tau)), 1e-14) << tau << " " << a2;
        }
    }
    EXPECT_EQ(StayProbability(m, 10.0, 0.0), 0.0);
    EXPECT_EQ(StayProbability(m, 1.8e305, 1.0), 0.0);
}

TEST(StayProbability, WithoutSpreadIsAStep) {
    const MODELPARAMS m = Model(0.0, 0.0, 5.0, 0.1);
    EXPECT_EQ(StayProbability(m, 9.0, 1.0), 1.0);
    EXPECT_EQ(StayProbability(m, 11.0, 1.0), 0.0);
}

TEST(ProbabilityLifetime, EachResultReproducesItsLevel) {
    for (const MODELPARAMS& m : {kDriftModel, kWalkModel}) {
        for (double a : {0.3, 1.27, 4.0}) {
            for (double p : {0.02, kP16, 0.3, kP50, kP84, 0.97}) {
                const double tau = InverseStayProbability(m, a * a, p);
                ASSERT_FALSE(IsNoResult(tau)) << a << " " << p;
                EXPECT_NEAR(StayProbability(m, tau, a * a), p, 1e-6) << a << " " << p;
            }
        }
    }
}

TEST(ProbabilityLifetime, LimitsAndValidity) {
    CA1TimeSeries s = ModelSeries(0.1, 0.02, 2.0, 30);
    EXPECT_EQ(ProbabilityLifetime(s, 1.27, 1.0), 0.0);
    EXPECT_EQ(ProbabilityLifetime(s, 1.27, 1.5), 0.0);
    EXPECT_EQ(ProbabilityLifetime(s, 1.27, 0.0), 1.7976931348623156e305 * 2.0);
    EXPECT_EQ(RandomWalkProbabilityLifetime(s, 1.27, -1.0), 1.7976931348623156e305 * 2.0);
    EXPECT_EQ(ProbabilityLifetime(s, 0.0, kP50), 0.0);
    const double t50 = ProbabilityLifetime(s, 1.27, kP50);
    EXPECT_DOUBLE_EQ(t50, 2.0 * InverseStayProbability(ModelParameters(s), 1.27 * 1.27, kP50));
    s.CharFuncValid = 0;
    EXPECT_EQ(ProbabilityLifetime(s, 1.27, kP50), 0.0);
    s.CharFuncValid = 1;
    s.ModelValid = 0;
    EXPECT_EQ(RandomWalkProbabilityLifetime(s, 1.27, kP50), 0.0);
}

TEST(ProbabilityLifetime, DriftDominatedLevelsStayApart) {
    // alpha and beta are about 25 near the lifetime: P(a,t) must not turn
    // into a step, so the 84 %, 50 % and 16 % lifetimes stay distinct.
    CA1TimeSeries s = ModelSeries(0.01, 0.05, 1.0, 40);
    s.FitDa = 0.02;
    s.FitTc = 8.0;
    const double a = 1.27;
    const double t84 = ProbabilityLifetime(s, a, kP84);
    const double t50 = ProbabilityLifetime(s, a, kP50);
    const double t16 = ProbabilityLifetime(s, a, kP16);
    EXPECT_LT(t84, t50 - 0.2);
    EXPECT_LT(t50, t16 - 0.2);
    // Near-Gaussian here: a - s tau = +-sigma(tau) at the one-sigma levels.
    const MODELPARAMS m = ModelParameters(s);
    auto z = [&](double tau) {
        const double d2 = 0.0001 + 0.0004 * std::exp(-tau / 8.0);
        return (a - 0.05 * tau) / std::sqrt(d2 * tau);
    };
    EXPECT_NEAR(z(t84), 1.0, 0.1);
    EXPECT_NEAR(z(t50), 0.0, 0.1);
    EXPECT_NEAR(z(t16), -1.0, 0.1);
    EXPECT_NEAR(StayProbability(m, t84, a * a), kP84, 1e-6);
    EXPECT_NEAR(StayProbability(m, t16, a * a), kP16, 1e-6);

    // The random walk alone is far slower and just as ordered.
    const double r84 = RandomWalkProbabilityLifetime(s, a, kP84);
    const double r50 = RandomWalkProbabilityLifetime(s, a, kP50);
    const double r16 = RandomWalkProbabilityLifetime(s, a, kP16);
    EXPECT_LT(t16, r84);
    EXPECT_LT(r84, r50);
    EXPECT_LT(r50, r16);
}

TEST(ModelBand, ReproducesItsLevelAndBracketsTheModel) {
    for (const MODELPARAMS& m : {kDriftModel, kWalkModel}) {
        for (double tau : {0.5, 4.0, 25.0, 300.0}) {
            const double lo = ModelBand(m, tau, kP16);
            const double hi = ModelBand(m, tau, kP84);
            ASSERT_FALSE(IsNoResult(lo));
            ASSERT_FALSE(IsNoResult(hi));
            EXPECT_NEAR(StayProbability(m, tau, lo), kP16, 1e-6);
            EXPECT_NEAR(StayProbability(m, tau, hi), kP84, 1e-6);
            EXPECT_LT(lo, ModelFunction(m, tau));
            EXPECT_GT(hi, lo);
        }
        EXPECT_EQ(ModelBand(m, 0.0, kP84), 0.0);
    }
    // No spread: the band is the drift itself; degenerate input ends.
    EXPECT_DOUBLE_EQ(ModelBand(Model(0.0, 0.0, 3.0, 0.1), 10.0, kP84), 1.0);
    EXPECT_EQ(ModelBand(Model(0.0, 0.0, 0.0, 0.0), 10.0, kP16), 0.0);
    EXPECT_TRUE(IsNoResult(ModelBand(Model(kNaN, 0.1, 3.0, 0.1), 10.0, kP16)));
    EXPECT_TRUE(IsNoResult(ModelBand(kWalkModel, 10.0, 1.5)));
}

TEST(ModelFunction, MatchesTheDriftModel) {
    const MODELPARAMS m = Model(0.1, 0.3, 12.0, 0.02);
    EXPECT_DOUBLE_EQ(ModelFunction(m, 30.0), 2.0 * 30.0 * (0.01 + 0.09 * std::exp(-2.5)) + 0.0004 * 900.0);
    EXPECT_EQ(ModelFunction(m, 0.0), 0.0);
    EXPECT_EQ(ModelFunction(Model(0.0, 0.0, 0.0, 0.0), 0.0), 0.0);  // Tc = 0 gives no 0/0
}

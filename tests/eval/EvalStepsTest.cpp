// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluation steps against the sequences of core calls that the
// desktop commands are made of (characteristic function, Fit Model,
// Refresh): same fields, same messages in the same order.

#include "eval/EvalSteps.h"

#include "FitTestSupport.h"
#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "support/RecordingLog.h"
#include "support/SeriesCheck.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kSeed = 4711;

// A tolerance inside the range of the walk's characteristic function, so
// that both lifetimes are found.
EVALINPUTS Inputs() {
    EVALINPUTS in;
    in.nMinDiversity = 12;
    in.dEnergykV = 200.0;
    in.dResolutionAng = 0.6;
    in.dLimitPhase = 0.2;
    in.nSeed = kSeed;
    return in;
}

// The tolerance inputs stored by an earlier step; a step that must not
// store them leaves these.
void MarkUsedInputs(CA1TimeSeries& s) {
    s.UsedLimitPhase = -1.0;
    s.UsedElEnergykV = -2.0;
    s.UsedTargetResAng = -3.0;
}

// The core calls of the characteristic-function command, written out.
void ReferenceCharFunc(CA1TimeSeries& s, const EVALINPUTS& in) {
    ExtractCharacteristicFunction(s, in.nMinDiversity);
    if (s.CharFuncValid != 1) return;
    const double a = ComputeTolerance(in.dEnergykV, in.dResolutionAng, in.dLimitPhase);
    EvaluateDirectLifetime(s, a);
    s.UsedLimitPhase = in.dLimitPhase;
    s.UsedElEnergykV = in.dEnergykV;
    s.UsedTargetResAng = in.dResolutionAng;
}

struct Pair {
    CRecordingLog stepLog, referenceLog;
    CA1TimeSeries step, reference;
    explicit Pair(const CA1TimeSeries& source) : step(source), reference(source) {
        step.m_pLog = &stepLog;
        reference.m_pLog = &referenceLog;
    }
    void ExpectSame() const {
        ExpectSameEvaluation(reference, step);
        EXPECT_EQ(stepLog.m_lines, referenceLog.m_lines);
    }
};

TEST(EvalSteps, CharFuncStepIsExtractionToleranceDirectLifetimeAndUsedInputs) {
    CA1TimeSeries source = MakeNoisyWalk(600, 3);
    MarkUsedInputs(source);
    Pair p(source);
    EXPECT_TRUE(RunCharFuncStep(p.step, Inputs()));
    ReferenceCharFunc(p.reference, Inputs());
    p.ExpectSame();
    EXPECT_EQ(p.step.LifetimeState, LIFETIME_FOUND);
    EXPECT_EQ(p.step.UsedMinDiversity, 12);
    EXPECT_EQ(p.step.UsedElEnergykV, 200.0);
    EXPECT_EQ(p.step.UsedTargetResAng, 0.6);
    EXPECT_EQ(p.step.UsedLimitPhase, 0.2);
    // The messages of the extraction come before those of the lifetime.
    ASSERT_GE(p.stepLog.m_lines.size(), 7u);
    EXPECT_EQ(p.stepLog.m_lines[0], "Extracting data for the characteristic function...");
    EXPECT_EQ(p.stepLog.m_lines[1], "- inter-image distances of 1 up to 49");
    EXPECT_EQ(p.stepLog.m_lines[3], "The characteristic function was extracted successfully.");
    EXPECT_EQ(p.stepLog.m_lines[4], "Lifetime evaluation directly from the characteristic function:");
    EXPECT_EQ(p.stepLog.m_lines.back().rfind("- Lifetime: ", 0), 0u);
}

TEST(EvalSteps, CharFuncStepOnATooShortSeriesChangesNothingElse) {
    CA1TimeSeries source = MakeNoisyWalk(100, 3);
    MarkUsedInputs(source);
    source.Tolerance = 5.0;
    source.LifetimeState = LIFETIME_ABOVE_RANGE;
    Pair p(source);
    EXPECT_FALSE(RunCharFuncStep(p.step, Inputs()));  // (100 - 1) / 12 < 10
    ReferenceCharFunc(p.reference, Inputs());
    p.ExpectSame();
    EXPECT_EQ(p.step.UsedElEnergykV, -2.0);
    EXPECT_EQ(p.step.Tolerance, 5.0);
    EXPECT_EQ(p.stepLog.m_lines,
              std::vector<std::string>{"ERROR: The recorded series is too short. Record more images!"});
}

TEST(EvalSteps, ModelFitStepWithAndWithoutTheDirectLifetimeFirst) {
    CA1TimeSeries source = MakeNoisyWalk(600, 5);
    ReferenceCharFunc(source, Inputs());
    ASSERT_EQ(source.CharFuncValid, 1);
    MarkUsedInputs(source);

    // Fit Model with new inputs: direct lifetime with them, fit, model lifetime.
    EVALINPUTS typed = Inputs();
    typed.dEnergykV = 300.0;
    Pair desk(source);
    RunModelFitStep(desk.step, typed, FitStepStart::DirectLifetimeFirst);
    const double a = ComputeTolerance(300.0, 0.6, 0.2);
    EvaluateDirectLifetime(desk.reference, a);
    FitModel(desk.reference, kSeed);
    EvaluateModelLifetime(desk.reference, a);
    desk.ExpectSame();
    EXPECT_EQ(desk.step.ModelValid, 1);
    EXPECT_EQ(desk.step.Tolerance, a);
    EXPECT_EQ(desk.step.UsedElEnergykV, -2.0);  // the report keeps the earlier inputs
    EXPECT_EQ(desk.stepLog.m_lines.front(), "Lifetime evaluation directly from the characteristic function:");

    // The batch tool's fit right after the characteristic function: no second
    // direct lifetime.
    Pair batch(source);
    RunModelFitStep(batch.step, Inputs(), FitStepStart::FitOnly);
    FitModel(batch.reference, kSeed);
    EvaluateModelLifetime(batch.reference, ComputeTolerance(200.0, 0.6, 0.2));
    batch.ExpectSame();
    EXPECT_EQ(batch.step.Tolerance, source.Tolerance);
    EXPECT_EQ(batch.stepLog.m_lines.front(), "Fitting model to the characteristic function ...");
    EXPECT_EQ(batch.stepLog.m_lines.back().rfind("- Lifetime: ", 0), 0u);
}

TEST(EvalSteps, RefreshStepIsBothLifetimesThenUsedInputs) {
    CA1TimeSeries source = MakeNoisyWalk(600, 5);
    ReferenceCharFunc(source, Inputs());
    EVALINPUTS in = Inputs();
    for (const bool model : {false, true}) {
        SCOPED_TRACE(model ? "with a model" : "without a model");
        if (model) FitModel(source, kSeed);
        ASSERT_EQ(source.ModelValid, model ? 1 : 0);
        in.dResolutionAng = 0.65;
        Pair p(source);
        RunRefreshStep(p.step, in);
        const double a = ComputeTolerance(200.0, 0.65, 0.2);
        EvaluateDirectLifetime(p.reference, a);
        EvaluateModelLifetime(p.reference, a);
        p.reference.UsedLimitPhase = 0.2;
        p.reference.UsedElEnergykV = 200.0;
        p.reference.UsedTargetResAng = 0.65;
        p.ExpectSame();
        EXPECT_EQ(p.step.UsedTargetResAng, 0.65);
        EXPECT_EQ(p.step.Tolerance, a);
        EXPECT_EQ(p.stepLog.Count("Lifetime evaluation from the model function:"), model ? 1 : 0);
    }
}

}  // namespace

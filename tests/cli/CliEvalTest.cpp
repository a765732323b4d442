// SPDX-License-Identifier: GPL-3.0-or-later
// The batch tool's evaluation of a series is the desktop's steps: the
// characteristic-function step and, unless --no-fit, the model-fit step
// right after it, with the options as inputs; every field of the series and
// the message lines agree.

#include "cli/CliEval.h"

#include "cli/CliOptions.h"
#include "eval/EvalSteps.h"
#include "eval/FitTestSupport.h"
#include "support/RecordingLog.h"
#include "support/SeriesCheck.h"

#include <gtest/gtest.h>

namespace {

CliOptions Options(bool fit) {
    CliOptions o;
    o.nMinDiversity = 11;
    o.dEnergykV = 120.0;
    o.dResolutionAng = 0.8;
    o.dPhase = 0.3;
    o.bFit = fit;
    o.seed = 77u;
    return o;
}

EVALINPUTS Inputs() {
    EVALINPUTS in;
    in.nMinDiversity = 11;
    in.dEnergykV = 120.0;
    in.dResolutionAng = 0.8;
    in.dLimitPhase = 0.3;
    in.nSeed = 77u;
    return in;
}

TEST(CliEval, TheBatchEvaluationIsTheDesktopSteps) {
    const CA1TimeSeries source = MakeNoisyWalk(700, 11);
    for (const bool fit : {true, false}) {
        SCOPED_TRACE(fit ? "with the fit" : "--no-fit");
        CRecordingLog cliLog, stepLog;
        CA1TimeSeries cli(source), steps(source);
        cli.m_pLog = &cliLog;
        steps.m_pLog = &stepLog;

        const CliEvaluation evaluation = EvaluateCliSeries(cli, Options(fit));
        ASSERT_TRUE(RunCharFuncStep(steps, Inputs()));
        if (fit) RunModelFitStep(steps, Inputs(), FitStepStart::FitOnly);

        ExpectSameEvaluation(steps, cli);
        EXPECT_EQ(cliLog.m_lines, stepLog.m_lines);
        EXPECT_EQ(evaluation.bFitRun, fit);
        EXPECT_EQ(cli.ModelValid, fit ? 1 : 0);
        EXPECT_EQ(evaluation.nSeed, fit ? 77u : 0u);
    }
}

TEST(CliEval, ATooShortSeriesIsNotEvaluatedFurther) {
    CA1TimeSeries series = MakeNoisyWalk(100, 11);  // (100 - 1) / 11 < 10
    CRecordingLog log;
    series.m_pLog = &log;
    const CliEvaluation evaluation = EvaluateCliSeries(series, Options(true));
    EXPECT_FALSE(evaluation.bFitRun);
    EXPECT_EQ(series.CharFuncValid, 0);
    EXPECT_EQ(series.ModelValid, 0);
    EXPECT_EQ(log.m_lines, std::vector<std::string>{"ERROR: The recorded series is too short. Record more images!"});
}

}  // namespace

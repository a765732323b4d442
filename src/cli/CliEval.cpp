#include "cli/CliEval.h"

#include "cli/CliOptions.h"
#include "eval/EvalSteps.h"
#include "eval/ModelFit.h"
#include "series/A1TimeSeries.h"

EVALINPUTS CliEvalInputs(const CliOptions& options) {
    EVALINPUTS inputs;
    inputs.nMinDiversity = options.nMinDiversity;
    inputs.dEnergykV = options.dEnergykV;
    inputs.dResolutionAng = options.dResolutionAng;
    inputs.dLimitPhase = options.dPhase;
    inputs.cfRoute = options.cfRoute;
    return inputs;
}

CliEvaluation EvaluateCliSeries(CA1TimeSeries& series, const CliOptions& options) {
    CliEvaluation evaluation;
    EVALINPUTS inputs = CliEvalInputs(options);
    // Like the desktop program, nothing further is evaluated without a
    // characteristic function.
    if (!RunCharFuncStep(series, inputs) || !options.bFit) return evaluation;

    evaluation.bFitRun = true;
    evaluation.nSeed = options.seed ? *options.seed : SeedFromUtcClock();
    inputs.nSeed = evaluation.nSeed;
    RunModelFitStep(series, inputs, FitStepStart::FitOnly);
    return evaluation;
}

LIFETIMELIMITS CliLifetimeLimits(const CA1TimeSeries& series, const CliEvaluation& evaluation) {
    return evaluation.limits ? *evaluation.limits : ModelLifetimeLimits(series, series.Tolerance);
}

#include "cli/CliEval.h"

#include "cli/CliOptions.h"
#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "series/A1TimeSeries.h"

CliEvaluation EvaluateCliSeries(CA1TimeSeries& series, const CliOptions& options) {
    CliEvaluation evaluation;
    ExtractCharacteristicFunction(series, options.nMinDiversity, options.cfRoute);
    // A series too short for the minimum diversity keeps no characteristic
    // function; like the desktop program, nothing further is evaluated then.
    if (series.CharFuncValid != 1) return evaluation;

    const double a = ComputeTolerance(options.dEnergykV, options.dResolutionAng, options.dPhase);
    EvaluateDirectLifetime(series, a);
    series.UsedLimitPhase = options.dPhase;
    series.UsedElEnergykV = options.dEnergykV;
    series.UsedTargetResAng = options.dResolutionAng;
    if (!options.bFit) return evaluation;

    evaluation.bFitRun = true;
    evaluation.nSeed = options.seed ? *options.seed : SeedFromUtcClock();
    FitModel(series, evaluation.nSeed);
    EvaluateModelLifetime(series, a);
    return evaluation;
}

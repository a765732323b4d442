// SPDX-License-Identifier: GPL-3.0-or-later
#include "eval/EvalSteps.h"

#include "eval/CharFunc.h"
#include "eval/Lifetime.h"
#include "eval/ModelFit.h"
#include "series/A1TimeSeries.h"

namespace {

void StoreToleranceInputs(CA1TimeSeries& series, const EVALINPUTS& inputs) {
    series.UsedLimitPhase = inputs.dLimitPhase;
    series.UsedElEnergykV = inputs.dEnergykV;
    series.UsedTargetResAng = inputs.dResolutionAng;
}

}  // namespace

double StepTolerance(const EVALINPUTS& inputs) {
    return ComputeTolerance(inputs.dEnergykV, inputs.dResolutionAng, inputs.dLimitPhase);
}

bool RunCharFuncStep(CA1TimeSeries& series, const EVALINPUTS& inputs) {
    ExtractCharacteristicFunction(series, inputs.nMinDiversity, inputs.cfRoute);
    // A series too short for the minimum diversity keeps what it had; nothing
    // further is evaluated then.
    if (!HasCharFunc(series)) return false;
    EvaluateDirectLifetime(series, StepTolerance(inputs));
    StoreToleranceInputs(series, inputs);
    return true;
}

void RunModelFitStep(CA1TimeSeries& series, const EVALINPUTS& inputs, FitStepStart start) {
    const double a = StepTolerance(inputs);
    if (start == FitStepStart::DirectLifetimeFirst) EvaluateDirectLifetime(series, a);
    FitModel(series, inputs.nSeed);
    EvaluateModelLifetime(series, a);
}

void RunRefreshStep(CA1TimeSeries& series, const EVALINPUTS& inputs) {
    const double a = StepTolerance(inputs);
    EvaluateDirectLifetime(series, a);
    EvaluateModelLifetime(series, a);
    StoreToleranceInputs(series, inputs);
}

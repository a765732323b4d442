// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The evaluation steps that the desktop pages and the batch tool run on a
// series, each in one place so that both give the same results and the same
// messages in the same order:
//
// - the characteristic-function step: extraction, tolerance, direct
//   lifetime, and the tolerance inputs stored for the report;
// - the model-fit step: model fit and model lifetime (the desktop's "Fit
//   Model" evaluates the direct lifetime with its inputs first);
// - the refresh step: tolerance and both lifetimes from new inputs, which
//   are stored for the report.
//
// Every message goes to the series' message log (m_pLog).

#include "eval/CharFunc.h"
#include "eval/EvalInputs.h"

#include <cstdint>

class CA1TimeSeries;

// What the steps need. Each step reads only the fields it names.
struct EVALINPUTS {
    // The defaults: kEvalInputs.
    int nMinDiversity = InputDefaultInt(EvalInput::MinDiversity);  // characteristic function: minimum diversity m
    CharFuncRoute cfRoute = static_cast<CharFuncRoute>(InputDefaultInt(EvalInput::CharFuncRoute));  // pair sums
    double dEnergykV = InputDefault(EvalInput::ElEnergykV);         // tolerance: electron energy [keV]
    double dResolutionAng = InputDefault(EvalInput::TargetResAng);  // tolerance: target resolution [A]
    double dLimitPhase = InputDefault(EvalInput::LimitPhase);       // tolerance: phase-shift limit [fractions of pi]
    std::uint32_t nSeed = 0;                                        // model fit: seed of the random restarts
};

// The astigmatism tolerance a [nm] of the inputs' energy, resolution and phase.
double StepTolerance(const EVALINPUTS& inputs);

// Extracts the characteristic function with nMinDiversity. When that gave
// one (CharFuncValid = 1): the direct lifetime at the tolerance of the
// inputs, and UsedLimitPhase, UsedElEnergykV, UsedTargetResAng set from
// them. True when the series has a valid characteristic function afterwards.
bool RunCharFuncStep(CA1TimeSeries& series, const EVALINPUTS& inputs);

// What the model-fit step evaluates before the fit.
enum class FitStepStart {
    FitOnly,              // the inputs are those of the characteristic-function step
    DirectLifetimeFirst,  // the inputs may be new: evaluate the direct lifetime with them
};

// Optionally the direct lifetime, then the model fit with nSeed and the model
// lifetime, all at the tolerance of the inputs. The Used* inputs of the
// series are not changed (the report keeps those of the last
// characteristic-function or refresh step).
void RunModelFitStep(CA1TimeSeries& series, const EVALINPUTS& inputs, FitStepStart start);

// The direct and the model lifetime at the tolerance of the inputs (the
// model lifetime only with a fitted model), then the inputs stored in
// UsedLimitPhase, UsedElEnergykV and UsedTargetResAng.
void RunRefreshStep(CA1TimeSeries& series, const EVALINPUTS& inputs);

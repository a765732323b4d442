#pragma once
// Evaluation of one series in the batch tool, by the same evaluation steps
// as the desktop program's characteristic-function and fit commands.

#include "boot/Intervals.h"
#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"

#include <cstdint>
#include <optional>

class CA1TimeSeries;
struct CliOptions;

// The evaluation inputs of the options (the seed is left at 0).
EVALINPUTS CliEvalInputs(const CliOptions& options);

// What the evaluation of a series did beyond what the series stores.
struct CliEvaluation {
    bool bFitRun = false;     // FitModel was called
    std::uint32_t nSeed = 0;  // its seed
    // The model's probability lifetimes, kept once worked out: the JSON and
    // the summary table both give them.
    std::optional<LIFETIMELIMITS> limits;
    // --intervals: those of a series with a model.
    std::optional<INTERVALSET> intervals;
};

// The probability lifetimes of the series' model at its tolerance, from the
// evaluation when it keeps them.
LIFETIMELIMITS CliLifetimeLimits(const CA1TimeSeries& series, const CliEvaluation& evaluation);

// Characteristic function with --min-diversity; when it was extracted, the
// tolerance from energy, resolution and phase, the direct lifetime and the
// three tolerance inputs stored for the report; unless --no-fit, the model
// fit (--seed or the clock) and the model lifetime.
CliEvaluation EvaluateCliSeries(CA1TimeSeries& series, const CliOptions& options);

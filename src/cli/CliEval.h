#pragma once
// Evaluation of one series in the batch tool, with the same core calls and
// in the same order as the desktop program's characteristic-function and
// fit commands.

#include <cstdint>

class CA1TimeSeries;
struct CliOptions;

// What the evaluation of a series did beyond what the series stores.
struct CliEvaluation {
    bool bFitRun = false;     // FitModel was called
    std::uint32_t nSeed = 0;  // its seed
};

// Characteristic function with --min-diversity; when it was extracted, the
// tolerance from energy, resolution and phase, the direct lifetime and the
// three tolerance inputs stored for the report; unless --no-fit, the model
// fit (--seed or the clock) and the model lifetime.
CliEvaluation EvaluateCliSeries(CA1TimeSeries& series, const CliOptions& options);

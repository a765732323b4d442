// A complete model-fit step (all random restarts, then the model lifetime)
// of a 10^4-sample series.

#include "SyntheticSeries.h"
#include "eval/EvalSteps.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_ModelFit(benchmark::State& state) {
    CA1TimeSeries s = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    EVALINPUTS inputs;
    RunCharFuncStep(s, inputs);
    std::uint32_t seed = 1;
    for (auto _ : state) {
        inputs.nSeed = seed++ % 16;  // a fixed cycle of seeds, different restarts
        RunModelFitStep(s, inputs, FitStepStart::FitOnly);
        benchmark::DoNotOptimize(s.FitSSqr);
    }
}

// Characteristic function and fit together, as one "Fit" of a fresh series.
void BM_CharacteristicFunctionAndFit(benchmark::State& state) {
    const CA1TimeSeries source = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    CA1TimeSeries s = source;
    EVALINPUTS inputs;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        inputs.nSeed = seed++ % 16;
        RunCharFuncStep(s, inputs);
        RunModelFitStep(s, inputs, FitStepStart::FitOnly);
        benchmark::DoNotOptimize(s.FitSSqr);
    }
}

}  // namespace

BENCHMARK(BM_ModelFit)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CharacteristicFunctionAndFit)->Arg(10000)->Unit(benchmark::kMillisecond);

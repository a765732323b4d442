// A complete model fit (all random restarts) of a 10^4-sample series.

#include "SyntheticSeries.h"
#include "eval/CharFunc.h"
#include "eval/ModelFit.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_ModelFit(benchmark::State& state) {
    CA1TimeSeries s = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    ExtractCharacteristicFunction(s, 10);
    std::uint32_t seed = 1;
    for (auto _ : state) {
        FitModel(s, seed++ % 16);  // a fixed cycle of seeds, different restarts
        benchmark::DoNotOptimize(s.FitSSqr);
    }
}

// Characteristic function and fit together, as one "Fit" of a fresh series.
void BM_CharacteristicFunctionAndFit(benchmark::State& state) {
    const CA1TimeSeries source = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    CA1TimeSeries s = source;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        ExtractCharacteristicFunction(s, 10);
        FitModel(s, seed++ % 16);
        benchmark::DoNotOptimize(s.FitSSqr);
    }
}

}  // namespace

BENCHMARK(BM_ModelFit)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CharacteristicFunctionAndFit)->Arg(10000)->Unit(benchmark::kMillisecond);

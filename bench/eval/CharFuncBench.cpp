// The characteristic function for N samples with the minimum diversity 10
// (about N * N/10 sample pairs, two passes).

#include "SyntheticSeries.h"
#include "eval/CharFunc.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {

void BM_CharacteristicFunction(benchmark::State& state) {
    const CA1TimeSeries source = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    CA1TimeSeries s = source;
    for (auto _ : state) {
        ExtractCharacteristicFunction(s, 10);
        benchmark::DoNotOptimize(s.m_aCharFunc.data());
    }
    const double n = static_cast<double>(state.range(0));
    state.counters["pairs/s"] = benchmark::Counter(n * (n / 10.0), benchmark::Counter::kIsIterationInvariantRate);
}

// A missing image every 20000 samples: the sums walk the runs between
// the gaps.
void BM_CharacteristicFunctionWithGaps(benchmark::State& state) {
    CA1TimeSeries s = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    for (std::size_t k = 0; k < s.m_aSamples.size(); ++k) s.m_aSamples[k].nIndex += static_cast<int>(k / 20000);
    for (auto _ : state) {
        ExtractCharacteristicFunction(s, 10);
        benchmark::DoNotOptimize(s.m_aCharFunc.data());
    }
}

// One image number out of order: every pair is tested (lane mask).
void BM_CharacteristicFunctionOutOfOrder(benchmark::State& state) {
    CA1TimeSeries s = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    std::swap(s.m_aSamples[100].nIndex, s.m_aSamples[101].nIndex);
    for (auto _ : state) {
        ExtractCharacteristicFunction(s, 10);
        benchmark::DoNotOptimize(s.m_aCharFunc.data());
    }
}

}  // namespace

BENCHMARK(BM_CharacteristicFunction)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CharacteristicFunction)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CharacteristicFunction)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CharacteristicFunctionWithGaps)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CharacteristicFunctionOutOfOrder)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

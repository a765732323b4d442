// The characteristic-function step (the pair sums and the direct lifetime,
// which takes next to nothing) for N samples with the minimum diversity 10
// (N * (N/10 - 2) sample pairs, two passes), by both routes of the pair
// sums: a random walk with drift, the same with missing images, and with
// numbers out of order.
//
// Both routes use two threads: times and pairs/s are wall-clock. The
// direct route at 4 * 10^6 samples takes about five minutes on two idle
// cores; run it on purpose with --benchmark_filter=Direct/4000000.
//
// The route threshold and the costs in src/eval/PairSumsFftTuning.h come
// from these runs: measure again here before changing them.

#include "SyntheticSeries.h"
#include "eval/EvalSteps.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {

void Run(benchmark::State& state, CA1TimeSeries s, CharFuncRoute route) {
    EVALINPUTS inputs;
    inputs.cfRoute = route;
    for (auto _ : state) {
        RunCharFuncStep(s, inputs);
        benchmark::DoNotOptimize(s.m_aCharFunc.data());
    }
    const double n = static_cast<double>(state.range(0));
    const double distances = static_cast<double>(static_cast<long long>((n - 1.0) / 10.0) - 1);
    state.counters["pairs/s"] = benchmark::Counter(n * distances, benchmark::Counter::kIsIterationInvariantRate);
}

// A missing image every 20000 samples and one more at random about every
// 5000: the sums walk the runs between the gaps.
CA1TimeSeries WithGaps(int n) {
    CA1TimeSeries s = MakeRandomWalkSeries(n);
    int skip = 0;
    for (std::size_t k = 0; k < s.m_aSamples.size(); ++k) {
        if (k % 20000 == 0 || (k * 2654435761u) % 5000 == 7) ++skip;
        s.m_aSamples[k].nIndex += skip;
    }
    return s;
}

void BM_CharFuncDirect(benchmark::State& state) {
    Run(state, MakeRandomWalkSeries(static_cast<int>(state.range(0))), CharFuncRoute::Direct);
}
void BM_CharFuncFft(benchmark::State& state) {
    Run(state, MakeRandomWalkSeries(static_cast<int>(state.range(0))), CharFuncRoute::Fft);
}
void BM_CharFuncAuto(benchmark::State& state) {
    Run(state, MakeRandomWalkSeries(static_cast<int>(state.range(0))), CharFuncRoute::Auto);
}
void BM_CharFuncDirectWithGaps(benchmark::State& state) {
    Run(state, WithGaps(static_cast<int>(state.range(0))), CharFuncRoute::Direct);
}
void BM_CharFuncFftWithGaps(benchmark::State& state) {
    Run(state, WithGaps(static_cast<int>(state.range(0))), CharFuncRoute::Fft);
}

// One image number out of order: the direct route tests every pair (lane
// mask); the FFT route takes the two offsets as two groups.
void BM_CharFuncOutOfOrder(benchmark::State& state) {
    CA1TimeSeries s = MakeRandomWalkSeries(static_cast<int>(state.range(0)));
    std::swap(s.m_aSamples[100].nIndex, s.m_aSamples[101].nIndex);
    Run(state, s, state.range(1) ? CharFuncRoute::Fft : CharFuncRoute::Direct);
}

}  // namespace

BENCHMARK(BM_CharFuncDirect)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CharFuncDirect)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_CharFuncDirect)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CharFuncDirect)->Arg(4000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CharFuncFft)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CharFuncFft)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_CharFuncFft)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CharFuncFft)->Arg(4000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CharFuncAuto)->Arg(30000)->Arg(45000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CharFuncDirectWithGaps)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CharFuncDirectWithGaps)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CharFuncFftWithGaps)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CharFuncFftWithGaps)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CharFuncFftWithGaps)->Arg(4000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CharFuncOutOfOrder)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

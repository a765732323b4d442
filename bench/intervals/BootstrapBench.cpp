// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the intervals: a whole bootstrap (B = 1000 replicates on all
// cores, then the intervals) of a series of 1,500, 10^4 and 10^5 images,
// and each step of one replicate on its own (simulation, extraction,
// model fit, lifetimes of the intervals), so their shares can be named.

#include "boot/Bootstrap.h"
#include "boot/Intervals.h"
#include "eval/EvalSteps.h"
#include "eval/ModelFit.h"
#include "sim/ModelSimulator.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A typical instrument: t0 = 2 s, Di = 0.02 nm, Da = 0.04 nm,
// tc = 60 s, s = 0.002 nm per image, noise 0.03 nm per component.
const MODELPARAMS kModel{0.02, 0.04, 30.0, 0.002};

CA1TimeSeries FittedSeries(int images) {
    CA1TimeSeries s;
    s.m_dImagePeriod = 2.0;
    std::vector<A1SAMPLE> layout(static_cast<std::size_t>(images));
    for (int i = 0; i < images; ++i) layout[static_cast<std::size_t>(i)].nIndex = 1 + i;
    const CModelSimulator sim(kModel, images - 1);
    CRandomStream random(1);
    s.m_aSamples = SimulateSamples(sim, SIMNOISE{0.03, 0.03}, layout, random);
    EVALINPUTS in;
    in.nSeed = 7;
    RunCharFuncStep(s, in);
    RunModelFitStep(s, in, FitStepStart::FitOnly);
    return s;
}

void BM_Bootstrap(benchmark::State& state) {
    const CA1TimeSeries s = FittedSeries(static_cast<int>(state.range(0)));
    BOOTSTRAPOPTIONS o;
    o.nReplicates = static_cast<int>(state.range(1));
    o.nSeed = 1;
    for (auto _ : state) {
        const BOOTSTRAPRUN run = RunBootstrap(s, EVALINPUTS{}, o);
        const INTERVALSET set = ComputeIntervals(run, s, 1.0);
        benchmark::DoNotOptimize(set.dGoodnessP);
        // Twice B where the fitted model is no process (the random-walk reading).
        state.counters["replicates"] = static_cast<double>(run.replicates.size() + run.walkReplicates.size());
    }
}

void BM_StepSimulate(benchmark::State& state) {
    const CA1TimeSeries s = FittedSeries(static_cast<int>(state.range(0)));
    const CModelSimulator sim(ModelParameters(s), ImageSpan(s.m_aSamples));
    state.counters["clipped"] = sim.ClippedShare();
    std::uint64_t i = 0;
    for (auto _ : state) {
        CRandomStream random(DeriveStreamSeed(1, i++));
        benchmark::DoNotOptimize(SimulateSamples(sim, NoiseOfSeries(s), s.m_aSamples, random).data());
    }
}

void BM_StepExtract(benchmark::State& state) {
    const CA1TimeSeries s = FittedSeries(static_cast<int>(state.range(0)));
    CA1TimeSeries rep;
    rep.m_dImagePeriod = 2.0;
    rep.m_aSamples = s.m_aSamples;
    for (auto _ : state) {
        RunCharFuncStep(rep, EVALINPUTS{});
        benchmark::DoNotOptimize(rep.MeasErr);
    }
}

void BM_StepFit(benchmark::State& state) {
    CA1TimeSeries s = FittedSeries(static_cast<int>(state.range(0)));
    std::uint32_t seed = 1;
    const auto arithmetic = state.range(1) ? FitArithmetic::WholeData : FitArithmetic::PointByPoint;
    for (auto _ : state) {
        FitModel(s, seed++ % 16, arithmetic);
        benchmark::DoNotOptimize(s.FitSSqr);
    }
}

void BM_StepLifetimes(benchmark::State& state) {
    const CA1TimeSeries s = FittedSeries(static_cast<int>(state.range(0)));
    REPLICATE r;
    r.bModel = true;
    r.params = ModelParameters(s);
    r.aDirectTrace = DirectLifetimeTrace(s.m_aCharFunc);
    for (auto _ : state) benchmark::DoNotOptimize(ReplicateLifetimes(r, 2.0, 1.0).dP50);
}

}  // namespace

BENCHMARK(BM_Bootstrap)
    ->Args({1500, 1000})
    ->Args({10000, 1000})
    ->Args({100000, 1000})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_StepSimulate)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepExtract)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
// Second argument: 0 the program's point-by-point fit, 1 the bootstrap's whole-data arithmetic.
BENCHMARK(BM_StepFit)->ArgsProduct({{1500, 10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepLifetimes)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

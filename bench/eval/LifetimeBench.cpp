// Marcum Q and the two bisections built on it: what a model band curve of
// the diagrams (about 300 points per band) and the report cost.

#include "eval/Lifetime.h"
#include "series/A1TimeSeries.h"

#include <benchmark/benchmark.h>

namespace {

MODELPARAMS Model(double di, double da, double tc, double s) {
    MODELPARAMS m;
    m.Di = di;
    m.Da = da;
    m.Tc = tc;
    m.s = s;
    return m;
}

// Arguments by range(0): 0 = random-walk sized (x about 5), 1 = moderate
// (x about 100), 2 = drift-dominated (x about 900), 3 = extreme (x about 1e7).
void ArgumentsOf(int kind, double& alpha, double& beta) {
    const double a[] = {1.5, 10.0, 30.0, 3000.0};
    alpha = a[kind];
    beta = a[kind] + 0.4;
}

void BM_MarcumQ(benchmark::State& state) {
    double alpha, beta;
    ArgumentsOf(static_cast<int>(state.range(0)), alpha, beta);
    for (auto _ : state) {
        benchmark::DoNotOptimize(MarcumQ(alpha, beta));
        alpha += 1e-12;
    }
}

// One band curve of a diagram: 300 points from 0 to 150 images.
void BM_ModelBandCurve(benchmark::State& state) {
    const MODELPARAMS m = state.range(0) == 0 ? Model(0.12, 0.3, 15.0, 0.004) : Model(0.01, 0.02, 8.0, 0.05);
    for (auto _ : state) {
        for (int i = 1; i <= 300; ++i) benchmark::DoNotOptimize(ModelBand(m, 0.5 * i, kP84));
    }
}

// The three probability lifetimes of the report.
void BM_ProbabilityLifetimes(benchmark::State& state) {
    const MODELPARAMS m = state.range(0) == 0 ? Model(0.12, 0.3, 15.0, 0.004) : Model(0.01, 0.02, 8.0, 0.05);
    const double a2 = 1.27 * 1.27;
    for (auto _ : state) {
        benchmark::DoNotOptimize(InverseStayProbability(m, a2, kP84));
        benchmark::DoNotOptimize(InverseStayProbability(m, a2, kP50));
        benchmark::DoNotOptimize(InverseStayProbability(m, a2, kP16));
    }
}

// A model that never reaches the tolerance runs the stepping search to its
// bound (all zero: no exponential; a transient alone: one per step), and
// the probability bisection to its doubling bound.
void BM_UnreachableModel(benchmark::State& state) {
    CA1TimeSeries s;
    s.CharFuncValid = 1;
    s.ModelValid = 1;
    s.FitDa = state.range(0) == 0 ? 0.0 : 0.5;
    s.FitTc = 4.0;
    s.DirectLifetime = 20.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EvaluateModelLifetime(s, 3.0));
        benchmark::DoNotOptimize(ProbabilityLifetime(s, 3.0, kP50));
    }
}

}  // namespace

BENCHMARK(BM_MarcumQ)->DenseRange(0, 3);
BENCHMARK(BM_ModelBandCurve)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProbabilityLifetimes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnreachableModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

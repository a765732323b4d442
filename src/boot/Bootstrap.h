// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parametric bootstrap of a fitted series: replicate series drawn from
// the fitted model (CModelSimulator) at the series' own image numbers and
// with its extracted measurement noise, each evaluated by the same steps as
// the original (the characteristic-function step with the same minimum
// diversity and route, then the model fit with its trial loop).
//
// Replicate i draws from the stream DeriveStreamSeed(seed, i) and fits with
// the seed that stream gives first, so a seed gives the same replicates to
// the last bit whatever the number of threads. The replicates' parameters,
// s-squares and what their direct lifetime needs are kept, so the lifetimes
// of another tolerance are computed again without simulating (Intervals.h).
//
// A fitted model whose random walk is too small to carry its transient is
// not a process (the simulator has to clip its spectrum): the fit has
// traded the random walk for a transient, and replicates drawn from it
// alone have too little long-range randomness, so their spread of the
// drift and the lifetimes is too small (the coverage study's drift regime
// covered 19 % of its model lifetimes that way). Such a run draws a second
// set of replicates from the model's random-walk reading, the transient's
// short-range slope continued: Di^2 + Da^2 as the random walk, no
// transient. The intervals span both sets, which is conservative.

#include "eval/EvalSteps.h"
#include "eval/Lifetime.h"
#include "series/A1TimeSeries.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// Replicates when none are asked for (see docs/intervals-coverage.md).
inline constexpr int kDefaultReplicates = 1000;
inline constexpr int kMinReplicates = 100;
inline constexpr int kMaxReplicates = 100000;

struct BOOTSTRAPOPTIONS {
    int nReplicates = kDefaultReplicates;
    std::uint32_t nSeed = 0;
    int nThreads = 0;                            // 0: one per core
    const std::atomic<bool>* pCancel = nullptr;  // set to stop after the replicates in progress
    // Called after each finished replicate with the count done so far and
    // the total; from the worker threads, one call at a time.
    std::function<void(int done, int total)> progress;
};

// One evaluated replicate.
struct REPLICATE {
    bool bModel = false;  // the fit gave a model
    MODELPARAMS params;   // |Di|, |Da|, Tc [images], |s| as the series stores them
    double dSSqr = 0.0;
    // What the direct lifetime of any tolerance needs from the replicate's
    // characteristic function: its smallest value first, then the points
    // at which the running maximum grows, then the last point.
    std::vector<A1SAMPLE> aDirectTrace;
};

// Failed: not enough memory for the simulation or a replicate.
enum class BootstrapStatus { Done, Cancelled, NoModel, Failed };

struct BOOTSTRAPRUN {
    BootstrapStatus status = BootstrapStatus::NoModel;
    std::uint32_t nSeed = 0;
    MODELPARAMS original;               // the series' fitted model
    double dObservedSSqr = 0.0;         // its s-square
    double dImagePeriod = 1.0;          // t0 [s]
    double dClippedShare = 0.0;         // of the simulator's spectrum (0: exact)
    std::vector<REPLICATE> replicates;  // in index order, all of them when Done
    // Only when the fitted model is not a process (dClippedShare > 0): the
    // model the second set is drawn from, and that set (replicate i draws
    // from the stream of index B + i).
    MODELPARAMS walkReading;
    std::vector<REPLICATE> walkReplicates;
};

// Di^2 + Da^2 as the random walk, no transient, the same Tc and drift.
MODELPARAMS RandomWalkReading(const MODELPARAMS& model);

// Runs the bootstrap of a series with a fitted model (status NoModel
// otherwise). `inputs` gives the route; the minimum diversity is the one
// the series' characteristic function was extracted with.
BOOTSTRAPRUN RunBootstrap(const CA1TimeSeries& series, const EVALINPUTS& inputs, const BOOTSTRAPOPTIONS& options);

// Evaluates replicate `index` of a run (the work of one worker).
REPLICATE EvaluateReplicate(const class CModelSimulator& simulator, const CA1TimeSeries& series,
                            const EVALINPUTS& inputs, std::uint32_t seed, int index);

// The share of the fitted model's replicates with a model whose s-square
// is at least the observed one (NaN without any).
double GoodnessOfFitP(const BOOTSTRAPRUN& run);

// The reduced characteristic function of REPLICATE::aDirectTrace.
std::vector<A1SAMPLE> DirectLifetimeTrace(const std::vector<A1SAMPLE>& charFunc);

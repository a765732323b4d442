// SPDX-License-Identifier: GPL-3.0-or-later
#include "boot/Bootstrap.h"

#include "eval/ModelFit.h"
#include "eval/Random.h"
#include "sim/ModelSimulator.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

std::vector<A1SAMPLE> DirectLifetimeTrace(const std::vector<A1SAMPLE>& cf) {
    std::vector<A1SAMPLE> trace;
    if (cf.empty()) return trace;
    // The direct lifetime looks at the smallest value, the first and last
    // distance and the first point reaching a^2; the first point reaching
    // any level is one at which the running maximum grows.
    A1SAMPLE low = cf.front();
    for (const A1SAMPLE& p : cf)
        if (p.dX + p.dY < low.dX + low.dY) low = p;
    low.nIndex = cf.front().nIndex;
    trace.push_back(low);
    double best = -HUGE_VAL;
    for (const A1SAMPLE& p : cf) {
        if (p.dX + p.dY > best) {
            best = p.dX + p.dY;
            trace.push_back(p);
        }
    }
    if (trace.back().nIndex != cf.back().nIndex) trace.push_back(cf.back());
    return trace;
}

REPLICATE EvaluateReplicate(const CModelSimulator& simulator, const CA1TimeSeries& series, const EVALINPUTS& inputs,
                            std::uint32_t seed, int index) {
    CRandomStream random(DeriveStreamSeed(seed, static_cast<std::uint64_t>(index)));
    EVALINPUTS in = inputs;
    in.nMinDiversity = series.UsedMinDiversity;
    in.nSeed = static_cast<std::uint32_t>(random.Next64() >> 32);

    CA1TimeSeries rep;
    rep.m_dImagePeriod = series.m_dImagePeriod;
    rep.m_aSamples = SimulateSamples(simulator, NoiseOfSeries(series), series.m_aSamples, random);
    REPLICATE out;
    if (!RunCharFuncStep(rep, in)) return out;
    FitModel(rep, in.nSeed, FitArithmetic::WholeData);
    if (rep.ModelValid != 1) return out;
    out.bModel = true;
    out.params = ModelParameters(rep);
    out.dSSqr = rep.FitSSqr;
    out.aDirectTrace = DirectLifetimeTrace(rep.m_aCharFunc);
    return out;
}

MODELPARAMS RandomWalkReading(const MODELPARAMS& model) {
    MODELPARAMS reading = model;
    reading.Di = std::hypot(model.Di, model.Da);
    reading.Da = 0.0;
    return reading;
}

BOOTSTRAPRUN RunBootstrap(const CA1TimeSeries& series, const EVALINPUTS& inputs, const BOOTSTRAPOPTIONS& options) {
    BOOTSTRAPRUN run;
    run.nSeed = options.nSeed;
    if (series.CharFuncValid != 1 || series.ModelValid != 1) return run;
    run.original = ModelParameters(series);
    run.dObservedSSqr = series.FitSSqr;
    run.dImagePeriod = series.m_dImagePeriod;

    std::unique_ptr<CModelSimulator> made, walk;
    const int count = std::clamp(options.nReplicates, 1, kMaxReplicates);
    try {
        made = std::make_unique<CModelSimulator>(run.original, ImageSpan(series.m_aSamples));
        run.replicates.resize(static_cast<std::size_t>(count));
        if (made->ClippedShare() > 0.0) {
            run.walkReading = RandomWalkReading(run.original);
            walk = std::make_unique<CModelSimulator>(run.walkReading, ImageSpan(series.m_aSamples));
            run.walkReplicates.resize(static_cast<std::size_t>(count));
        }
    } catch (const std::bad_alloc&) {
        run.status = BootstrapStatus::Failed;
        run.replicates.clear();
        run.walkReplicates.clear();
        return run;
    }
    const CModelSimulator& simulator = *made;
    run.dClippedShare = simulator.ClippedShare();

    const int total = count + static_cast<int>(run.walkReplicates.size());
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false}, failed{false};
    int done = 0;
    std::mutex progressMutex;
    auto work = [&] {
        for (;;) {
            if (stopped || (options.pCancel && options.pCancel->load())) {
                stopped = true;
                return;
            }
            const int i = next.fetch_add(1);
            if (i >= total) return;
            try {
                if (i < count)
                    run.replicates[static_cast<std::size_t>(i)] =
                        EvaluateReplicate(simulator, series, inputs, run.nSeed, i);
                else
                    run.walkReplicates[static_cast<std::size_t>(i - count)] =
                        EvaluateReplicate(*walk, series, inputs, run.nSeed, i);
            } catch (const std::bad_alloc&) {
                // Out of memory: the run stops and says so; no thread ends the program.
                failed = true;
                stopped = true;
                return;
            }
            std::lock_guard<std::mutex> lock(progressMutex);
            ++done;
            if (options.progress) options.progress(done, total);
        }
    };
    int threads = options.nThreads > 0 ? options.nThreads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, total);
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the threads started so far share the rest
        }
    }
    work();
    for (std::thread& h : helpers) h.join();
    if (stopped && done < total) {
        run.status = failed ? BootstrapStatus::Failed : BootstrapStatus::Cancelled;
        run.replicates.clear();
        run.walkReplicates.clear();
        return run;
    }
    run.status = BootstrapStatus::Done;
    return run;
}

double GoodnessOfFitP(const BOOTSTRAPRUN& run) {
    int models = 0, atLeast = 0;
    for (const REPLICATE& r : run.replicates) {
        if (!r.bModel) continue;
        ++models;
        if (r.dSSqr >= run.dObservedSSqr) ++atLeast;
    }
    return models > 0 ? static_cast<double>(atLeast) / models : std::nan("");
}

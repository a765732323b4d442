// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/IntervalsKeeper.h"

#include "boot/UncertaintyText.h"
#include "eval/ModelFit.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "ui/BackgroundRunner.h"
#include "ui/DDPage.h"

#include <utility>

namespace {

// Replicates the diagrams' bands are drawn from: the band of P(a,t) costs a
// Marcum Q per replicate and time, on the GUI thread.
constexpr std::size_t kBandReplicates = 400;

// The diagrams' 95 % bands of f(t) and P(a,t) over the run's replicates (at
// most kBandReplicates of them, evenly taken by index; the intervals use all).
std::shared_ptr<const DIAGRAMBAND> MakeBand(std::shared_ptr<const BOOTSTRAPRUN> full) {
    std::shared_ptr<const BOOTSTRAPRUN> run = full;
    const std::size_t n = full->replicates.size();
    if (n > kBandReplicates) {
        auto thinned = std::make_shared<BOOTSTRAPRUN>(*full);
        thinned->replicates.clear();
        for (std::size_t j = 0; j < kBandReplicates; ++j) {
            REPLICATE r = full->replicates[j * n / kBandReplicates];
            r.aDirectTrace.clear();  // the bands use the models only
            thinned->replicates.push_back(std::move(r));
        }
        run = std::move(thinned);
    }
    auto band = std::make_shared<DIAGRAMBAND>();
    band->evaluate = [run](bool probability, double a, const std::vector<double>& times, std::vector<double>& lows,
                           std::vector<double>& highs) {
        const std::vector<BANDPOINT> points =
            probability ? StayProbabilityBand(*run, a, times, 0.95) : ModelFunctionBand(*run, times, 0.95);
        lows.clear();
        highs.clear();
        for (const BANDPOINT& p : points) {
            lows.push_back(p.dLow);
            highs.push_back(p.dHigh);
        }
    };
    return band;
}

}  // namespace

CIntervalsKeeper::CIntervalsKeeper(QObject* parent) : QObject(parent), m_pRunner(new CBackgroundRunner(this)) {
    // Every run goes to the worker, whatever the size of the series.
    m_pRunner->SetInlineBelow(0);
    connect(m_pRunner, &CBackgroundRunner::Tick, this, &CIntervalsKeeper::OnTick);
}

CIntervalsKeeper::~CIntervalsKeeper() {
    if (m_pStop) m_pStop->store(true);
}

CIntervalsKeeper::KEY CIntervalsKeeper::KeyOf(const CA1TimeSeries& s) {
    return KEY{s.m_strSourceFile, s.m_nFirstLine, s.m_nLastLine, s.m_nImportType};
}

CIntervalsKeeper::STATE CIntervalsKeeper::StateOf(const CA1TimeSeries& s) {
    STATE st;
    st.nSamples = s.m_aSamples.size();
    st.nCharFunc = s.m_aCharFunc.size();
    st.nCharFuncValid = s.CharFuncValid;
    st.nModelValid = s.ModelValid;
    st.nMinDiversity = s.UsedMinDiversity;
    st.nMirror = s.m_nMirror;
    st.dRotation = s.m_dRotation;
    st.dPeriod = s.m_dImagePeriod;
    st.dErrX = s.MeasErrX;
    st.dErrY = s.MeasErrY;
    st.dDi = s.FitDi;
    st.dDa = s.FitDa;
    st.dTc = s.FitTc;
    st.dS = s.FitS;
    st.dSSqr = s.FitSSqr;
    return st;
}

bool CIntervalsKeeper::IsBusy() const { return m_pRunner->IsBusy(); }

bool CIntervalsKeeper::IsRunningFor(const CA1TimeSeries& series) const {
    return IsBusy() && m_runKey == KeyOf(series) && m_runState == StateOf(series);
}

bool CIntervalsKeeper::Start(CA1TimeSeries& series, const EVALINPUTS& inputs, CLogFile* log) {
    if (IsBusy() || series.CharFuncValid != 1 || series.ModelValid != 1) return false;
    // The run's own copy of the series, without the log lines no step reads.
    CLineArray lines = std::move(series.m_astrLines);
    auto copy = std::make_shared<CA1TimeSeries>(series);
    series.m_astrLines = std::move(lines);
    copy->m_pLog = nullptr;

    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto run = std::make_shared<BOOTSTRAPRUN>();
    BOOTSTRAPOPTIONS options;
    options.nReplicates = m_nReplicates;
    options.nSeed = m_seedSource ? m_seedSource() : SeedFromUtcClock();
    options.pCancel = stop.get();

    BACKGROUNDJOB job;
    job.strStatus = "Computing the intervals";
    job.nSize = series.m_aSamples.size();
    job.bCancellable = true;
    job.pLog = log;
    job.work = [copy, run, stop, options, inputs](CJobContext& context) mutable {
        options.progress = [&context, stop](int done, int total) {
            context.ReportProgress(done, total);
            if (context.IsCancelled()) stop->store(true);
        };
        context.ReportProgress(0, options.nReplicates);
        *run = RunBootstrap(*copy, inputs, options);
    };
    const KEY key = KeyOf(series);
    job.finish = [this, copy, run, key, log](CJobContext& context) {
        m_pStop.reset();
        if (context.Failed()) LogIfAttached(log, "ERROR: " + context.Error());
        else if (context.Cancelled() || run->status == BootstrapStatus::Cancelled)
            LogIfAttached(log, "Intervals cancelled.");
        else if (run->status == BootstrapStatus::Failed)
            LogIfAttached(log, "ERROR: Not enough memory to compute the intervals.");
        else if (run->status == BootstrapStatus::Done) {
            ENTRY entry;
            entry.state = StateOf(*copy);
            entry.intervals.set = ComputeIntervals(*run, *copy, copy->Tolerance);
            entry.intervals.pBand = MakeBand(run);
            entry.intervals.pRun = run;
            m_entries[key] = std::move(entry);
            LogIfAttached(log, "Intervals computed.");
        }
        emit Changed();
    };
    m_runKey = key;
    m_runState = StateOf(series);
    m_nDone = 0;
    m_nTotal = m_nReplicates;
    m_pStop = stop;
    if (!m_pRunner->Start(std::move(job))) {
        m_pStop.reset();
        return false;
    }
    ++m_nRunsStarted;
    LogIfAttached(log, FormatText("Computing the intervals from %d replicate series (seed %u).", m_nReplicates,
                                  static_cast<unsigned>(options.nSeed)));
    emit Changed();
    return true;
}

void CIntervalsKeeper::Cancel() {
    if (m_pStop) m_pStop->store(true);
    m_pRunner->Cancel();
}

void CIntervalsKeeper::OnTick(qint64, long long done, long long total) {
    m_nDone = done;
    m_nTotal = total;
    emit Changed();
}

const SERIESINTERVALS* CIntervalsKeeper::Find(const CA1TimeSeries& series) {
    auto it = m_entries.find(KeyOf(series));
    if (it == m_entries.end()) return nullptr;
    if (!(it->second.state == StateOf(series))) {
        m_entries.erase(it);
        return nullptr;
    }
    SERIESINTERVALS& shown = it->second.intervals;
    // A Refresh changed the tolerance: the kept replicates give the new lifetimes.
    if (shown.set.dTolerance != series.Tolerance && shown.pRun)
        shown.set = ComputeIntervals(*shown.pRun, series, series.Tolerance);
    return &shown;
}

void CIntervalsKeeper::Forget(const CA1TimeSeries& series) {
    const KEY key = KeyOf(series);
    const bool dropped = m_entries.erase(key) > 0;
    if (IsBusy() && m_runKey == key) Cancel();
    if (dropped) emit Changed();
}

void CIntervalsKeeper::Follow(const CA1TimeSeries* series) {
    if (IsBusy() && (!series || !IsRunningFor(*series))) Cancel();
}

CIntervalsKeeper* IntervalsOf(IPageHost* host) { return host ? host->Intervals() : nullptr; }

void ForgetSeriesIntervals(IPageHost* host, const CA1TimeSeries& series) {
    if (CIntervalsKeeper* keeper = IntervalsOf(host)) keeper->Forget(series);
}

std::string UncertaintyBlockOf(IPageHost* host, const CA1TimeSeries& series) {
    CIntervalsKeeper* keeper = IntervalsOf(host);
    const SERIESINTERVALS* found = keeper ? keeper->Find(series) : nullptr;
    return found ? BuildUncertaintyBlock(found->set) : std::string();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bootstrap intervals of the series in the list: the desktop runs the
// bootstrap of one series at a time on its own background runner (so the
// window and the other commands stay usable) and keeps each finished run
// with the state of the series it was drawn from. The run's replicate fits
// are kept, so the intervals of another tolerance (a Refresh with a new
// energy or resolution) are computed again without simulating.
//
// Intervals belong to one state of a series: a new extraction,
// characteristic function or fit (Forget), or a series whose extraction or
// model no longer is the one a run started from, drops them; a run still
// going for it is cancelled. Showing another series cancels a run too.

#include "boot/Intervals.h"
#include "eval/EvalSteps.h"
#include "plot/DiagramBand.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>

class CA1TimeSeries;
class CBackgroundRunner;
class CLogFile;
class IPageHost;

// The intervals of one series as they are shown.
struct SERIESINTERVALS {
    std::shared_ptr<const BOOTSTRAPRUN> pRun;  // the replicates, for another tolerance
    INTERVALSET set;                           // at the series' tolerance
    std::shared_ptr<const DIAGRAMBAND> pBand;  // the replicates' models for the diagrams
};

class CIntervalsKeeper : public QObject {
    Q_OBJECT
public:
    explicit CIntervalsKeeper(QObject* parent = nullptr);
    ~CIntervalsKeeper() override;

    // Starts the bootstrap of a series with a fitted model; false when it
    // has none or a run is going.
    bool Start(CA1TimeSeries& series, const EVALINPUTS& inputs, CLogFile* log);
    // Stops the run at the replicates in progress.
    void Cancel();
    bool IsBusy() const;
    bool IsRunningFor(const CA1TimeSeries& series) const;
    // Progress of the run: replicates done and in all.
    long long Done() const { return m_nDone; }
    long long Total() const { return m_nTotal; }

    // The intervals of the series as it is now, at its tolerance; null
    // without any (intervals of an older state of the series are dropped).
    const SERIESINTERVALS* Find(const CA1TimeSeries& series);
    // The series is about to be evaluated anew: its intervals go and a run
    // for it stops.
    void Forget(const CA1TimeSeries& series);
    // The pages show this series now (or none): a run for another series,
    // or for another state of it, stops.
    void Follow(const CA1TimeSeries* series);

    int Replicates() const { return m_nReplicates; }
    void SetReplicates(int replicates) { m_nReplicates = replicates; }
    // Seed of a run (default: from the clock).
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }
    // Runs started so far (a Refresh starts none).
    int RunsStarted() const { return m_nRunsStarted; }
    CBackgroundRunner& Runner() { return *m_pRunner; }

signals:
    // A run started, progressed, ended, or intervals were dropped.
    void Changed();

private:
    // Which series (its log and line range) and which state of it.
    using KEY = std::tuple<std::string, int, int, int>;
    struct STATE {
        std::size_t nSamples = 0, nCharFunc = 0;
        int nCharFuncValid = 0, nModelValid = 0, nMinDiversity = 0, nMirror = 0;
        double dRotation = 0, dPeriod = 0, dErrX = 0, dErrY = 0, dDi = 0, dDa = 0, dTc = 0, dS = 0, dSSqr = 0;
        bool operator==(const STATE&) const = default;
    };
    struct ENTRY {
        STATE state;
        SERIESINTERVALS intervals;
    };
    static KEY KeyOf(const CA1TimeSeries& series);
    static STATE StateOf(const CA1TimeSeries& series);
    void OnTick(qint64 elapsedMs, long long done, long long total);

    CBackgroundRunner* m_pRunner = nullptr;
    std::map<KEY, ENTRY> m_entries;
    std::shared_ptr<std::atomic<bool>> m_pStop;
    KEY m_runKey;
    STATE m_runState;
    long long m_nDone = 0;
    long long m_nTotal = 0;
    int m_nReplicates = kDefaultReplicates;
    int m_nRunsStarted = 0;
    std::function<std::uint32_t()> m_seedSource;
};

// The host's keeper, or null (pages without a window).
CIntervalsKeeper* IntervalsOf(IPageHost* host);
// Hook of the evaluation commands: the series' intervals go (see Forget).
void ForgetSeriesIntervals(IPageHost* host, const CA1TimeSeries& series);
// The report's "Uncertainty" block of the series' intervals, or empty.
std::string UncertaintyBlockOf(IPageHost* host, const CA1TimeSeries& series);

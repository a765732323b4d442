// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one runner of long work in the desktop program. The core stays
// synchronous; what takes long (the characteristic function, the model fit,
// a refresh, and later interval bootstraps and following) is handed to this
// runner as a job:
//
//   BACKGROUNDJOB job;
//   job.strStatus = "Evaluating the characteristic function";
//   job.nSize = series.m_aSamples.size();
//   job.pLog = &log;                          // where the job's lines go
//   auto copy = std::make_shared<CA1TimeSeries>(...);  // the job's own inputs
//   job.work = [copy](CJobContext& context) {  // a worker thread
//       copy->m_pLog = &context.Log();
//       RunSomeStep(*copy);                      // polls context.IsCancelled()
//   };                                           // between pieces of work
//   job.finish = [copy, &series](CJobContext& context) {  // the GUI thread
//       if (!context.Cancelled() && !context.Failed()) ApplyTo(series, *copy);
//   };
//   runner.Start(std::move(job));
//
// Rules of a job:
// - `work` runs on a worker thread and touches nothing but what it owns (a
//   copy of the series, the inputs captured by value) and its context. The
//   core functions it calls must be safe to call from another thread.
// - Every line the work writes goes to context.Log(); the runner replays
//   them, in their order, into job.pLog on the GUI thread right before
//   `finish` runs, so the program's message log reads as after a run on the
//   GUI thread (the lines carry the time they were replayed).
// - `finish` runs on the GUI thread once the work has ended, also after a
//   cancel or an exception (context.Cancelled(), context.Failed()); it
//   applies the results to the real data. A runner destroyed while a job
//   runs cancels it, waits for the worker and drops `finish`.
// - One job at a time: Start() refuses a second one while one runs. The
//   window disables the commands that would touch the data while IsBusy().
// - A job smaller than InlineBelow() (job.nSize) runs at once on the calling
//   thread, through the same work, replay and finish: small series answer
//   without a round trip through the event loop.
//
// Progress: the work calls context.ReportProgress(done, total); the runner
// gives it, with the elapsed time, through Tick() every kTickMs while the
// job runs. Cancel() sets the flag the work polls; a job that cannot stop
// between pieces of work says so with bCancellable = false.

#include "log/LogFile.h"

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QThread;
class QTimer;

// The message log of a job: collects the lines (thread-safe), replays them.
class CJobLog : public CLogFile {
public:
    // Lines are written up to the given debug level (that of the target).
    explicit CJobLog(unsigned debugLevel) { m_nDebugLevel = debugLevel; }
    int Write(const std::string& message) override;
    // Writes the collected lines to the target in their order and forgets them.
    void ReplayTo(CLogFile& target);
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// What a job's work and finish see of the runner.
class CJobContext {
public:
    explicit CJobContext(unsigned debugLevel) : m_log(debugLevel) {}

    // The work polls this between pieces of work and returns when it is set.
    bool IsCancelled() const { return m_bCancel.load(std::memory_order_relaxed); }
    bool Cancelled() const { return IsCancelled(); }
    void ReportProgress(long long done, long long total) {
        m_nDone.store(done, std::memory_order_relaxed);
        m_nTotal.store(total, std::memory_order_relaxed);
    }
    long long Done() const { return m_nDone.load(std::memory_order_relaxed); }
    long long Total() const { return m_nTotal.load(std::memory_order_relaxed); }
    CLogFile& Log() { return m_log; }
    // Set when the work ended by an exception: its text.
    bool Failed() const { return !m_strError.empty(); }
    const std::string& Error() const { return m_strError; }

private:
    friend class CBackgroundRunner;
    std::atomic<bool> m_bCancel{false};
    std::atomic<long long> m_nDone{0};
    std::atomic<long long> m_nTotal{0};
    CJobLog m_log;
    std::string m_strError;
};

struct BACKGROUNDJOB {
    std::string strStatus;                     // status-bar text while it runs ("Evaluating ...")
    std::size_t nSize = 0;                     // size of the work, e.g. samples (see InlineBelow)
    bool bCancellable = false;                 // the work polls IsCancelled(): offer Cancel
    CLogFile* pLog = nullptr;                  // target of the job's lines (may be null)
    std::function<void(CJobContext&)> work;    // worker thread
    std::function<void(CJobContext&)> finish;  // GUI thread, after the work
};

class CBackgroundRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 200;
    // Jobs of fewer samples run on the calling thread by default.
    static constexpr std::size_t kDefaultInlineBelow = 20000;

    explicit CBackgroundRunner(QObject* parent = nullptr);
    ~CBackgroundRunner() override;

    // Starts the job; false (nothing done) while another one runs.
    bool Start(BACKGROUNDJOB job);
    // Runs a job at once on the calling thread (work, replay, finish).
    static void RunNow(BACKGROUNDJOB job);

    bool IsBusy() const { return m_pContext != nullptr; }
    bool IsCancellable() const { return IsBusy() && m_job.bCancellable; }
    // Asks the running job to stop at its next poll.
    void Cancel();
    // The running job's status text and its time so far.
    const std::string& Status() const { return m_job.strStatus; }
    qint64 ElapsedMs() const { return IsBusy() ? m_clock.elapsed() : 0; }

    std::size_t InlineBelow() const { return m_nInlineBelow; }
    void SetInlineBelow(std::size_t size) { m_nInlineBelow = size; }

    // Runs the event loop until no job runs or timeoutMs passed; true when idle.
    bool WaitUntilIdle(int timeoutMs);

signals:
    void Started();
    // Every kTickMs while a job runs: elapsed time and reported progress.
    void Tick(qint64 elapsedMs, long long done, long long total);
    // After the job's finish ran.
    void Finished();

private:
    void OnWorkerFinished();
    static void RunWork(BACKGROUNDJOB& job, CJobContext& context);

    BACKGROUNDJOB m_job;
    std::unique_ptr<CJobContext> m_pContext;
    QThread* m_pThread = nullptr;
    QTimer* m_pTicker = nullptr;
    QElapsedTimer m_clock;
    std::size_t m_nInlineBelow = kDefaultInlineBelow;
};

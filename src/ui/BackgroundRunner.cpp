// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BackgroundRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <exception>
#include <new>
#include <utility>

int CJobLog::Write(const std::string& message) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(message);
    return 1;
}

void CJobLog::ReplayTo(CLogFile& target) {
    std::vector<std::string> lines;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        lines.swap(m_lines);
    }
    for (const std::string& line : lines) target.Write(line);
}

std::vector<std::string> CJobLog::Lines() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

CBackgroundRunner::CBackgroundRunner(QObject* parent) : QObject(parent) {
    m_pTicker = new QTimer(this);
    m_pTicker->setInterval(kTickMs);
    connect(m_pTicker, &QTimer::timeout, this, [this] {
        if (m_pContext) emit Tick(m_clock.elapsed(), m_pContext->Done(), m_pContext->Total());
    });
}

CBackgroundRunner::~CBackgroundRunner() {
    if (m_pThread) {
        // The window goes: the work stops at its next poll, its results with it.
        m_pContext->m_bCancel = true;
        m_pThread->disconnect(this);
        m_pThread->wait();
        delete m_pThread;
    }
}

void CBackgroundRunner::RunWork(BACKGROUNDJOB& job, CJobContext& context) {
    try {
        if (job.work) job.work(context);
    } catch (const std::bad_alloc&) {
        context.m_strError = "Not enough memory.";
    } catch (const std::exception& e) {
        context.m_strError = e.what()[0] ? e.what() : "Unknown error.";
    }
}

void CBackgroundRunner::RunNow(BACKGROUNDJOB job) {
    CJobContext context(job.pLog ? job.pLog->m_nDebugLevel : 0);
    RunWork(job, context);
    if (job.pLog) context.m_log.ReplayTo(*job.pLog);
    if (job.finish) job.finish(context);
}

bool CBackgroundRunner::Start(BACKGROUNDJOB job) {
    if (IsBusy()) return false;
    if (job.nSize < m_nInlineBelow) {
        RunNow(std::move(job));
        return true;
    }
    m_job = std::move(job);
    m_pContext = std::make_unique<CJobContext>(m_job.pLog ? m_job.pLog->m_nDebugLevel : 0);
    m_clock.start();
    CJobContext* context = m_pContext.get();
    m_pThread = QThread::create([this, context] { RunWork(m_job, *context); });
    connect(m_pThread, &QThread::finished, this, &CBackgroundRunner::OnWorkerFinished, Qt::QueuedConnection);
    emit Started();
    m_pTicker->start();
    m_pThread->start();
    return true;
}

void CBackgroundRunner::OnWorkerFinished() {
    m_pTicker->stop();
    m_pThread->wait();
    delete m_pThread;
    m_pThread = nullptr;
    // The job leaves the runner before its finish runs: the finish may start
    // the next one.
    BACKGROUNDJOB job = std::move(m_job);
    m_job = BACKGROUNDJOB();
    std::unique_ptr<CJobContext> context = std::move(m_pContext);
    if (job.pLog) context->m_log.ReplayTo(*job.pLog);
    if (job.finish) job.finish(*context);
    emit Finished();
}

void CBackgroundRunner::Cancel() {
    if (m_pContext) m_pContext->m_bCancel = true;
}

bool CBackgroundRunner::WaitUntilIdle(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (IsBusy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return !IsBusy();
}

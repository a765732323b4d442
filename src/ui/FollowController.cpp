// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FollowController.h"

#include "eval/EvalSteps.h"
#include "eval/ModelFit.h"
#include "follow/LogFollower.h"
#include "platform/Dialogs.h"
#include "platform/PosixFollowFileSystem.h"
#include "series/A1TimeSeries.h"
#include "text/Format.h"
#include "ui/BackgroundRunner.h"
#include "ui/DriftwiseDlg.h"
#include "ui/ImportFileTypes.h"
#include "ui/SeriesJob.h"
#include "ui/TabTable.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// The evaluation results of `from` go into `to` (whose samples and lines
// are newer); everything else of `to` stays.
void KeepEvaluation(CA1TimeSeries& to, const CA1TimeSeries& from) {
    to.m_aCharFunc = from.m_aCharFunc;
    to.CharFuncValid = from.CharFuncValid;
    to.ModelValid = from.ModelValid;
    to.UsedMinDiversity = from.UsedMinDiversity;
    to.LifetimeState = from.LifetimeState;
    to.MeasErr = from.MeasErr;
    to.MeasErrX = from.MeasErrX;
    to.MeasErrY = from.MeasErrY;
    to.SlopeSum = from.SlopeSum;
    to.Tolerance = from.Tolerance;
    to.UsedLimitPhase = from.UsedLimitPhase;
    to.UsedElEnergykV = from.UsedElEnergykV;
    to.UsedTargetResAng = from.UsedTargetResAng;
    to.DirectLifetime = from.DirectLifetime;
    to.FitDi = from.FitDi;
    to.FitDa = from.FitDa;
    to.FitTc = from.FitTc;
    to.FitS = from.FitS;
    to.ModelLifetime = from.ModelLifetime;
    to.FitSSqr = from.FitSSqr;
}

// Seconds of recording the samples span.
double RecordedSpan(const CA1TimeSeries& series) {
    double tMin = 0.0, tMax = 0.0, xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;
    series.GetSampleRanges(tMin, tMax, xMin, xMax, yMin, yMax);
    return tMax - tMin;
}

std::string AbsolutePath(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

}  // namespace

CFollowController::CFollowController(CDriftwiseDlg& window)
    : QObject(&window), m_window(window), m_pFiles(std::make_unique<CPosixFollowFileSystem>()),
      m_pOwnClock(std::make_unique<CSteadyFollowClock>()), m_pClock(m_pOwnClock.get()) {
    m_pPollTimer = new QTimer(this);
    m_pPollTimer->setInterval(kDefaultPollMs);
    connect(m_pPollTimer, &QTimer::timeout, this, &CFollowController::OnTimer);
    m_pRenderTimer = new QTimer(this);
    m_pRenderTimer->setSingleShot(true);
    connect(m_pRenderTimer, &QTimer::timeout, this, [this] { Render(false); });
    // A change notification only brings the next poll forward: on network
    // shares none may ever come.
    m_pWatcher = new QFileSystemWatcher(this);
    connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, [this] {
        if (m_pFollower && !m_bStopping && m_bChangeHints) QTimer::singleShot(0, this, &CFollowController::PollNow);
    });

    m_pStatus = new QLabel(&m_window);
    m_window.statusBar()->addPermanentWidget(m_pStatus);
    m_pStatus->hide();

    m_pFollowAction = new QAction(QStringLiteral("Follow Log...\tCtrl+Shift+L"), &m_window);
    m_pFollowAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    m_pFollowAction->setShortcutContext(Qt::WindowShortcut);
    m_pFollowAction->setStatusTip(QStringLiteral("Follow a log file while it is written."));
    m_pStopAction = new QAction(QStringLiteral("Stop Following"), &m_window);
    m_pStopAction->setStatusTip(QStringLiteral("Read the rest of the followed log and stop following it."));
    m_pEvaluateAction = new QAction(QStringLiteral("Evaluate While Following"), &m_window);
    m_pEvaluateAction->setCheckable(true);
    m_pEvaluateAction->setChecked(true);
    m_pEvaluateAction->setStatusTip(QStringLiteral("Evaluate the followed series again as samples arrive."));
    connect(m_pFollowAction, &QAction::triggered, this, &CFollowController::OnFollowLog);
    connect(m_pStopAction, &QAction::triggered, this, &CFollowController::Stop);
    connect(m_pEvaluateAction, &QAction::toggled, this, [this](bool on) {
        if (on) MaybeEvaluate();
    });
    QMenu* recent = m_window.RecentLogsMenu();
    auto* file = recent ? qobject_cast<QMenu*>(recent->parent()) : nullptr;
    for (QAction* action : {m_pFollowAction, m_pStopAction, m_pEvaluateAction}) {
        if (file) file->insertAction(recent->menuAction(), action);
        m_window.addAction(action);  // the accelerator works while the menus are closed
    }
    if (CBackgroundRunner* runner = m_window.Runner()) {
        connect(runner, &CBackgroundRunner::Started, this, &CFollowController::OnRunnerStarted);
        connect(runner, &CBackgroundRunner::Finished, this, &CFollowController::OnRunnerFinished);
    }
    UpdateActions();
}

CFollowController::~CFollowController() = default;

void CFollowController::SetPollIntervalMs(int ms) { m_pPollTimer->setInterval(std::max(1, ms)); }
int CFollowController::PollIntervalMs() const { return m_pPollTimer->interval(); }

void CFollowController::OnFollowLog() {
    if (m_window.IsShutDown() || m_window.Busy()) return;
    CMainParameters& params = m_window.Parameters();
    FILEDIALOGREQUEST request;
    request.filters = ImportFilters();
    request.filterIndex = FilterOfImportType(params.ImportType);
    request.initialFolder = params.ImportPath;
    FILEDIALOGRESULT result;
    IDialogs* dialogs = m_window.m_setup.pDialogs;
    if (!dialogs || !dialogs->OpenFile(static_cast<QWidget*>(&m_window), request, result)) return;
    // A filter of no format leaves the format to the content.
    const int type = ImportTypeOfFilter(result.filterIndex);
    if (type != IMPORT_NONE) params.ImportType = type;
    const std::size_t slash = result.path.rfind('/');
    if (slash != std::string::npos) params.ImportPath = result.path.substr(0, slash + 1);
    Start(result.path, type);
}

void CFollowController::Start(const std::string& path, int importType) {
    if (m_window.IsShutDown() || m_window.Busy()) return;
    if (m_pFollower) Stop();
    if (m_pFollower) return;  // still stopping behind a job of the runner

    FOLLOWSETTINGS settings;
    settings.strPath = path;
    settings.nImportType = importType;
    const CMainParameters& params = m_window.Parameters();
    settings.nMirror = params.ImportMirrorY;
    settings.dRotationDeg = params.ImportRotDeg;
    m_pFollower = std::make_unique<CLogFollower>(settings, *m_pFiles, *m_pClock, &m_window.Log());
    m_strPath = path;
    ++m_nGeneration;
    m_nFirst = static_cast<int>(m_window.Series().size());
    m_nCount = 0;
    m_bStopping = false;
    m_bSyncPending = false;
    m_nEvalFollowed = -1;
    m_nEvalSamples = 0;
    m_dEvalSpan = 0.0;
    m_notes.clear();

    m_window.m_recentLogs.Add(path);
    m_window.RebuildRecentLogsMenu();
    if (!m_pWatcher->files().isEmpty()) m_pWatcher->removePaths(m_pWatcher->files());
    m_pWatcher->addPath(QString::fromStdString(path));
    m_pPollTimer->start();
    m_lastRender.invalidate();
    PollNow();
    // The last followed series is selected, as after an import.
    if (m_nCount > 0) {
        m_window.m_nSelected = m_nFirst + m_nCount - 1;
        m_window.RefreshSeriesList();
        m_window.RebuildTabs();
    }
    UpdateActions();
}

void CFollowController::OnTimer() { PollNow(); }

void CFollowController::PollNow() {
    if (!m_pFollower || m_bStopping || m_window.IsShutDown()) return;
    const FOLLOWPOLL poll = m_pFollower->Poll();
    // A replaced file is no longer the one watched.
    const QString watched = QString::fromStdString(m_strPath);
    if (!m_pFollower->Gone() && !m_pWatcher->files().contains(watched)) m_pWatcher->addPath(watched);
    if (poll.bSeriesChanged || m_bSyncPending) Sync();
    UpdateStatus();
}

void CFollowController::Stop() {
    if (!m_pFollower || m_bStopping) return;
    m_pFollower->Finish();
    m_bStopping = true;
    m_pPollTimer->stop();
    Sync();
    // Behind a job of the runner the last sync waits for its end.
    if (!m_bSyncPending) Release();
    UpdateActions();
}

void CFollowController::Shutdown() {
    m_bSyncPending = false;
    Release();
}

void CFollowController::Release() {
    m_pPollTimer->stop();
    m_pRenderTimer->stop();
    if (!m_pWatcher->files().isEmpty()) m_pWatcher->removePaths(m_pWatcher->files());
    m_pFollower.reset();
    m_bStopping = false;
    m_bSyncPending = false;
    ++m_nGeneration;
    m_nCount = 0;
    m_notes.clear();
    m_pStatus->clear();
    m_pStatus->hide();
    UpdateActions();
}

CA1TimeSeries* CFollowController::Followed(int i) {
    std::vector<CA1TimeSeries>& list = m_window.Series();
    const int index = m_nFirst + i;
    if (i < 0 || i >= m_nCount || index >= static_cast<int>(list.size())) return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

void CFollowController::Sync() {
    if (!m_pFollower || m_window.IsShutDown()) return;
    // A job works on a copy of a series and puts its results back: the list
    // waits for its end.
    if (m_window.Busy()) {
        m_bSyncPending = true;
        return;
    }
    m_bSyncPending = false;
    std::vector<CA1TimeSeries>& list = m_window.Series();
    if (m_nFirst < 0 || m_nFirst + m_nCount > static_cast<int>(list.size())) {
        // The list lost followed series without telling: nothing to update.
        Release();
        return;
    }
    const std::vector<CA1TimeSeries>& followed = m_pFollower->Series();
    const int have = m_nCount;
    const int want = static_cast<int>(followed.size());
    const auto at = [&](int i) { return list.begin() + m_nFirst + i; };
    bool listChanged = false;
    int& selected = m_window.m_nSelected;

    for (int i = 0; i < std::min(have, want); ++i) {
        CA1TimeSeries& target = *at(i);
        CA1TimeSeries fresh = followed[static_cast<std::size_t>(i)];
        KeepEvaluation(fresh, target);
        fresh.m_pLog = target.m_pLog;
        fresh.m_nCurrentTab = target.m_nCurrentTab;
        target = std::move(fresh);
    }
    if (want != have) {
        m_window.ForgetSeriesLinks();
        listChanged = true;
        const bool selectedFollowed = have == 0 || (selected >= m_nFirst && selected < m_nFirst + have);
        if (want < have) {
            list.erase(at(want), at(have));
            for (auto it = m_notes.begin(); it != m_notes.end();) it = it->first >= want ? m_notes.erase(it) : ++it;
        } else {
            list.insert(at(have), followed.begin() + have, followed.end());
        }
        if (selectedFollowed) selected = want > 0 ? m_nFirst + want - 1 : std::min(m_nFirst, int(list.size()) - 1);
        else if (selected >= m_nFirst + have) selected += want - have;
        if (list.empty()) selected = -1;
        m_nCount = want;
    }
    Render(listChanged);
    MaybeEvaluate();
}

void CFollowController::Render(bool listChanged) {
    if (m_window.IsShutDown()) return;
    m_bRenderListPending = m_bRenderListPending || listChanged;
    // The list's lines cost little: they are always current.
    if (!m_bRenderListPending) LabelSeriesList();
    if (!m_bRenderListPending && m_lastRender.isValid() && m_lastRender.elapsed() < kMinRenderMs) {
        if (!m_pRenderTimer->isActive()) m_pRenderTimer->start(static_cast<int>(kMinRenderMs - m_lastRender.elapsed()));
        return;
    }
    m_pRenderTimer->stop();
    m_lastRender.start();
    if (m_bRenderListPending) {
        m_bRenderListPending = false;
        m_window.RefreshSeriesList();
        m_window.RebuildTabs();
    } else {
        const int selected = m_window.Selected();
        if (selected >= m_nFirst && selected < m_nFirst + m_nCount) m_window.ShowActivePage();
    }
    emit Rendered();
}

void CFollowController::LabelSeriesList() {
    if (!m_pFollower) return;
    QComboBox* combo = m_window.SeriesList();
    for (int i = 0; i < m_nCount; ++i) {
        const CA1TimeSeries* series = Followed(i);
        const int index = m_nFirst + i;
        if (!series || index >= combo->count()) break;
        const std::string line = m_pFollower->IsProvisional(static_cast<std::size_t>(i))
                                     ? ProvisionalSeriesListLine(index + 1, *series)
                                     : SeriesListLine(index + 1, *series);
        combo->setItemText(index, QString::fromStdString(line));
    }
}

std::string CFollowController::EvaluationNote(const CA1TimeSeries& series) const {
    for (const auto& [i, note] : m_notes) {
        const int index = m_nFirst + i;
        if (index < static_cast<int>(m_window.Series().size()) &&
            &m_window.Series()[static_cast<std::size_t>(index)] == &series)
            return note;
    }
    return std::string();
}

void CFollowController::NotePages() {
    if (m_notes.empty()) return;
    for (CDDStabilityPage* page :
         {static_cast<CDDStabilityPage*>(m_window.CFuncPage()), static_cast<CDDStabilityPage*>(m_window.ModelPage()),
          static_cast<CDDStabilityPage*>(m_window.ProbabilityPage())}) {
        if (!page || !page->Series() || !page->Line2Edit()) continue;
        const std::string note = EvaluationNote(*page->Series());
        if (note.empty()) continue;
        const QString text = page->Line2Edit()->text();
        const QString suffix = QString::fromStdString(" (" + note + ")");
        if (!text.endsWith(suffix)) page->Line2Edit()->setText(text + suffix);
        page->Line2Edit()->setCursorPosition(0);
    }
}

void CFollowController::MaybeEvaluate() {
    if (!m_pFollower || m_bStopping || !m_pEvaluateAction->isChecked() || m_window.Busy() || m_nCount == 0) return;
    CBackgroundRunner* runner = m_window.Runner();
    if (!runner) return;
    const int followed = m_nCount - 1;
    CA1TimeSeries* series = Followed(followed);
    if (!series) return;
    if (followed != m_nEvalFollowed) {
        m_nEvalSamples = 0;
        m_dEvalSpan = 0.0;
    }
    const std::size_t samples = series->m_aSamples.size();
    const double span = RecordedSpan(*series);
    // The characteristic function needs ten image distances of the minimum
    // diversity; a shorter series would only log that it is too short.
    const int diversity = std::max(1, m_window.Parameters().MinDiversity);
    if (samples < 10 * static_cast<std::size_t>(diversity) + 1 || samples <= m_nEvalSamples) return;
    const bool grown = samples * 100 >= m_nEvalSamples * (100 + kEvaluateGrowthPercent);
    if (!grown && span - m_dEvalSpan < kEvaluateSeconds) return;

    m_nEvalFollowed = followed;
    m_nEvalSamples = samples;
    m_dEvalSpan = span;
    const CMainParameters& params = m_window.Parameters();
    EVALINPUTS inputs;
    inputs.nMinDiversity = params.MinDiversity;
    inputs.dEnergykV = params.ElEnergykV;
    inputs.dResolutionAng = params.TargetResAng;
    inputs.dLimitPhase = params.LimitPhase;
    const auto& seedSource = m_window.CFuncPage()->m_seedSource;
    inputs.nSeed = seedSource ? seedSource() : SeedFromUtcClock();

    // The step's own copy, without the log lines no step reads.
    CLineArray lines = std::move(series->m_astrLines);
    auto copy = std::make_shared<CA1TimeSeries>(*series);
    series->m_astrLines = std::move(lines);

    BACKGROUNDJOB job;
    job.strStatus = "Evaluating the followed series";
    job.nSize = std::numeric_limits<std::size_t>::max();  // never on the GUI thread
    job.bCancellable = false;
    // The lines are replayed by finish: not after the program's last line.
    job.pLog = nullptr;
    job.work = [copy, inputs](CJobContext& context) {
        copy->m_pLog = &context.Log();
        if (RunCharFuncStep(*copy, inputs)) RunModelFitStep(*copy, inputs, FitStepStart::FitOnly);
    };
    const unsigned generation = m_nGeneration;
    job.finish = [this, copy, generation, followed, samples](CJobContext& context) {
        if (m_window.IsShutDown()) return;
        static_cast<CJobLog&>(context.Log()).ReplayTo(m_window.Log());
        if (context.Failed()) m_window.Log().Write("ERROR: " + context.Error());
        if (context.Failed() || context.Cancelled() || generation != m_nGeneration) return;
        CA1TimeSeries* target = Followed(followed);
        if (!target) return;
        TakeStepResults(*target, std::move(*copy));
        m_notes[followed] =
            FormatText("at %zu samples, %s", samples, QTime::currentTime().toString("HH:mm:ss").toStdString().c_str());
        if (m_window.Selected() == m_nFirst + followed) m_window.RebuildTabs();
    };
    m_bOwnJob = runner->Start(std::move(job));
}

void CFollowController::OnRunnerStarted() { UpdateActions(); }

void CFollowController::OnRunnerFinished() {
    m_bOwnJob = false;
    if (m_bSyncPending) Sync();
    if (m_bStopping) Release();
    UpdateActions();
}

void CFollowController::BeforeImport(const std::string& path) {
    if (m_pFollower && AbsolutePath(path) == AbsolutePath(m_strPath)) Stop();
}

void CFollowController::BeforeDelete(int index) {
    if (!m_pFollower) return;
    if (index < 0 || (index >= m_nFirst && index < m_nFirst + m_nCount)) {
        m_window.Log().Write("Stopped following file [" + m_strPath + "].");
        Release();
    } else if (index < m_nFirst) {
        --m_nFirst;
    }
}

void CFollowController::UpdateStatus() {
    const std::string text = StatusText();
    m_pStatus->setText(QString::fromStdString(text));
    m_pStatus->setVisible(!text.empty());
}

std::string CFollowController::StatusText() const {
    if (!m_pFollower || m_bStopping) return std::string();
    const double ago = std::max(0.0, m_pClock->Now() - m_pFollower->LastGrowth());
    return FormatText("Following [%s]: %lld lines, last change %.0f s ago", m_strPath.c_str(),
                      m_pFollower->CompleteLines(), std::floor(ago));
}

void CFollowController::UpdateActions() {
    const bool busy = m_window.Busy();
    m_pFollowAction->setEnabled(!busy && !m_window.IsShutDown());
    m_pStopAction->setEnabled(IsFollowing());
}

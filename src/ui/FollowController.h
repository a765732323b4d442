// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Follow Log..." of the main window: a log the corrector still writes is
// followed by a core follower, polled by a timer (a file system watcher only
// makes a poll come sooner). Its series stand in the window's series list
// as one contiguous run and are updated in place: a poll never adds another
// copy of a series. A series still recording is listed as provisional.
//
// The graph and the Log Text page follow the new samples, re-rendered at
// most every kMinRenderMs. With "Evaluate While Following" the last
// followed series is evaluated again (characteristic function, direct
// lifetime, model fit and model lifetime) on the background runner when
// at least 10 % more samples or 30 s more of recording have arrived; the
// stability lines then say on how many samples and when the result was
// made. While a job of the runner works on a copy of a series the followed
// series are not touched; the poll's result is taken in when it ends.
//
// Following ends by "Stop Following" (the rest of the file is read; the
// series then equal an import of the file), by deleting one of its series,
// by importing the same file again or by quitting.

#include "follow/FollowFileSystem.h"

#include <QElapsedTimer>
#include <QObject>

#include <cstddef>
#include <map>
#include <memory>
#include <string>

class CA1TimeSeries;
class CDriftwiseDlg;
class CLogFollower;
class QAction;
class QFileSystemWatcher;
class QLabel;
class QTimer;

class CFollowController : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultPollMs = 1000;
    static constexpr int kMinRenderMs = 250;
    // Evaluate again after this share more samples or this much more recording.
    static constexpr std::size_t kEvaluateGrowthPercent = 10;
    static constexpr double kEvaluateSeconds = 30.0;

    explicit CFollowController(CDriftwiseDlg& window);
    ~CFollowController() override;

    // The File menu's command: chooses the file and starts following it.
    void OnFollowLog();
    // Starts following the file (importType IMPORT_NONE: decided by content);
    // a file followed before is stopped first.
    void Start(const std::string& path, int importType);
    // "Stop Following": reads the rest of the file, takes it in and ends.
    void Stop();
    bool IsFollowing() const { return m_pFollower != nullptr && !m_bStopping; }
    const std::string& Path() const { return m_strPath; }

    // One poll now (the timer's work).
    void PollNow();
    // Tests: the clock of the follower and the status line (before Start),
    // and the poll interval.
    void SetClock(IFollowClock* clock) { m_pClock = clock; }
    void SetPollIntervalMs(int ms);
    int PollIntervalMs() const;
    // Whether change notifications bring polls forward (on by default).
    void SetChangeHints(bool on) { m_bChangeHints = on; }

    QAction* FollowAction() const { return m_pFollowAction; }
    QAction* StopAction() const { return m_pStopAction; }
    QAction* EvaluateAction() const { return m_pEvaluateAction; }
    // "Following [file]: 812 lines, last change 2 s ago" (empty when not following).
    std::string StatusText() const;
    // "at 812 samples, 16:42:10" of the followed series (empty when none).
    std::string EvaluationNote(const CA1TimeSeries& series) const;
    // Index of the first followed series in the list and how many there are.
    int FirstIndex() const { return m_nFirst; }
    int Count() const { return m_nCount; }

    // --- hooks of the main window ---
    // Sets the list lines of the followed series (provisional ones so marked).
    void LabelSeriesList();
    // Adds the evaluation notes to the stability lines of the shown pages.
    void NotePages();
    // Before the file is imported: importing the followed file ends following.
    void BeforeImport(const std::string& path);
    // Before the series of this index (-1: all) is deleted.
    void BeforeDelete(int index);
    // The program ends: stops at once, touching no series.
    void Shutdown();

signals:
    // After the followed series were taken into the list and shown.
    void Rendered();

private:
    void OnTimer();
    void OnRunnerStarted();
    void OnRunnerFinished();
    // Takes the follower's series into the window's list.
    void Sync();
    void Render(bool listChanged);
    void MaybeEvaluate();
    void Release();
    void UpdateStatus();
    void UpdateActions();
    CA1TimeSeries* Followed(int i);

    CDriftwiseDlg& m_window;
    std::unique_ptr<IFollowFileSystem> m_pFiles;
    std::unique_ptr<IFollowClock> m_pOwnClock;
    IFollowClock* m_pClock = nullptr;
    std::unique_ptr<CLogFollower> m_pFollower;
    std::string m_strPath;
    int m_nFirst = 0;
    int m_nCount = 0;
    bool m_bStopping = false;     // stopped: the last sync waits for the runner
    bool m_bSyncPending = false;  // the follower changed while the runner was busy
    unsigned m_nGeneration = 0;   // counts the files followed, for late job results

    // The last evaluation: which followed series, its samples and recording.
    int m_nEvalFollowed = -1;
    std::size_t m_nEvalSamples = 0;
    double m_dEvalSpan = 0.0;
    std::map<int, std::string> m_notes;  // by followed series
    bool m_bOwnJob = false;

    QTimer* m_pPollTimer = nullptr;
    QTimer* m_pRenderTimer = nullptr;
    QFileSystemWatcher* m_pWatcher = nullptr;
    QLabel* m_pStatus = nullptr;
    QAction* m_pFollowAction = nullptr;
    QAction* m_pStopAction = nullptr;
    QAction* m_pEvaluateAction = nullptr;
    QElapsedTimer m_lastRender;
    bool m_bRenderListPending = false;
    bool m_bChangeHints = true;
};

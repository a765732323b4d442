#pragma once
// Base of the six tab pages. The main window sets the pointers below before
// it calls Initialize(), then shows a page with UpdatePage(series or null).

#include <QWidget>

class CA1TimeSeries;
class CBackgroundRunner;
class CIntervalsKeeper;
class CLogFile;
class CMainParameters;
class IDialogs;

// What the pages need of the main window.
class IPageHost {
public:
    virtual ~IPageHost() = default;
    // Rebuilds the tabs for the selected series (after the series' current
    // tab was changed) and shows the active page.
    virtual void RebuildTabs() = 0;
    // The runner of long work; null: the pages run their steps at once.
    virtual CBackgroundRunner* Runner() { return nullptr; }
    // The bootstrap intervals of the series; null: the pages offer none.
    virtual CIntervalsKeeper* Intervals() { return nullptr; }
};

class CDDPage : public QWidget {
    Q_OBJECT
public:
    explicit CDDPage(QWidget* parent = nullptr) : QWidget(parent) {}
    ~CDDPage() override = default;

    // Builds the controls; called once, after the pointers are set.
    virtual void Initialize() = 0;
    // Shows the series (or none) on the page.
    virtual void UpdatePage(CA1TimeSeries* series) = 0;
    // Menu commands forwarded by the main window ("Export Image", "Export
    // Data Table", "Export Binary Data"); pages without them do nothing.
    virtual void OnExportImage() {}
    virtual void OnExportTable() {}
    virtual void OnExportBinary() {}

    // While long work runs the page's command buttons are off.
    void SetBusy(bool busy);
    // A job of the host's runner runs: the page's commands wait.
    bool RunnerBusy() const;

    CA1TimeSeries* Series() const { return m_pSeries; }
    // Drops the series link without touching the page (the series is gone).
    void ForgetSeries() { m_pSeries = nullptr; }

    CLogFile* m_pLog = nullptr;
    CMainParameters* m_pParams = nullptr;
    IPageHost* m_pHost = nullptr;
    IDialogs* m_pDialogs = nullptr;

protected:
    CBackgroundRunner* Runner() const { return m_pHost ? m_pHost->Runner() : nullptr; }

    CA1TimeSeries* m_pSeries = nullptr;
};

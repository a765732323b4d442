#pragma once
// The program's main window: the list of imported series, the tab pages of
// the selected series and the "Message Log" field. It owns the log, the
// program parameters, the series list and the six pages. Creating it runs
// the start-up sequence (data folder, log, banner, parameters); "Quit" and
// the close box save the parameters and close the log with a final line.

#include "files/MainParameters.h"
#include "import/LogImport.h"
#include "log/LogFile.h"
#include "series/A1TimeSeries.h"
#include "ui/DDPage.h"
#include "ui/LogMirror.h"
#include "ui/RecentLogs.h"
#include "ui/TabTable.h"

#include <QMainWindow>

#include <functional>
#include <string>
#include <vector>

class CBackgroundRunner;
class CDDA1TimeDiagramDlg;
class CDDCFuncDiagramDlg;
class CDDLogTextDlg;
class CDDModelDiagramDlg;
class CPdfExport;
class CFollowController;
class IDialogs;
class ISettingsStore;
class QAction;
class QComboBox;
class QDialog;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;

// What the window gets from the application (tests give their own).
struct DRIFTWISESETUP {
    IDialogs* pDialogs = nullptr;      // file dialogs and message boxes; required
    ISettingsStore* pStore = nullptr;  // per-user settings; null: none
    std::string strDataFolder;         // folder of Log.txt and Setup.prm (created)
    int nWelcomeLockMs = 2000;         // welcome window: not closable for this long
    int nWelcomeCloseMs = 4000;        // then closes itself after this
    // Runs a modal dialog (settings, welcome, About, disclaimer) and returns
    // its result; empty: QDialog::exec().
    std::function<int(QDialog&)> runDialog;
};

class CDriftwiseDlg : public QMainWindow, public IPageHost {
    Q_OBJECT
public:
    static constexpr int kLogTimerMs = 250;

    explicit CDriftwiseDlg(DRIFTWISESETUP setup, QWidget* parent = nullptr);
    ~CDriftwiseDlg() override;

    // --- operations of the window ---
    void RefreshSeriesList();
    void RebuildTabs() override;
    void ShowActivePage();
    // The runner of the long evaluation steps; while it is busy the commands
    // that would touch the series are off.
    CBackgroundRunner* Runner() override { return m_pRunner; }
    // The bootstrap intervals of the series (their own runner).
    CIntervalsKeeper* Intervals() override { return m_pIntervals; }

    // Imports files chosen outside the Import dialog (command line, drops,
    // recent logs): the format is decided by content; a folder imports the
    // files in it.
    void ImportFiles(const std::vector<std::string>& paths);
    // "Recent Logs": imports the file like a dropped one; a file that no
    // longer exists is removed from the list with a message.
    void OnRecentLog(const std::string& path);
    void OnClearRecentLogs();
    const CRecentLogs& RecentLogs() const { return m_recentLogs; }

    // --- commands (menu items, buttons, accelerators) ---
    void OnImport();
    void OnDelete();
    void OnDeleteAll();
    void OnExportImage();
    void OnExportTable();
    void OnExportBinary();
    void OnExportPdf();
    void OnPrint();
    void OnExportReport();  // the Summary page's "Export..."
    void OnQuit();
    void OnReExtract();
    void OnCharFunc();
    void OnFitModel();
    void OnProbabilityPlot();
    void OnEvaluationSummary();
    void OnIntervals();
    void OnProgramParameters();
    void OnAbout();
    void OnDisclaimer();
    // Re-evaluates the enabled state of the menu items.
    void UpdateMenuState();
    // One tick of the log update timer.
    void OnLogTimer();

    // --- state, for the pages and tests ---
    CA1TimeSeries* SelectedSeries();
    std::vector<CA1TimeSeries>& Series() { return m_aSeries; }
    CMainParameters& Parameters() { return m_params; }
    CLogFile& Log() { return m_log; }
    const std::string& DataFolder() const { return m_strDataFolder; }
    std::string SetupFilePath() const;
    int Selected() const { return m_nSelected; }
    int ActiveTab() const { return m_nActiveTab; }
    bool IsShutDown() const { return m_bShutDown; }

    enum class Command {
        Import,
        ExportImage,
        ExportTable,
        ExportBinary,
        ExportPdf,
        Print,
        Quit,
        ReExtract,
        CharFunc,
        FitModel,
        ProbabilityPlot,
        EvaluationSummary,
        Intervals,
        ProgramParameters,
        About,
        Disclaimer
    };
    QAction* Action(Command command) const;
    QComboBox* SeriesList() const { return m_pSeriesList; }
    QPushButton* ImportButton() const { return m_pImport; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QPushButton* DeleteAllButton() const { return m_pDeleteAll; }
    QTabWidget* Tabs() const { return m_pTabs; }
    QPlainTextEdit* LogField() const { return m_pLogField; }
    QSplitter* Splitter() const { return m_pSplitter; }
    QMenu* RecentLogsMenu() const { return m_pRecentMenu; }
    CDDPage* Page(TabPage page) const;
    CDDLogTextDlg* LogTextPage() const { return m_pLogTextPage; }
    CDDLogTextDlg* SummaryPage() const { return m_pSummaryPage; }
    CDDA1TimeDiagramDlg* A1TimePage() const { return m_pA1TimePage; }
    CDDCFuncDiagramDlg* CFuncPage() const { return m_pCFuncPage; }
    CDDModelDiagramDlg* ModelPage() const { return m_pModelPage; }
    CDDModelDiagramDlg* ProbabilityPage() const { return m_pProbabilityPage; }
    // "Follow Log..." and what belongs to it.
    CFollowController* Follow() const { return m_pFollow; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class CFollowController;
    void StartUp();
    void CreateControls();
    void CreateMenus();
    void CreatePages();
    void ReadControls();
    void WriteControls();
    void Shutdown(const char* lastLine);
    int RunDialog(QDialog& dialog);
    ImportRequest MakeImportRequest(const std::string& path);
    // Imports one file (importType IMPORT_NONE: by content) and gives the
    // reader's result; true when the series list changed.
    bool ImportOneFile(const std::string& path, int importType, ImportResult& result);
    void AfterImport();
    void CreateRecentLogsMenu(QMenu* file);
    void RebuildRecentLogsMenu();
    void RestoreLayout();
    void SaveLayout();
    // Moves the window so that its frame, title bar included, lies on the
    // screen; true once a window manager's frame was seen.
    bool KeepFrameOnScreen();
    bool IsAccelerator(const QKeyEvent& key) const;
    void ForgetSeriesLinks();
    void SyncDiagramPages(CA1TimeSeries* selected);
    void OnSelectionChanged();
    void OnTabChanged(int index);
    void ActivateTab(int index);
    void ForwardExport(void (CDDPage::*exportCommand)());
    void RunReportCommand(bool (CPdfExport::*command)(const CA1TimeSeries&, int));
    bool Busy() const;
    void OnJobStarted();
    void OnJobTick(qint64 elapsedMs, long long done, long long total);
    void OnJobFinished();
    void SetBusyControls(bool busy);
    // The page whose "Intervals" the menu runs (the active tab's), or null.
    CDDModelDiagramDlg* IntervalsPage();
    void UpdateIntervalsItem();

    // Members of the window, in the order the program has always kept them.
    std::string m_strDataFolder;
    int m_nSelected = 0;
    QTabWidget* m_pTabs = nullptr;
    int m_nActiveTab = -1;
    CMainParameters m_params;
    CLogFile m_log;
    std::vector<CA1TimeSeries> m_aSeries;
    int m_bQuitRequested = 0;
    int m_nSplashCountdown = 2;
    CDDLogTextDlg* m_pLogTextPage = nullptr;
    CDDLogTextDlg* m_pSummaryPage = nullptr;
    CDDA1TimeDiagramDlg* m_pA1TimePage = nullptr;
    CDDCFuncDiagramDlg* m_pCFuncPage = nullptr;
    CDDModelDiagramDlg* m_pModelPage = nullptr;
    CDDModelDiagramDlg* m_pProbabilityPage = nullptr;

    DRIFTWISESETUP m_setup;
    bool m_bShutDown = false;
    bool m_bRebuilding = false;
    CLogMirror m_logMirror;
    QTimer* m_pLogTimer = nullptr;
    QComboBox* m_pSeriesList = nullptr;
    QPushButton* m_pImport = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pDeleteAll = nullptr;
    QPlainTextEdit* m_pLogField = nullptr;
    QSplitter* m_pSplitter = nullptr;
    QMenu* m_pRecentMenu = nullptr;
    std::vector<QAction*> m_aRecentItems;
    QAction* m_pClearRecent = nullptr;
    CRecentLogs m_recentLogs;
    std::vector<QAction*> m_actions;
    // The six pages, each once: the tab page it is and whether it is a
    // diagram page (which keeps the selected series linked while hidden).
    struct PAGEROW {
        TabPage page;
        CDDPage* pPage;
        bool bDiagram;
    };
    std::vector<PAGEROW> m_aPages;
    CBackgroundRunner* m_pRunner = nullptr;
    CIntervalsKeeper* m_pIntervals = nullptr;
    QProgressBar* m_pJobProgress = nullptr;
    QPushButton* m_pJobCancel = nullptr;
    QTimer* m_pFrameCheck = nullptr;
    int m_nFrameChecks = 0;
    CFollowController* m_pFollow = nullptr;
};

#include "ui/DriftwiseDlg.h"

#include "Version.h"
#include "files/SettingsStore.h"
#include "import/LogFolder.h"
#include "import/LogImport.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "text/Format.h"
#include "ui/BackgroundRunner.h"
#include "ui/FollowController.h"
#include "ui/ImportFileTypes.h"
#include "ui/IntervalsKeeper.h"
#include "ui/PdfExport.h"
#include "ui/Pictures.h"
#include "ui/SplashDlg.h"
#include "ui/WindowLayout.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDLogTextDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const char* const kDeleteAllQuestion =
    "1) All time-astigmatism series will be unloaded.\r\n2) All evaluation data will be lost.\r\n\r\n"
    "Do you really want to do this?";

// The folder part of a path, with its closing "/" (empty without one).
std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Size of a first start, and the smallest size the window is meant to be
// usable at (logical pixels).
constexpr QSize kDefaultWindowSize(1120, 760);
constexpr int kDefaultLogHeight = 120;
constexpr int kMinimumLogHeight = 48;
// How often and how long after the first show the frame is looked for.
constexpr int kFrameCheckMs = 50;
constexpr int kFrameChecks = 40;

}  // namespace

CDriftwiseDlg::CDriftwiseDlg(DRIFTWISESETUP setup, QWidget* parent) : QMainWindow(parent), m_setup(std::move(setup)) {
    StartUp();
    CreateControls();
    CreateMenus();
    CreatePages();
    m_pFollow = new CFollowController(*this);
    RestoreLayout();

    m_log.WriteDebug(1, "Program Initialization.");
    m_pLogTimer = new QTimer(this);
    connect(m_pLogTimer, &QTimer::timeout, this, &CDriftwiseDlg::OnLogTimer);
    m_pLogTimer->start(kLogTimerMs);
    if (!m_pLogTimer->isActive()) m_log.Write("Warning: Failed to start the log update timer.");

    RefreshSeriesList();
    RebuildTabs();
    setFocus();
}

CDriftwiseDlg::~CDriftwiseDlg() {
    qApp->removeEventFilter(this);
    // A step still running stops and its results are dropped before the
    // series and the log go.
    delete m_pRunner;
    m_pRunner = nullptr;
    delete m_pIntervals;
    m_pIntervals = nullptr;
    delete m_pFollow;
    m_pFollow = nullptr;
    // The pages keep pointers into the series list; drop them first.
    ForgetSeriesLinks();
}

// Start-up sequence: data folder, log, banner, parameters.
void CDriftwiseDlg::StartUp() {
    m_strDataFolder = m_setup.strDataFolder;
    if (!m_strDataFolder.empty()) CreateFolderPath(m_strDataFolder);  // failures show up as log and parameter errors

    m_recentLogs.Load(m_setup.pStore);

    m_log.m_strCollectedText.clear();
    m_log.m_bCollectText = 1;
    m_log.m_strPath = m_strDataFolder + "/Log.txt";
    m_log.m_nDebugLevel = 0;
    m_log.ApplySizeCap();

    m_log.Write("");
    m_log.Write(FormatText("Driftwise - Version %s started.", kVersionText));

    m_params.m_pLog = &m_log;
    LoadProgramParameters(m_params, SetupFilePath());
    LoadFromProfile(m_setup.pStore, m_params);
}

std::string CDriftwiseDlg::SetupFilePath() const { return m_strDataFolder + "/" + "Setup.prm"; }

void CDriftwiseDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Driftwise -  Halvorn Optical Stability Benchmark"));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* seriesGroup = new QGroupBox(QStringLiteral("Time-Astigmatism Series"), central);
    m_pSeriesList = new QComboBox(seriesGroup);
    m_pSeriesList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pSeriesList->setMinimumContentsLength(30);
    m_pSeriesList->setMaxVisibleItems(12);
    m_pSeriesList->setAccessibleName(seriesGroup->title());
    // Mnemonics clear of the menu bar's (F, N, S and Alt+A for About).
    m_pImport = new QPushButton(QStringLiteral("&Import"), seriesGroup);
    m_pDelete = new QPushButton(QStringLiteral("&Delete"), seriesGroup);
    m_pDeleteAll = new QPushButton(QStringLiteral("Dele&te All"), seriesGroup);
    for (QPushButton* button : {m_pImport, m_pDelete, m_pDeleteAll}) button->setAutoDefault(false);
    auto* seriesRow = new QHBoxLayout(seriesGroup);
    seriesRow->addWidget(m_pSeriesList, 1);
    seriesRow->addSpacing(12);
    seriesRow->addWidget(m_pImport);
    seriesRow->addWidget(m_pDelete);
    seriesRow->addWidget(m_pDeleteAll);
    layout->addWidget(seriesGroup);

    // The tabs and the "Message Log" share the height in a splitter.
    m_pSplitter = new QSplitter(Qt::Vertical, central);
    m_pSplitter->setChildrenCollapsible(false);
    m_pTabs = new QTabWidget(m_pSplitter);
    m_pTabs->setDocumentMode(false);

    auto* logGroup = new QGroupBox(QStringLiteral("Message Log"), m_pSplitter);
    m_pLogField = new QPlainTextEdit(logGroup);
    m_pLogField->setReadOnly(true);
    m_pLogField->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pLogField->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pLogField->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pLogField->setMinimumHeight(kMinimumLogHeight);
    m_pLogField->setAccessibleName(logGroup->title());
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->setContentsMargins(6, 2, 6, 6);
    logLayout->addWidget(m_pLogField);
    m_pSplitter->addWidget(m_pTabs);
    m_pSplitter->addWidget(logGroup);
    m_pSplitter->setStretchFactor(0, 1);
    m_pSplitter->setStretchFactor(1, 0);
    m_pSplitter->setSizes({kDefaultWindowSize.height() - kDefaultLogHeight, kDefaultLogHeight});
    layout->addWidget(m_pSplitter, 1);

    setCentralWidget(central);
    statusBar();
    // Long evaluation steps run in the background: their progress and, where
    // they can stop, a Cancel button sit at the right of the status bar.
    m_pRunner = new CBackgroundRunner(this);
    m_pIntervals = new CIntervalsKeeper(this);
    m_pJobProgress = new QProgressBar(this);
    m_pJobProgress->setMaximumWidth(160);
    m_pJobCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pJobCancel->setAutoDefault(false);
    statusBar()->addPermanentWidget(m_pJobProgress);
    statusBar()->addPermanentWidget(m_pJobCancel);
    m_pJobProgress->hide();
    m_pJobCancel->hide();
    connect(m_pJobCancel, &QPushButton::clicked, m_pRunner, &CBackgroundRunner::Cancel);
    connect(m_pRunner, &CBackgroundRunner::Started, this, &CDriftwiseDlg::OnJobStarted);
    connect(m_pRunner, &CBackgroundRunner::Tick, this, &CDriftwiseDlg::OnJobTick);
    connect(m_pRunner, &CBackgroundRunner::Finished, this, &CDriftwiseDlg::OnJobFinished);
    connect(m_pIntervals, &CIntervalsKeeper::Changed, this, &CDriftwiseDlg::UpdateIntervalsItem);

    connect(m_pImport, &QPushButton::clicked, this, &CDriftwiseDlg::OnImport);
    connect(m_pDelete, &QPushButton::clicked, this, &CDriftwiseDlg::OnDelete);
    connect(m_pDeleteAll, &QPushButton::clicked, this, &CDriftwiseDlg::OnDeleteAll);
    connect(m_pSeriesList, &QComboBox::currentIndexChanged, this, &CDriftwiseDlg::OnSelectionChanged);
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CDriftwiseDlg::OnTabChanged);

    // Delete in the series list deletes the selected series.
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), m_pSeriesList, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &CDriftwiseDlg::OnDelete);
    // The accelerators must win over keys the focused control would take.
    qApp->installEventFilter(this);
}

void CDriftwiseDlg::CreatePages() {
    m_pLogTextPage = new CDDLogTextDlg(1, this);
    m_pSummaryPage = new CDDLogTextDlg(2, this);
    m_pA1TimePage = new CDDA1TimeDiagramDlg(this);
    m_pCFuncPage = new CDDCFuncDiagramDlg(this);
    m_pModelPage = new CDDModelDiagramDlg(DISPLAY_MODEL, this);
    m_pProbabilityPage = new CDDModelDiagramDlg(DISPLAY_PROBABILITY, this);
    m_pA1TimePage->SetDisplayType(DisplayValueOfStored(m_params.DataDisplayType));
    // The one list of the pages; the two text pages follow the selection
    // only while they are shown.
    m_aPages = {{TabPage::LogText, m_pLogTextPage, false}, {TabPage::Summary, m_pSummaryPage, false},
                {TabPage::A1Time, m_pA1TimePage, true},    {TabPage::CharFunc, m_pCFuncPage, true},
                {TabPage::Model, m_pModelPage, true},      {TabPage::Probability, m_pProbabilityPage, true}};
    for (const PAGEROW& row : m_aPages) {
        CDDPage* page = row.pPage;
        page->m_pLog = &m_log;
        page->m_pParams = &m_params;
        page->m_pHost = this;
        page->m_pDialogs = m_setup.pDialogs;
        page->hide();
        page->Initialize();
    }
    AddSummaryExportButton(m_pSummaryPage, [this] { OnExportReport(); });
}

CDDPage* CDriftwiseDlg::Page(TabPage page) const {
    for (const PAGEROW& row : m_aPages)
        if (row.page == page) return row.pPage;
    return nullptr;
}

CA1TimeSeries* CDriftwiseDlg::SelectedSeries() {
    if (m_aSeries.empty() || m_nSelected < 0) return nullptr;
    if (m_nSelected >= static_cast<int>(m_aSeries.size())) return &m_aSeries.front();
    return &m_aSeries[static_cast<std::size_t>(m_nSelected)];
}

// --- control exchange ---

void CDriftwiseDlg::ReadControls() {
    if (m_pSeriesList->count() > 0) m_nSelected = m_pSeriesList->currentIndex();
}

void CDriftwiseDlg::WriteControls() {
    if (m_pSeriesList->count() > 0 && m_nSelected >= 0 && m_nSelected < m_pSeriesList->count()) {
        const QSignalBlocker block(m_pSeriesList);
        m_pSeriesList->setCurrentIndex(m_nSelected);
    }
}

// --- list, tabs and pages ---

void CDriftwiseDlg::RefreshSeriesList() {
    const QSignalBlocker block(m_pSeriesList);
    m_pSeriesList->clear();
    const bool any = !m_aSeries.empty();
    if (!any) {
        m_nSelected = -1;
    } else {
        for (std::size_t i = 0; i < m_aSeries.size(); ++i) {
            m_pSeriesList->addItem(QString::fromStdString(SeriesListLine(static_cast<int>(i) + 1, m_aSeries[i])));
            m_pSeriesList->setItemData(static_cast<int>(i), QString::fromStdString(SeriesListTip(m_aSeries[i])),
                                       Qt::ToolTipRole);
        }
        const int line = m_nSelected < 0 || m_nSelected >= static_cast<int>(m_aSeries.size()) ? 0 : m_nSelected;
        m_pSeriesList->setCurrentIndex(line);
    }
    if (m_pFollow) m_pFollow->LabelSeriesList();
    m_pSeriesList->setEnabled(any);
    m_pDelete->setEnabled(any);
    m_pDeleteAll->setEnabled(any);
}

void CDriftwiseDlg::RebuildTabs() {
    CA1TimeSeries* series = SelectedSeries();
    SyncDiagramPages(series);
    {
        const QSignalBlocker block(m_pTabs);
        m_bRebuilding = true;
        while (m_pTabs->count() > 0) m_pTabs->removeTab(0);
        if (!series) {
            m_pTabs->setEnabled(false);
            m_nActiveTab = -1;
        } else {
            const std::vector<std::string> labels = TabLabels(*series);
            for (std::size_t i = 0; i < labels.size(); ++i)
                m_pTabs->addTab(Page(PageForTab(*series, static_cast<int>(i))), QString::fromStdString(labels[i]));
            // A tab remembered from before a re-extraction may be gone.
            int tab = series->m_nCurrentTab;
            if (tab < 0 || tab >= m_pTabs->count()) tab = tab < 0 ? 0 : m_pTabs->count() - 1;
            m_pTabs->setCurrentIndex(tab);
            m_nActiveTab = tab;
            m_pTabs->setEnabled(true);
        }
        m_bRebuilding = false;
    }
    ShowActivePage();
}

void CDriftwiseDlg::ShowActivePage() {
    CA1TimeSeries* series = SelectedSeries();
    if (series && m_nActiveTab >= 0 && m_nActiveTab < m_pTabs->count()) {
        if (CDDPage* page = Page(PageForTab(*series, m_nActiveTab))) {
            page->UpdatePage(series);
            page->update();
        }
    }
    if (m_pFollow) m_pFollow->NotePages();
    UpdateMenuState();
}

// Keeps the series link of every diagram page equal to the selected series
// (their commands are reached from the menu whichever tab is shown).
void CDriftwiseDlg::SyncDiagramPages(CA1TimeSeries* selected) {
    for (const PAGEROW& row : m_aPages) {
        CDDPage* page = row.pPage;
        if (!row.bDiagram || (page->Series() == selected && selected)) continue;
        if (!selected) page->ForgetSeries();
        page->UpdatePage(selected);
    }
    for (const PAGEROW& row : m_aPages)
        if (!row.bDiagram && row.pPage->Series() != selected) row.pPage->ForgetSeries();
}

// Before the list changes: no page may keep a pointer into it.
void CDriftwiseDlg::ForgetSeriesLinks() {
    for (const PAGEROW& row : m_aPages) row.pPage->ForgetSeries();
}

void CDriftwiseDlg::OnSelectionChanged() {
    if (m_bShutDown) return;
    ReadControls();
    RebuildTabs();
    WriteControls();
}

void CDriftwiseDlg::OnTabChanged(int index) {
    if (m_bRebuilding || m_bShutDown) return;
    ReadControls();
    m_nActiveTab = index;
    if (index >= 0) {
        if (CA1TimeSeries* series = SelectedSeries()) series->m_nCurrentTab = index;
    }
    // Always refresh the page that came up: the tab may have been changed
    // by a command that does not store it in the series.
    ShowActivePage();
    WriteControls();
}

void CDriftwiseDlg::ActivateTab(int index) {
    if (index < 0 || index >= m_pTabs->count()) return;
    {
        const QSignalBlocker block(m_pTabs);
        m_pTabs->setCurrentIndex(index);
    }
    m_nActiveTab = index;
    ShowActivePage();
}

// --- import ---

void CDriftwiseDlg::OnImport() {
    if (m_bShutDown || Busy()) return;
    ReadControls();
    m_log.WriteDebug(1, "Starting log file import.");

    FILEDIALOGREQUEST request;
    request.filters = ImportFilters();
    request.filterIndex = FilterOfImportType(m_params.ImportType);
    request.initialFolder = m_params.ImportPath;
    FILEDIALOGRESULT result;
    if (!m_setup.pDialogs || !m_setup.pDialogs->OpenFile(static_cast<QWidget*>(this), request, result)) {
        m_log.WriteDebug(1, "Log file import cancelled.");
        WriteControls();
        return;
    }

    m_log.WriteDebug(2, "Selected file: " + result.path);
    m_params.ImportType = ImportTypeOfFilter(result.filterIndex);
    m_log.WriteDebug(2, FormatText("Selected filter index = %d", result.filterIndex));
    m_params.ImportPath = FolderOfPath(result.path);

    if (m_params.ImportType != IMPORT_NONE) {
        ImportResult imported;
        if (ImportOneFile(result.path, m_params.ImportType, imported)) AfterImport();
        // The reader's lines say what failed; one more says why.
        const std::string reason = ImportFailureReason(MakeImportRequest(result.path), m_params.ImportType, imported);
        if (!reason.empty()) m_log.Write(reason);
        RebuildRecentLogsMenu();
        m_log.WriteDebug(1, "Finished log file import.");
    } else {
        m_log.Write("Unsupported log file format, import cancelled.");
    }
    WriteControls();
}

ImportRequest CDriftwiseDlg::MakeImportRequest(const std::string& path) {
    ImportRequest request;
    request.strPath = path;
    request.nMirror = m_params.ImportMirrorY;
    request.dRotationDeg = m_params.ImportRotDeg;
    request.pLog = &m_log;
    return request;
}

bool CDriftwiseDlg::ImportOneFile(const std::string& path, int importType, ImportResult& result) {
    if (m_pFollow) m_pFollow->BeforeImport(path);
    const std::size_t before = m_aSeries.size();
    result = ImportLogFile(MakeImportRequest(path), importType, m_aSeries);
    // Appending may have moved the series: the pages' links are stale (they
    // are not used while the reader runs).
    if (m_aSeries.size() != before) ForgetSeriesLinks();
    if (result.nSeriesAdded > 0) m_recentLogs.Add(path);
    // A file that adds no series, whatever the reason, leaves the list, the
    // selection and the pages (with the values typed there) as they are.
    return m_aSeries.size() != before;
}

void CDriftwiseDlg::AfterImport() {
    // The last series of the list is selected, also after a log without a
    // complete series.
    m_nSelected = static_cast<int>(m_aSeries.size()) - 1;
    RefreshSeriesList();
    RebuildTabs();
}

void CDriftwiseDlg::ImportFiles(const std::vector<std::string>& paths) {
    if (m_bShutDown || Busy() || paths.empty()) return;
    ReadControls();
    // A folder stands for the logs in it and below it (the batch tool's rule);
    // what cannot be read is imported anyway, so the import names the error.
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        const QFileInfo info(QString::fromStdString(path));
        if (info.isDir()) {
            for (const LogFolderEntry& entry :
                 FindLogsInFolder(info.absoluteFilePath().toStdString(), IMPORT_NONE, &m_log))
                files.push_back(entry.strPath);
        } else {
            files.push_back(info.absoluteFilePath().toStdString());
        }
    }

    int added = 0;
    bool touched = false;
    for (const std::string& file : files) {
        m_log.WriteDebug(1, "Starting log file import.");
        m_log.WriteDebug(2, "Selected file: " + file);
        ImportResult result;
        touched = ImportOneFile(file, IMPORT_NONE, result) || touched;
        if (result.nSeriesAdded > 0) {
            added += result.nSeriesAdded;
            // The Import dialog opens next time where this file came from.
            m_params.ImportType = result.nImportType;
            m_params.ImportPath = FolderOfPath(file);
        }
        m_log.WriteDebug(1, "Finished log file import.");
    }
    if (touched) AfterImport();
    RebuildRecentLogsMenu();
    WriteControls();
}

void CDriftwiseDlg::OnRecentLog(const std::string& path) {
    if (m_bShutDown || Busy()) return;
    if (!QFileInfo(QString::fromStdString(path)).isFile()) {
        m_recentLogs.Remove(path);
        RebuildRecentLogsMenu();
        if (m_setup.pDialogs)
            m_setup.pDialogs->Message(static_cast<QWidget*>(this),
                                      "The file [" + path +
                                          "] no longer exists.\nIt has been removed from the list of recent logs.",
                                      "Recent Logs", MessageIcon::Warning);
        return;
    }
    ImportFiles({path});
}

void CDriftwiseDlg::OnClearRecentLogs() {
    m_recentLogs.Clear();
    RebuildRecentLogsMenu();
}

// --- delete ---

void CDriftwiseDlg::OnDelete() {
    if (m_bShutDown || Busy()) return;
    ReadControls();
    if (m_nSelected >= 0 && m_nSelected < static_cast<int>(m_aSeries.size())) {
        if (m_pFollow) m_pFollow->BeforeDelete(m_nSelected);
        ForgetSeriesLinks();
        m_aSeries.erase(m_aSeries.begin() + m_nSelected);
        m_nSelected -= 1;
        if (m_nSelected < 0 && !m_aSeries.empty()) m_nSelected = 0;
        RefreshSeriesList();
        RebuildTabs();
    }
    WriteControls();
}

void CDriftwiseDlg::OnDeleteAll() {
    if (m_bShutDown || Busy()) return;
    ReadControls();
    if (!m_aSeries.empty() && m_setup.pDialogs &&
        m_setup.pDialogs->AskYesNo(static_cast<QWidget*>(this), kDeleteAllQuestion, "Warning", MessageIcon::Warning)) {
        if (m_pFollow) m_pFollow->BeforeDelete(-1);
        ForgetSeriesLinks();
        m_aSeries.clear();
        RefreshSeriesList();
        m_nSelected = -1;
        RebuildTabs();
    }
    WriteControls();
}

// --- long work ---

bool CDriftwiseDlg::Busy() const { return m_pRunner && m_pRunner->IsBusy(); }

void CDriftwiseDlg::OnJobStarted() {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    m_pJobProgress->setRange(0, 0);  // no progress reported yet: a moving bar
    m_pJobProgress->show();
    m_pJobCancel->setVisible(m_pRunner->IsCancellable());
    SetBusyControls(true);
    OnJobTick(0, 0, 0);
}

void CDriftwiseDlg::OnJobTick(qint64 elapsedMs, long long done, long long total) {
    statusBar()->showMessage(QString::fromStdString(
        FormatText("%s... %lld s", m_pRunner->Status().c_str(), static_cast<long long>(elapsedMs / 1000))));
    if (total > 0) {
        m_pJobProgress->setRange(0, 1000);
        m_pJobProgress->setValue(static_cast<int>(1000 * std::min(done, total) / total));
    }
}

void CDriftwiseDlg::OnJobFinished() {
    statusBar()->clearMessage();
    m_pJobProgress->hide();
    m_pJobCancel->hide();
    SetBusyControls(false);
    QGuiApplication::restoreOverrideCursor();
}

void CDriftwiseDlg::SetBusyControls(bool busy) {
    const bool any = !m_aSeries.empty();
    m_pImport->setEnabled(!busy);
    m_pDelete->setEnabled(!busy && any);
    m_pDeleteAll->setEnabled(!busy && any);
    Action(Command::Import)->setEnabled(!busy);
    m_pRecentMenu->menuAction()->setEnabled(!busy && !m_recentLogs.Files().empty());
    for (const PAGEROW& row : m_aPages) row.pPage->SetBusy(busy);
    UpdateMenuState();
}

// --- timer ---

void CDriftwiseDlg::OnLogTimer() {
    m_logMirror.Update(*m_pLogField, m_log.m_strCollectedText);
    if (m_nSplashCountdown > 1) --m_nSplashCountdown;
    if (m_nSplashCountdown == 1) {
        m_nSplashCountdown = 0;
        CDriftwiseSplashDlg splash(this, m_setup.nWelcomeLockMs, m_setup.nWelcomeCloseMs);
        RunDialog(splash);
    }
}

// --- shutdown ---

void CDriftwiseDlg::OnQuit() {
    if (m_bShutDown) return;
    m_bQuitRequested = 1;
    Shutdown("Program Quit.");
    close();
}

void CDriftwiseDlg::Shutdown(const char* lastLine) {
    if (m_pFollow) m_pFollow->Shutdown();
    ReadControls();
    m_params.DataDisplayType = StoredOfDisplayValue(m_pA1TimePage->DisplayType());
    SaveToProfile(m_setup.pStore, m_params);
    SaveProgramParameters(m_params, SetupFilePath());
    // The window's own entries, beside the parameters.
    SaveLayout();
    m_recentLogs.Save(m_setup.pStore);
    m_log.Write(lastLine);
    m_log.Write("");
    m_pLogTimer->stop();
    m_bShutDown = true;
    qApp->removeEventFilter(this);
    ForgetSeriesLinks();
}

void CDriftwiseDlg::closeEvent(QCloseEvent* event) {
    if (!m_bShutDown) Shutdown("Program Aborted.");
    event->accept();
}

void CDriftwiseDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        // Escape never closes the window.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The default action ends the program only after "Quit".
        event->accept();
        if (m_bQuitRequested && !m_bShutDown) {
            Shutdown("Program Quit.");
            close();
        }
        return;
    default: QMainWindow::keyPressEvent(event);
    }
}

// --- drag and drop ---

void CDriftwiseDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (m_bShutDown || Busy() || !event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CDriftwiseDlg::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    if (paths.empty()) return;
    event->acceptProposedAction();
    ImportFiles(paths);
}

// --- layout ---

void CDriftwiseDlg::RestoreLayout() {
    WINDOWLAYOUT layout;
    const bool remembered = layout.Load(m_setup.pStore);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    const QSize minimum = minimumSizeHint().boundedTo(QSize(900, 600));
    QRect rect;
    if (remembered) {
        rect = ClampToScreens(layout.rcNormal, screens, minimum);
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        rect = screen ? DefaultWindowRect(screen->availableGeometry(), kDefaultWindowSize)
                      : QRect(QPoint(0, 0), kDefaultWindowSize);
    }
    if (remembered) setGeometry(rect);
    else resize(rect.size());
    const int logHeight = layout.nLogHeight > 0 ? layout.nLogHeight : kDefaultLogHeight;
    const int total = std::max(rect.height() - 200, 2 * logHeight);
    m_pSplitter->setSizes({total - logHeight, logHeight});
    if (remembered && layout.bMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

// A window manager adds its frame around the client area only after the
// window is shown: for a while after the first show the frame is checked
// and, once it is there, brought onto the screen.
void CDriftwiseDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_pFrameCheck || isMaximized() || isFullScreen()) return;
    m_pFrameCheck = new QTimer(this);
    m_pFrameCheck->setInterval(kFrameCheckMs);
    connect(m_pFrameCheck, &QTimer::timeout, this, [this] {
        if (KeepFrameOnScreen() || ++m_nFrameChecks >= kFrameChecks) m_pFrameCheck->stop();
    });
    m_pFrameCheck->start();
}

bool CDriftwiseDlg::KeepFrameOnScreen() {
    if (isMaximized() || isFullScreen()) return true;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    if (frame == client) return false;  // no frame (yet)
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    const QRect placed = ClampToScreens(frame, screens, QSize());
    if (placed != frame) {
        // The frame's margins stay; the client area follows the frame.
        setGeometry(QRect(placed.topLeft() + (client.topLeft() - frame.topLeft()),
                          client.size() - (frame.size() - placed.size())));
    }
    return true;
}

void CDriftwiseDlg::SaveLayout() {
    WINDOWLAYOUT layout;
    layout.rcNormal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    layout.bMaximized = isMaximized();
    const QList<int> sizes = m_pSplitter->sizes();
    layout.nLogHeight = sizes.size() == 2 ? sizes.at(1) : 0;
    layout.Save(m_setup.pStore);
}

// The main window's menus and the commands behind them: the File menu's
// export items, the Analyze items, and the settings and information dialogs.

#include "ui/DriftwiseDlg.h"

#include "ui/AboutDlg.h"
#include "ui/DisclaimerDlg.h"
#include "ui/SettingsDlg.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

void CDriftwiseDlg::CreateMenus() {
    struct ITEM {
        Command command;
        const char* text;
        QKeySequence key;
        const char* tip;
        void (CDriftwiseDlg::*handler)();
    };
    const ITEM items[] = {
        {Command::Import, "Import Data Log...\tCtrl+L", QKeySequence(Qt::CTRL | Qt::Key_L),
         "Import data from a log file.", &CDriftwiseDlg::OnImport},
        {Command::ExportImage, "Export Image", {}, nullptr, &CDriftwiseDlg::OnExportImage},
        {Command::ExportTable, "Export Data Table", {}, nullptr, &CDriftwiseDlg::OnExportTable},
        {Command::ExportBinary, "Export Binary Data", {}, nullptr, &CDriftwiseDlg::OnExportBinary},
        {Command::ExportPdf, "Export PDF Report...\tCtrl+R", QKeySequence(Qt::CTRL | Qt::Key_R),
         "Save the report and the diagrams of the selected series as a PDF file.", &CDriftwiseDlg::OnExportPdf},
        {Command::Print,
         "Print...",
         {},
         "Print the report and the diagrams of the selected series.",
         &CDriftwiseDlg::OnPrint},
        {Command::Quit, "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), "Quit the application.", &CDriftwiseDlg::OnQuit},
        {Command::ReExtract, "Re-Extract Data\tCtrl+E", QKeySequence(Qt::CTRL | Qt::Key_E),
         "Re-extract data from the selected log.", &CDriftwiseDlg::OnReExtract},
        {Command::CharFunc, "Evaluate Characteristic Function\tCtrl+F", QKeySequence(Qt::CTRL | Qt::Key_F),
         "Evaluate the characteristic function from the selected data.", &CDriftwiseDlg::OnCharFunc},
        {Command::FitModel, "Fit Model\tCtrl+M", QKeySequence(Qt::CTRL | Qt::Key_M),
         "Fit a model function to the current characteristic function", &CDriftwiseDlg::OnFitModel},
        {Command::ProbabilityPlot, "Probability Plot\tCtrl+P", QKeySequence(Qt::CTRL | Qt::Key_P),
         "Show the probability plot.", &CDriftwiseDlg::OnProbabilityPlot},
        {Command::EvaluationSummary, "Evaluation Summary\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S),
         "Show the evaluation summary.", &CDriftwiseDlg::OnEvaluationSummary},
        {Command::Intervals, "Intervals\tCtrl+I", QKeySequence(Qt::CTRL | Qt::Key_I),
         "Compute the intervals of the fitted model and its lifetimes.", &CDriftwiseDlg::OnIntervals},
        {Command::ProgramParameters,
         "Program Parameters",
         {},
         "Set the program parameters for the data evaluation.",
         &CDriftwiseDlg::OnProgramParameters},
        {Command::About, "About", QKeySequence(Qt::ALT | Qt::Key_A), "About Driftwise.", &CDriftwiseDlg::OnAbout},
        {Command::Disclaimer, "Disclaimer", {}, "Display the disclaimer.", &CDriftwiseDlg::OnDisclaimer},
    };
    m_actions.assign(static_cast<std::size_t>(Command::Disclaimer) + 1, nullptr);
    for (const ITEM& item : items) {
        auto* action = new QAction(QString::fromUtf8(item.text), this);
        if (!item.key.isEmpty()) {
            action->setShortcut(item.key);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (item.tip) action->setStatusTip(QString::fromUtf8(item.tip));
        connect(action, &QAction::triggered, this, item.handler);
        m_actions[static_cast<std::size_t>(item.command)] = action;
        addAction(action);  // accelerators work while the menus are closed
    }

    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(Action(Command::Import));
    CreateRecentLogsMenu(file);
    file->addSeparator();
    file->addAction(Action(Command::ExportImage));
    file->addAction(Action(Command::ExportTable));
    file->addAction(Action(Command::ExportBinary));
    file->addAction(Action(Command::ExportPdf));
    file->addAction(Action(Command::Print));
    file->addSeparator();
    file->addAction(Action(Command::Quit));
    QMenu* analyze = bar->addMenu(QStringLiteral("A&nalyze"));
    analyze->addAction(Action(Command::ReExtract));
    analyze->addAction(Action(Command::CharFunc));
    analyze->addAction(Action(Command::FitModel));
    analyze->addSeparator();
    analyze->addAction(Action(Command::ProbabilityPlot));
    analyze->addAction(Action(Command::EvaluationSummary));
    analyze->addAction(Action(Command::Intervals));
    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    settings->addAction(Action(Command::ProgramParameters));
    bar->addAction(Action(Command::About));
    bar->addAction(Action(Command::Disclaimer));

    for (QMenu* menu : {file, analyze, settings})
        connect(menu, &QMenu::aboutToShow, this, &CDriftwiseDlg::UpdateMenuState);
}

void CDriftwiseDlg::CreateRecentLogsMenu(QMenu* file) {
    m_pRecentMenu = file->addMenu(QStringLiteral("Recent Logs"));
    // A fixed set of items, renamed and hidden as the list changes (an item
    // is never deleted while its own command runs).
    for (int i = 0; i < CRecentLogs::kMaxFiles; ++i) {
        QAction* item = m_pRecentMenu->addAction(QString());
        item->setStatusTip(QStringLiteral("Import this log file again."));
        connect(item, &QAction::triggered, this, [this, i] {
            const std::vector<std::string>& files = m_recentLogs.Files();
            if (i < static_cast<int>(files.size())) OnRecentLog(std::string(files[static_cast<std::size_t>(i)]));
        });
        m_aRecentItems.push_back(item);
    }
    m_pRecentMenu->addSeparator();
    m_pClearRecent = m_pRecentMenu->addAction(QStringLiteral("Clear List"));
    m_pClearRecent->setStatusTip(QStringLiteral("Empty the list of recent logs."));
    connect(m_pClearRecent, &QAction::triggered, this, &CDriftwiseDlg::OnClearRecentLogs);
    RebuildRecentLogsMenu();
}

void CDriftwiseDlg::RebuildRecentLogsMenu() {
    if (!m_pRecentMenu) return;
    const std::vector<std::string>& files = m_recentLogs.Files();
    for (std::size_t i = 0; i < m_aRecentItems.size(); ++i) {
        QAction* item = m_aRecentItems[i];
        const bool used = i < files.size();
        item->setVisible(used);
        if (!used) continue;
        QString path = QString::fromStdString(files[i]);
        path.replace(QLatin1Char('&'), QStringLiteral("&&"));
        item->setText(QStringLiteral("&%1  %2").arg(i + 1).arg(path));
    }
    m_pClearRecent->setEnabled(!files.empty());
    m_pRecentMenu->menuAction()->setEnabled(!files.empty());
}

bool CDriftwiseDlg::IsAccelerator(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : m_actions)
        if (action && action->isEnabled() && !action->shortcut().isEmpty() &&
            action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
            return true;
    return false;
}

// Line edits (and other controls) claim some Ctrl keys for themselves (Ctrl+E
// moves to the line end on Linux). In this window the accelerators come
// first, whichever control has the focus.
bool CDriftwiseDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && IsAccelerator(*static_cast<QKeyEvent*>(event))) {
        // Not accepted: the key goes to the shortcut, not to the control.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QAction* CDriftwiseDlg::Action(Command command) const { return m_actions.at(static_cast<std::size_t>(command)); }

void CDriftwiseDlg::UpdateMenuState() {
    MENUSTATE state = ComputeMenuState(SelectedSeries(), m_nActiveTab, m_pTabs->count());
    if (Busy()) state.bReExtract = state.bCharFunc = state.bFitModel = false;
    Action(Command::ExportImage)->setEnabled(state.bExport);
    Action(Command::ExportTable)->setEnabled(state.bExport);
    Action(Command::ExportBinary)->setEnabled(state.bExport);
    Action(Command::ExportPdf)->setEnabled(SelectedSeries() != nullptr);
    Action(Command::Print)->setEnabled(SelectedSeries() != nullptr);
    Action(Command::ReExtract)->setEnabled(state.bReExtract);
    Action(Command::CharFunc)->setEnabled(state.bCharFunc);
    Action(Command::FitModel)->setEnabled(state.bFitModel);
    Action(Command::ProbabilityPlot)->setEnabled(state.bProbPlot);
    Action(Command::EvaluationSummary)->setEnabled(state.bSummary);
    UpdateIntervalsItem();
}

// --- exports ---

void CDriftwiseDlg::ForwardExport(void (CDDPage::*exportCommand)()) {
    ReadControls();
    CA1TimeSeries* series = SelectedSeries();
    if (series && ExportItemsEnabled(true, m_nActiveTab, m_pTabs->count())) {
        if (CDDPage* page = Page(ExportPage(*series, m_nActiveTab))) (page->*exportCommand)();
    }
    WriteControls();
}

void CDriftwiseDlg::OnExportImage() { ForwardExport(&CDDPage::OnExportImage); }
void CDriftwiseDlg::OnExportTable() { ForwardExport(&CDDPage::OnExportTable); }
void CDriftwiseDlg::OnExportBinary() { ForwardExport(&CDDPage::OnExportBinary); }

// --- Analyze ---

void CDriftwiseDlg::OnReExtract() {
    if (Busy()) return;
    ReadControls();
    if (SelectedSeries()) m_pA1TimePage->OnReExtract();
    WriteControls();
}

void CDriftwiseDlg::OnCharFunc() {
    if (Busy()) return;
    ReadControls();
    if (SelectedSeries()) m_pA1TimePage->OnCharFunc();
    WriteControls();
}

void CDriftwiseDlg::OnFitModel() {
    if (Busy()) return;
    ReadControls();
    CA1TimeSeries* series = SelectedSeries();
    if (series && !series->m_aCharFunc.empty()) m_pCFuncPage->OnFitModel();
    WriteControls();
}

void CDriftwiseDlg::OnProbabilityPlot() {
    ReadControls();
    CA1TimeSeries* series = SelectedSeries();
    if (series && ComputeMenuState(series, m_nActiveTab, m_pTabs->count()).bProbPlot) ActivateTab(TAB_PROB_PLOT);
    WriteControls();
}

void CDriftwiseDlg::OnEvaluationSummary() {
    ReadControls();
    CA1TimeSeries* series = SelectedSeries();
    if (series && ComputeMenuState(series, m_nActiveTab, m_pTabs->count()).bSummary) ActivateTab(SummaryTab(*series));
    WriteControls();
}

// --- dialogs ---

int CDriftwiseDlg::RunDialog(QDialog& dialog) { return m_setup.runDialog ? m_setup.runDialog(dialog) : dialog.exec(); }

void CDriftwiseDlg::OnProgramParameters() {
    ReadControls();
    CDriftwiseSettingsDlg dialog(m_setup.pDialogs, this);
    dialog.SetValues(m_params.MinDiversity, m_params.LimitPhase);
    if (RunDialog(dialog) == QDialog::Accepted) {
        m_params.MinDiversity = dialog.m_nMinDiversity;
        m_params.LimitPhase = dialog.m_dLimitPhase;
    }
    WriteControls();
}

void CDriftwiseDlg::OnAbout() {
    CAboutDlg dialog(this);
    RunDialog(dialog);
}

void CDriftwiseDlg::OnDisclaimer() {
    CDisclaimerDlg dialog(this);
    RunDialog(dialog);
}

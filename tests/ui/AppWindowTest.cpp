// The main window: import through the dialog and by content, the series
// list, Delete and Delete All, the tabs, the menu rules, the log field and
// the keyboard.

#include "AppTestSupport.h"

#include "ui/SettingsDlg.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"
#include "ui/pages/DDLogTextDlg.h"
#include "ui/pages/DDModelDiagramDlg.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

namespace {

// Gives the selected series a characteristic function (and a model) so the
// tab row grows, as the evaluation pages would.
void FakeEvaluation(CA1TimeSeries& series, bool model) {
    series.m_aCharFunc.clear();
    for (int d = 1; d <= 20; ++d) {
        A1SAMPLE point;
        point.nIndex = d;
        point.dX = 0.01 * d;
        point.dY = 0.012 * d;
        point.dErrX = 1e-6;
        point.dErrY = 1e-6;
        series.m_aCharFunc.push_back(point);
    }
    series.CharFuncValid = 1;
    series.MeasErr = 0.05;
    series.Tolerance = 1.0;
    series.DirectLifetime = 30.0;
    if (model) {
        series.ModelValid = 1;
        series.FitDi = 0.05;
        series.FitDa = 0.05;
        series.FitTc = 10.0;
        series.FitS = 0.01;
        series.ModelLifetime = 40.0;
    }
}

// Every diagram page links to the selected series (or to none).
void ExpectPagesLinked(CDriftwiseDlg& window) {
    CA1TimeSeries* selected = window.SelectedSeries();
    EXPECT_EQ(window.A1TimePage()->Series(), selected);
    EXPECT_EQ(window.CFuncPage()->Series(), selected);
    EXPECT_EQ(window.ModelPage()->Series(), selected);
    EXPECT_EQ(window.ProbabilityPage()->Series(), selected);
}

}  // namespace

TEST_F(AppTest, ImportDialogOffersBothFiltersAndRemembersChoice) {
    const std::string c1a1 = MakeC1A1File("two.log", 2, 12);
    const std::string atlas = MakeATLASFile("stab.dat", 15);
    auto window = MakeWindow();

    m_dialogs.QueueOpenFile(c1a1, 1);
    window->OnImport();
    ASSERT_EQ(m_dialogs.m_openRequests.size(), 1u);
    const FILEDIALOGREQUEST& first = m_dialogs.m_openRequests[0];
    ASSERT_EQ(first.filters.size(), 2u);
    EXPECT_EQ(first.filters[0].label, "CEOS C1A1 log file (*.html;*.txt;*.log)");
    EXPECT_EQ(first.filters[0].pattern, "*.html; *.txt; *.log");
    EXPECT_EQ(first.filters[1].label, "ATLASStab log file (*.dat;*.txt)");
    EXPECT_EQ(first.filters[1].pattern, "*.dat; *.txt");
    EXPECT_EQ(first.filterIndex, 1);
    EXPECT_EQ(first.initialFolder, "");
    EXPECT_EQ(first.defaultExtension, "");
    EXPECT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Parameters().ImportType, 1);
    EXPECT_EQ(window->Parameters().ImportPath, FilesFolder());

    m_dialogs.QueueOpenFile(atlas, 2);
    window->OnImport();
    ASSERT_EQ(window->Series().size(), 3u);
    EXPECT_EQ(window->Series().back().m_nImportType, IMPORT_ATLAS);
    EXPECT_EQ(window->Parameters().ImportType, 2);

    // The next dialog opens with the ATLASStab filter in the last folder.
    window->OnImport();  // no answer queued: cancelled
    ASSERT_EQ(m_dialogs.m_openRequests.size(), 3u);
    EXPECT_EQ(m_dialogs.m_openRequests[2].filterIndex, 2);
    EXPECT_EQ(m_dialogs.m_openRequests[2].initialFolder, FilesFolder());
    EXPECT_EQ(window->Series().size(), 3u);
}

TEST_F(AppTest, FilterAloneChoosesTheReader) {
    // A C1A1 log picked with the ATLASStab filter is read as ATLASStab: no series.
    const std::string c1a1 = MakeC1A1File("one.txt", 1, 10);
    auto window = MakeWindow();
    m_dialogs.QueueOpenFile(c1a1, 2);
    window->OnImport();
    EXPECT_TRUE(window->Series().empty());
    EXPECT_EQ(window->Parameters().ImportType, 2);

    // An unknown filter index stops the import with the message.
    m_dialogs.QueueOpenFile(c1a1, 3);
    window->OnImport();
    EXPECT_TRUE(window->Series().empty());
    EXPECT_NE(window->Log().m_strCollectedText.find("Unsupported log file format, import cancelled."),
              std::string::npos);
}

TEST_F(AppTest, SeriesListLinesAndSelectionFollowImports) {
    const std::string c1a1 = MakeC1A1File("two.log", 2, 12);
    auto window = MakeWindow();
    EXPECT_FALSE(window->SeriesList()->isEnabled());
    EXPECT_FALSE(window->DeleteButton()->isEnabled());
    EXPECT_FALSE(window->DeleteAllButton()->isEnabled());
    EXPECT_EQ(window->Selected(), -1);

    m_dialogs.QueueOpenFile(c1a1, 1);
    window->OnImport();
    // 12 samples over 24 s each.
    EXPECT_EQ(ListLines(*window),
              (std::vector<std::string>{"#001: 12 samples, 24 s (0.50 Hz)", "#002: 12 samples, 24 s (0.50 Hz)"}));
    EXPECT_EQ(window->Selected(), 1);
    EXPECT_EQ(window->SeriesList()->currentIndex(), 1);
    EXPECT_TRUE(window->SeriesList()->isEnabled());
    EXPECT_TRUE(window->DeleteButton()->isEnabled());
    EXPECT_TRUE(window->DeleteAllButton()->isEnabled());
    EXPECT_EQ(window->SelectedSeries(), &window->Series()[1]);
    ExpectPagesLinked(*window);

    // The user picks the first line.
    window->SeriesList()->setCurrentIndex(0);
    EXPECT_EQ(window->Selected(), 0);
    EXPECT_EQ(window->SelectedSeries(), &window->Series()[0]);
    ExpectPagesLinked(*window);
}

TEST_F(AppTest, DeleteKeepsASelectionUntilTheListIsEmpty) {
    auto window = MakeWindow();
    window->ImportFiles({MakeC1A1File("three.log", 3, 8)});
    ASSERT_EQ(window->Series().size(), 3u);

    // Deleting series 1 of 3 leaves the first remaining series selected.
    window->SeriesList()->setCurrentIndex(0);
    const int firstStop = window->Series()[1].m_nStopTime;
    window->OnDelete();
    ASSERT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Selected(), 0);
    EXPECT_EQ(window->SeriesList()->count(), 2);
    EXPECT_EQ(window->SeriesList()->currentIndex(), 0);
    EXPECT_EQ(window->SelectedSeries()->m_nStopTime, firstStop);
    ExpectPagesLinked(*window);

    // Deleting the last line selects the one before it.
    window->SeriesList()->setCurrentIndex(1);
    window->OnDelete();
    EXPECT_EQ(window->Selected(), 0);
    ExpectPagesLinked(*window);

    // Deleting the only series: no selection, no tabs, disabled controls.
    window->OnDelete();
    EXPECT_TRUE(window->Series().empty());
    EXPECT_EQ(window->Selected(), -1);
    EXPECT_EQ(window->Tabs()->count(), 0);
    EXPECT_FALSE(window->Tabs()->isEnabled());
    EXPECT_EQ(window->ActiveTab(), -1);
    EXPECT_FALSE(window->DeleteButton()->isEnabled());
    EXPECT_FALSE(window->DeleteAllButton()->isEnabled());
    EXPECT_FALSE(window->SeriesList()->isEnabled());
    ExpectPagesLinked(*window);
    EXPECT_EQ(window->A1TimePage()->Series(), nullptr);

    // Nothing left to delete: nothing happens.
    window->OnDelete();
    EXPECT_TRUE(window->Series().empty());
}

TEST_F(AppTest, DeleteAllAsksAndOnlyYesRemoves) {
    auto window = MakeWindow();
    // An empty list asks nothing.
    window->OnDeleteAll();
    EXPECT_TRUE(m_dialogs.m_questions.empty());

    window->ImportFiles({MakeC1A1File("two.log", 2, 8)});
    ASSERT_EQ(window->Series().size(), 2u);

    m_dialogs.QueueYesNo(false);
    window->OnDeleteAll();
    ASSERT_EQ(m_dialogs.m_questions.size(), 1u);
    EXPECT_EQ(m_dialogs.m_questions[0].caption, "Warning");
    EXPECT_EQ(m_dialogs.m_questions[0].icon, MessageIcon::Warning);
    EXPECT_EQ(m_dialogs.m_questions[0].text,
              "1) All time-astigmatism series will be unloaded.\r\n2) All evaluation data will be lost.\r\n\r\n"
              "Do you really want to do this?");
    EXPECT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Selected(), 1);
    ExpectPagesLinked(*window);

    m_dialogs.QueueYesNo(true);
    window->OnDeleteAll();
    EXPECT_TRUE(window->Series().empty());
    EXPECT_EQ(window->Selected(), -1);
    EXPECT_EQ(window->SeriesList()->count(), 0);
    EXPECT_EQ(window->Tabs()->count(), 0);
    ExpectPagesLinked(*window);
    EXPECT_EQ(window->CFuncPage()->Series(), nullptr);
}

TEST_F(AppTest, TabsGrowWithCharacteristicFunctionAndModel) {
    auto window = MakeWindow();
    window->ImportFiles({MakeATLASFile("stab.dat", 30)});
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
    // A new series opens on its A22-time tab.
    EXPECT_EQ(window->ActiveTab(), 1);
    EXPECT_EQ(window->Tabs()->currentWidget(), window->A1TimePage());

    CA1TimeSeries& series = *window->SelectedSeries();
    FakeEvaluation(series, false);
    series.m_nCurrentTab = 2;
    window->RebuildTabs();
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph", "Charact. Func.", "Summary"}));
    EXPECT_EQ(window->ActiveTab(), 2);
    EXPECT_EQ(window->Tabs()->currentWidget(), window->CFuncPage());
    EXPECT_EQ(window->Tabs()->widget(3), window->SummaryPage());

    FakeEvaluation(series, true);
    series.m_nCurrentTab = 3;
    window->RebuildTabs();
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph", "Charact. Func.",
                                                           "Fitted Model", "Prob. Plot", "Summary"}));
    EXPECT_EQ(window->Tabs()->currentWidget(), window->ModelPage());
    EXPECT_EQ(window->Tabs()->widget(4), window->ProbabilityPage());
    EXPECT_EQ(window->Tabs()->widget(5), window->SummaryPage());

    // A clicked tab is remembered by the series.
    window->Tabs()->setCurrentIndex(0);
    EXPECT_EQ(window->ActiveTab(), 0);
    EXPECT_EQ(series.m_nCurrentTab, 0);

    // A remembered tab that no longer exists falls back to the last one.
    series.ModelValid = 0;
    series.CharFuncValid = 0;
    series.m_nCurrentTab = 5;
    window->RebuildTabs();
    EXPECT_EQ(window->Tabs()->count(), 2);
    EXPECT_EQ(window->ActiveTab(), 1);
}

TEST_F(AppTest, MenuItemsFollowTheSelectionAndTab) {
    auto window = MakeWindow();
    using C = CDriftwiseDlg::Command;
    window->UpdateMenuState();
    for (C always : {C::Import, C::Quit, C::ProgramParameters, C::About, C::Disclaimer})
        EXPECT_TRUE(window->Action(always)->isEnabled());
    for (C needsSeries : {C::ExportImage, C::ExportTable, C::ExportBinary, C::ReExtract, C::CharFunc, C::FitModel,
                          C::ProbabilityPlot, C::EvaluationSummary})
        EXPECT_FALSE(window->Action(needsSeries)->isEnabled());

    window->ImportFiles({MakeATLASFile("stab.dat", 30)});
    window->UpdateMenuState();
    EXPECT_TRUE(window->Action(C::ExportImage)->isEnabled());  // tab 1
    EXPECT_TRUE(window->Action(C::ReExtract)->isEnabled());
    EXPECT_TRUE(window->Action(C::CharFunc)->isEnabled());
    EXPECT_FALSE(window->Action(C::FitModel)->isEnabled());
    EXPECT_FALSE(window->Action(C::EvaluationSummary)->isEnabled());
    window->Tabs()->setCurrentIndex(0);
    window->UpdateMenuState();
    EXPECT_FALSE(window->Action(C::ExportTable)->isEnabled());

    // Characteristic function, no model: export on tab 2 only, not on Summary.
    CA1TimeSeries& series = *window->SelectedSeries();
    FakeEvaluation(series, false);
    series.m_nCurrentTab = 2;
    window->RebuildTabs();
    window->UpdateMenuState();
    EXPECT_TRUE(window->Action(C::ExportBinary)->isEnabled());
    EXPECT_TRUE(window->Action(C::FitModel)->isEnabled());
    EXPECT_TRUE(window->Action(C::EvaluationSummary)->isEnabled());
    EXPECT_FALSE(window->Action(C::ProbabilityPlot)->isEnabled());
    window->Tabs()->setCurrentIndex(3);
    window->UpdateMenuState();
    EXPECT_FALSE(window->Action(C::ExportImage)->isEnabled());

    // "Evaluation Summary" goes to tab 3 without a model, 5 with one; the
    // series keeps its own remembered tab.
    window->Tabs()->setCurrentIndex(1);
    window->OnEvaluationSummary();
    EXPECT_EQ(window->ActiveTab(), 3);
    EXPECT_EQ(window->Tabs()->currentIndex(), 3);
    EXPECT_EQ(series.m_nCurrentTab, 1);

    FakeEvaluation(series, true);
    window->RebuildTabs();
    window->OnEvaluationSummary();
    EXPECT_EQ(window->ActiveTab(), 5);
    EXPECT_EQ(window->Tabs()->currentWidget(), window->SummaryPage());
    window->OnProbabilityPlot();
    EXPECT_EQ(window->ActiveTab(), 4);
    EXPECT_EQ(window->Tabs()->currentWidget(), window->ProbabilityPage());
    EXPECT_EQ(series.m_nCurrentTab, 1);
    window->UpdateMenuState();
    EXPECT_TRUE(window->Action(C::ExportTable)->isEnabled());
    EXPECT_TRUE(window->Action(C::ProbabilityPlot)->isEnabled());
}

TEST_F(AppTest, MenuTextsShortcutsAndStatusTips) {
    auto window = MakeWindow();
    using C = CDriftwiseDlg::Command;
    struct EXPECTED {
        C command;
        const char* text;
        const char* key;
        const char* tip;
    };
    const EXPECTED expected[] = {
        {C::Import, "Import Data Log...\tCtrl+L", "Ctrl+L", "Import data from a log file."},
        {C::ExportImage, "Export Image", "", ""},
        {C::ExportTable, "Export Data Table", "", ""},
        {C::ExportBinary, "Export Binary Data", "", ""},
        {C::Quit, "Quit", "Ctrl+Q", "Quit the application."},
        {C::ReExtract, "Re-Extract Data\tCtrl+E", "Ctrl+E", "Re-extract data from the selected log."},
        {C::CharFunc, "Evaluate Characteristic Function\tCtrl+F", "Ctrl+F",
         "Evaluate the characteristic function from the selected data."},
        {C::FitModel, "Fit Model\tCtrl+M", "Ctrl+M", "Fit a model function to the current characteristic function"},
        {C::ProbabilityPlot, "Probability Plot\tCtrl+P", "Ctrl+P", "Show the probability plot."},
        {C::EvaluationSummary, "Evaluation Summary\tCtrl+S", "Ctrl+S", "Show the evaluation summary."},
        {C::ProgramParameters, "Program Parameters", "", "Set the program parameters for the data evaluation."},
        {C::About, "About", "Alt+A", "About Driftwise."},
        {C::Disclaimer, "Disclaimer", "", "Display the disclaimer."},
    };
    for (const EXPECTED& item : expected) {
        QAction* action = window->Action(item.command);
        EXPECT_EQ(action->text().toStdString(), item.text);
        EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText).toStdString(), item.key) << item.text;
        EXPECT_EQ(action->statusTip().toStdString(), item.tip);
    }
    EXPECT_EQ(window->windowTitle().toStdString(), "Driftwise -  Halvorn Optical Stability Benchmark");
}

TEST_F(AppTest, AcceleratorsReachTheCommands) {
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    m_nDialogResult = QDialog::Rejected;
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_NE(std::find(m_dialogTitles.begin(), m_dialogTitles.end(), "About Driftwise"), m_dialogTitles.end());
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(m_dialogs.m_openRequests.size(), 1u);
}

TEST_F(AppTest, LogFieldReceivesEveryLineOnlyOnce) {
    auto window = MakeWindow();
    window->show();
    window->OnLogTimer();
    auto expected = [&] {
        std::string text = window->Log().m_strCollectedText;
        std::string out;
        for (char c : text)
            if (c != '\r') out += c;
        return out;
    };
    // The collected text starts with a line break: the field shows that empty line too.
    ASSERT_EQ(window->Log().m_strCollectedText.rfind("\r\n", 0), 0u);
    EXPECT_EQ(window->LogField()->toPlainText().toStdString(), expected());

    for (int i = 0; i < 5; ++i) window->Log().Write(FormatText("Line %d", i));
    window->OnLogTimer();
    window->OnLogTimer();
    EXPECT_EQ(window->LogField()->toPlainText().toStdString(), expected());
    EXPECT_TRUE(window->LogField()->isReadOnly());
    EXPECT_EQ(window->LogField()->toPlainText().count(QStringLiteral("Line 4")), 1);

    // The end stays in view, scrolled back to the first column.
    for (int i = 0; i < 40; ++i)
        window->Log().Write(FormatText("A rather long line of the message log that needs the horizontal bar %d", i));
    window->OnLogTimer();
    QApplication::processEvents();
    QScrollBar* vertical = window->LogField()->verticalScrollBar();
    EXPECT_GT(vertical->maximum(), 0);
    EXPECT_EQ(vertical->value(), vertical->maximum());
    EXPECT_EQ(window->LogField()->horizontalScrollBar()->value(), 0);
}

TEST_F(AppTest, WelcomeWindowOpensOnFirstTickOnly) {
    auto window = MakeWindow();
    window->OnLogTimer();
    window->OnLogTimer();
    window->OnLogTimer();
    EXPECT_EQ(std::count(m_dialogTitles.begin(), m_dialogTitles.end(), "Welcome !"), 1);
}

TEST_F(AppTest, ProgramParametersCopiesBackOnlyOnOk) {
    auto window = MakeWindow();
    m_onDialog = [](QDialog& dialog) {
        auto& settings = dynamic_cast<CDriftwiseSettingsDlg&>(dialog);
        EXPECT_EQ(settings.DiversityField()->text().toStdString(), "10");
        EXPECT_EQ(settings.PhaseField()->text().toStdString(), "0.250");
        settings.DiversityField()->setText(QStringLiteral("40"));
        settings.PhaseField()->setText(QStringLiteral("0.5"));
        return QDialog::Rejected;
    };
    window->OnProgramParameters();
    EXPECT_EQ(window->Parameters().MinDiversity, 10);
    EXPECT_DOUBLE_EQ(window->Parameters().LimitPhase, 0.25);

    m_onDialog = [](QDialog& dialog) {
        auto& settings = dynamic_cast<CDriftwiseSettingsDlg&>(dialog);
        settings.DiversityField()->setText(QStringLiteral("40"));
        settings.PhaseField()->setText(QStringLiteral("0.5"));
        settings.accept();
        return settings.result();
    };
    window->OnProgramParameters();
    EXPECT_EQ(window->Parameters().MinDiversity, 40);
    EXPECT_DOUBLE_EQ(window->Parameters().LimitPhase, 0.5);
}

TEST_F(AppTest, EscapeAndEnterDoNotCloseTheWindow) {
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Enter);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->IsShutDown());
}

TEST_F(AppTest, CommandLineFilesAreImportedByContent) {
    // Extensions that mislead: the content decides.
    const std::string atlas = MakeATLASFile("stability.txt", 12);
    const std::string c1a1 = MakeC1A1File("corrector.dat", 2, 6);
    const std::string other = FilePath("notes.txt");
    WriteTextFile(other, "Nothing to see here.\n");
    auto window = MakeWindow();
    window->ImportFiles({atlas, c1a1, other, FilePath("missing.log")});
    ASSERT_EQ(window->Series().size(), 3u);
    EXPECT_EQ(window->Series()[0].m_nImportType, IMPORT_ATLAS);
    EXPECT_EQ(window->Series()[1].m_nImportType, IMPORT_C1A1);
    EXPECT_EQ(window->Selected(), 2);
    // The refused files are named in the log.
    const std::string& log = window->Log().m_strCollectedText;
    EXPECT_NE(log.find("[" + other + "]"), std::string::npos);
    EXPECT_NE(log.find("ERROR: Failed to open file [" + FilePath("missing.log") + "]."), std::string::npos);
    // The Import dialog opens where the last good file came from.
    EXPECT_EQ(window->Parameters().ImportType, IMPORT_C1A1);
    EXPECT_EQ(window->Parameters().ImportPath, FilesFolder());
}

TEST_F(AppTest, FolderOnCommandLineImportsItsLogs) {
    MakeATLASFile("a.dat", 10);
    MakeC1A1File("b.log", 1, 10);
    auto window = MakeWindow();
    window->ImportFiles({m_files.path().toStdString()});
    ASSERT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Series()[0].m_nImportType, IMPORT_ATLAS);
    EXPECT_EQ(window->Series()[1].m_nImportType, IMPORT_C1A1);
}

TEST_F(AppTest, DroppedFilesAreImported) {
    const std::string atlas = MakeATLASFile("drop.dat", 12);
    auto window = MakeWindow();
    EXPECT_TRUE(window->acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(atlas))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_strSourceFile, atlas);
}

TEST_F(AppTest, ExportItemsReachTheActivePage) {
    auto window = MakeWindow();
    window->show();
    window->ImportFiles({MakeATLASFile("stab.dat", 30)});
    ASSERT_EQ(window->ActiveTab(), 1);
    const std::string table = FilePath("a22.txt");
    m_dialogs.QueueSaveFile(table, 1);
    window->OnExportTable();
    ASSERT_EQ(m_dialogs.m_saveRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.m_saveRequests[0].defaultExtension, "txt");
    EXPECT_FALSE(ReadTextFile(table).empty());

    // Nothing is exported from "Log Text".
    window->Tabs()->setCurrentIndex(0);
    window->OnExportImage();
    EXPECT_EQ(m_dialogs.m_saveRequests.size(), 1u);
}

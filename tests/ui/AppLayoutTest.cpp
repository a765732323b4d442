// SPDX-License-Identifier: GPL-3.0-or-later
// The main window beyond its first template: the remembered layout, the
// "Recent Logs" list, failed imports that leave everything as it was, tabs
// rebuilt when an evaluation is reset, Enter and Delete keys, and captions
// without an appended application name.

#include "AppTestSupport.h"

#include "ui/RecentLogs.h"
#include "ui/SettingsDlg.h"
#include "ui/WindowLayout.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DDCFuncDiagramDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <fstream>

namespace {

// The texts of the visible file items of "Recent Logs".
std::vector<std::string> RecentItems(const CDriftwiseDlg& window) {
    std::vector<std::string> texts;
    for (QAction* action : window.RecentLogsMenu()->actions())
        if (action->isVisible() && !action->isSeparator() && action->text() != QStringLiteral("Clear List"))
            texts.push_back(action->text().toStdString());
    return texts;
}

QAction* RecentItem(const CDriftwiseDlg& window, int index) { return window.RecentLogsMenu()->actions().at(index); }

// A fitted model for the selected series, shown on "Fitted Model", as the
// model fit would leave it (the fit itself is tested elsewhere).
void GiveModel(CDriftwiseDlg& window) {
    CA1TimeSeries& series = *window.SelectedSeries();
    series.ModelValid = 1;
    series.FitDi = 0.05;
    series.FitDa = 0.05;
    series.FitTc = 10.0;
    series.FitS = 0.01;
    series.ModelLifetime = 40.0;
    series.m_nCurrentTab = 3;
    window.RebuildTabs();
}

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

}  // namespace

// --- placing the window on the screens ---

TEST(WindowLayoutRules, ClampKeepsAFittingRectangleAndPullsOthersOnScreen) {
    const QList<QRect> screens = {QRect(0, 0, 1366, 768), QRect(1366, 0, 1920, 1080)};
    const QSize minimum(900, 600);
    // Inside the second screen: unchanged.
    EXPECT_EQ(ClampToScreens(QRect(1500, 100, 1000, 700), screens, minimum), QRect(1500, 100, 1000, 700));
    // Across the border, mostly on the first screen: pulled into it.
    EXPECT_EQ(ClampToScreens(QRect(800, 50, 1000, 700), screens, minimum), QRect(366, 50, 1000, 700));
    // Mostly on the second screen: pulled into that one.
    EXPECT_EQ(ClampToScreens(QRect(1000, 50, 1000, 700), screens, minimum), QRect(1366, 50, 1000, 700));
    // A screen that is gone (far right): the first screen takes it, shrunk.
    EXPECT_EQ(ClampToScreens(QRect(5000, 3000, 1600, 1000), screens, minimum), QRect(0, 0, 1366, 768));
    // Too small a remembered size grows to the minimum.
    EXPECT_EQ(ClampToScreens(QRect(10, 10, 200, 100), screens, minimum), QRect(10, 10, 900, 600));
    // No screens known: as remembered.
    EXPECT_EQ(ClampToScreens(QRect(5, 6, 7, 8), {}, minimum), QRect(5, 6, 7, 8));
}

TEST(WindowLayoutRules, DefaultRectFitsAndIsCentred) {
    EXPECT_EQ(DefaultWindowRect(QRect(0, 0, 1920, 1080), QSize(1120, 760)), QRect(400, 160, 1120, 760));
    // 1366 x 768 less a 32-pixel panel: the height gives way (less room for the frame).
    EXPECT_EQ(DefaultWindowRect(QRect(0, 32, 1366, 736), QSize(1120, 760)), QRect(123, 62, 1120, 676));
}

TEST(WindowLayoutRules, LayoutEntriesRoundTripInTheirOwnSection) {
    CMemorySettingsStore store;
    WINDOWLAYOUT layout;
    layout.rcNormal = QRect(12, 34, 1000, 650);
    layout.bMaximized = true;
    layout.nLogHeight = 140;
    layout.Save(&store);
    EXPECT_TRUE(store.Contains("Window Layout", "Width"));
    EXPECT_FALSE(store.Contains("Main Parameters", "Width"));
    WINDOWLAYOUT read;
    ASSERT_TRUE(read.Load(&store));
    EXPECT_EQ(read.rcNormal, layout.rcNormal);
    EXPECT_TRUE(read.bMaximized);
    EXPECT_EQ(read.nLogHeight, 140);
    // No geometry stored: nothing to restore.
    CMemorySettingsStore empty;
    EXPECT_FALSE(WINDOWLAYOUT().Load(&empty));
}

// --- the recent-logs list ---

TEST(RecentLogsList, NewestFirstEightAtMostNoRepeats) {
    CRecentLogs recent;
    for (int i = 1; i <= 10; ++i) recent.Add("/logs/" + std::to_string(i) + ".log");
    ASSERT_EQ(recent.Files().size(), 8u);
    EXPECT_EQ(recent.Files().front(), "/logs/10.log");
    EXPECT_EQ(recent.Files().back(), "/logs/3.log");
    recent.Add("/logs/5.log");  // again: moves to the top, once
    EXPECT_EQ(recent.Files().front(), "/logs/5.log");
    EXPECT_EQ(std::count(recent.Files().begin(), recent.Files().end(), "/logs/5.log"), 1);
    EXPECT_EQ(recent.Files().size(), 8u);
    EXPECT_TRUE(recent.Remove("/logs/5.log"));
    EXPECT_FALSE(recent.Remove("/logs/5.log"));
    EXPECT_EQ(recent.Files().size(), 7u);

    CMemorySettingsStore store;
    recent.Save(&store);
    CRecentLogs read;
    read.Load(&store);
    EXPECT_EQ(read.Files(), recent.Files());
    // A shorter list saved later leaves no old entries behind.
    read.Clear();
    read.Add("/logs/only.log");
    read.Save(&store);
    recent.Load(&store);
    EXPECT_EQ(recent.Files(), std::vector<std::string>{"/logs/only.log"});
}

TEST_F(AppTest, RecentLogsFollowEveryImportRoadAndSurviveARestart) {
    const std::string first = MakeATLASFile("first.dat", 12);
    const std::string second = MakeC1A1File("second.log", 1, 12);
    const std::string third = MakeATLASFile("third.txt", 12);
    {
        auto window = MakeWindow();
        EXPECT_FALSE(window->RecentLogsMenu()->menuAction()->isEnabled());
        window->ImportFiles({first});                  // command line or drop
        m_dialogs.QueueOpenFile(second, IMPORT_C1A1);  // the Import dialog
        window->OnImport();
        window->ImportFiles({third});
        window->ImportFiles({FilePath("missing.log")});  // not imported: not listed
        EXPECT_EQ(window->RecentLogs().Files(), (std::vector<std::string>{third, second, first}));
        EXPECT_TRUE(window->RecentLogsMenu()->menuAction()->isEnabled());
        EXPECT_EQ(RecentItems(*window), (std::vector<std::string>{"&1  " + third, "&2  " + second, "&3  " + first}));
        window->close();
    }
    auto window = MakeWindow();
    EXPECT_EQ(window->RecentLogs().Files(), (std::vector<std::string>{third, second, first}));

    // Choosing one imports it by content, like a dropped file.
    RecentItem(*window, 1)->trigger();
    ASSERT_EQ(window->Series().size(), 1u);
    EXPECT_EQ(window->Series()[0].m_strSourceFile, second);
    EXPECT_EQ(window->Series()[0].m_nImportType, IMPORT_C1A1);
    EXPECT_EQ(window->RecentLogs().Files().front(), second);
}

TEST_F(AppTest, MissingRecentLogIsRemovedWithAMessageAndListCanBeCleared) {
    const std::string kept = MakeATLASFile("kept.dat", 12);
    const std::string gone = MakeATLASFile("gone.dat", 12);
    auto window = MakeWindow();
    window->ImportFiles({kept});
    window->ImportFiles({gone});
    ASSERT_TRUE(QFile::remove(QString::fromStdString(gone)));
    const std::size_t seriesBefore = window->Series().size();

    RecentItem(*window, 0)->trigger();  // "gone.dat", the newest
    EXPECT_EQ(window->Series().size(), seriesBefore);
    ASSERT_EQ(m_dialogs.m_messages.size(), 1u);
    EXPECT_NE(m_dialogs.m_messages[0].text.find("[" + gone + "]"), std::string::npos);
    EXPECT_EQ(m_dialogs.m_messages[0].caption, "Recent Logs");
    EXPECT_EQ(window->RecentLogs().Files(), std::vector<std::string>{kept});
    EXPECT_EQ(RecentItems(*window), std::vector<std::string>{"&1  " + kept});

    QAction* clear = window->RecentLogsMenu()->actions().back();
    ASSERT_EQ(clear->text().toStdString(), "Clear List");
    clear->trigger();
    EXPECT_TRUE(window->RecentLogs().Files().empty());
    EXPECT_TRUE(RecentItems(*window).empty());
    EXPECT_FALSE(window->RecentLogsMenu()->menuAction()->isEnabled());
}

// --- one import road ---

TEST_F(AppTest, ImportDialogReadsWithItsFilterFormatNotByContent) {
    // An ATLASStab table chosen with the CEOS C1A1 filter is read as a C1A1
    // log, which finds no series in it.
    const std::string atlas = MakeATLASFile("table.dat", 12);
    auto window = MakeWindow();
    m_dialogs.QueueOpenFile(atlas, IMPORT_C1A1);
    window->OnImport();
    EXPECT_TRUE(window->Series().empty());
    const std::vector<std::string> log = LogMessages(window->Log().m_strCollectedText);
    EXPECT_EQ(CountPrefix(log, "Importing CEOS C1A1 log from file [" + atlas + "]."), 1);
    EXPECT_EQ(CountPrefix(log, "Added 0 new A1-time series to the data list."), 1);
}

// --- failed imports leave everything as it was ---

TEST_F(AppTest, FailedImportLeavesListSelectionAndTypedValuesUntouched) {
    auto window = MakeWindow();
    window->show();
    window->ImportFiles({MakeATLASFile("one.dat", 20), MakeC1A1File("two.log", 1, 20)});
    window->SeriesList()->setCurrentIndex(0);
    ASSERT_EQ(window->Selected(), 0);
    const std::vector<std::string> lines = ListLines(*window);
    const std::vector<std::string> tabs = TabTexts(*window);
    // A value typed on the page but not applied.
    QLineEdit* rotation = window->A1TimePage()->RotationEdit();
    rotation->setText(QStringLiteral("12.5"));

    const std::string headerless = FilePath("headerless.dat");
    WriteTextFile(headerless, "1  0.5 0.05  0.2 0.06  7003\n2  0.6 0.05  0.1 0.06  7006\n");
    const std::string junk = FilePath("junk.txt");
    WriteTextFile(junk, "Nothing to see here.\n");

    m_dialogs.QueueOpenFile(FilePath("missing.log"), IMPORT_C1A1);
    window->OnImport();
    m_dialogs.QueueOpenFile(headerless, IMPORT_ATLAS);
    window->OnImport();
    window->ImportFiles({junk, FilePath("missing.dat")});

    EXPECT_EQ(ListLines(*window), lines);
    EXPECT_EQ(window->Selected(), 0);
    EXPECT_EQ(window->SeriesList()->currentIndex(), 0);
    EXPECT_EQ(TabTexts(*window), tabs);
    EXPECT_EQ(rotation->text().toStdString(), "12.5");
    const std::vector<std::string> log = LogMessages(window->Log().m_strCollectedText);
    EXPECT_EQ(CountPrefix(log, "ERROR: Failed to open file [" + FilePath("missing.log") + "]."), 1);
    EXPECT_EQ(CountPrefix(log, "ERROR: Failed to load log data from file [" + headerless + "]."), 1);
    // The pages still act on the selected series.
    EXPECT_EQ(window->A1TimePage()->Series(), window->SelectedSeries());
    EXPECT_EQ(window->CFuncPage()->Series(), window->SelectedSeries());
}

// Like a failed one, an import that adds no series leaves the selection and
// the values typed but not yet applied.
TEST_F(AppTest, C1A1LogWithoutSeriesLeavesSelectionAndTypedValues) {
    auto window = MakeWindow();
    window->ImportFiles({MakeATLASFile("one.dat", 20), MakeATLASFile("two.dat", 20)});
    window->SeriesList()->setCurrentIndex(0);
    ASSERT_EQ(window->Selected(), 0);
    window->A1TimePage()->RotationEdit()->setText(QStringLiteral("12"));
    window->CFuncPage()->ResolutionEdit()->setText(QStringLiteral("0.8"));
    const std::string empty = FilePath("empty.log");
    WriteTextFile(empty, "12:00:00 Corrector ready.\n");
    m_dialogs.QueueOpenFile(empty, IMPORT_C1A1);
    window->OnImport();
    EXPECT_EQ(window->Series().size(), 2u);
    EXPECT_EQ(window->Selected(), 0);
    EXPECT_EQ(window->A1TimePage()->RotationEdit()->text().toStdString(), "12");
    EXPECT_EQ(window->CFuncPage()->ResolutionEdit()->text().toStdString(), "0.8");
}

// --- no stale pages ---

TEST_F(AppTest, FailedCharacteristicFunctionRemovesTheModelTabs) {
    auto window = MakeWindow();
    window->show();
    window->ImportFiles({MakeATLASFile("stab.dat", 31)});
    CA1TimeSeries* series = window->SelectedSeries();
    ASSERT_NE(series, nullptr);
    window->Parameters().MinDiversity = 3;
    window->OnCharFunc();
    ASSERT_EQ(series->CharFuncValid, 1);
    GiveModel(*window);
    ASSERT_EQ(TabTexts(*window).size(), 6u);
    ASSERT_EQ(window->ActiveTab(), 3);

    // Image numbers 1000 apart: no distance below ten has a pair, so the next
    // run clears the results and then fails.
    for (std::size_t i = 0; i < series->m_aSamples.size(); ++i)
        series->m_aSamples[i].nIndex = 1 + 1000 * static_cast<int>(i);
    window->OnCharFunc();
    EXPECT_EQ(series->CharFuncValid, 0);
    EXPECT_EQ(series->ModelValid, 0);
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
    EXPECT_EQ(window->ActiveTab(), 1);
    window->UpdateMenuState();
    EXPECT_FALSE(window->Action(CDriftwiseDlg::Command::ProbabilityPlot)->isEnabled());
    EXPECT_FALSE(window->Action(CDriftwiseDlg::Command::EvaluationSummary)->isEnabled());
}

TEST_F(AppTest, ReExtractAndNewCharacteristicFunctionRebuildTheTabs) {
    auto window = MakeWindow();
    window->show();
    window->ImportFiles({MakeATLASFile("stab.dat", 31)});
    CA1TimeSeries* series = window->SelectedSeries();
    window->Parameters().MinDiversity = 3;
    window->OnCharFunc();
    GiveModel(*window);
    ASSERT_EQ(TabTexts(*window).size(), 6u);
    // A new characteristic function drops the model and its tabs.
    window->OnCharFunc();
    EXPECT_EQ(series->ModelValid, 0);
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph", "Charact. Func.", "Summary"}));
    EXPECT_EQ(window->ActiveTab(), 2);
    // A re-extraction drops everything after the graph.
    window->OnReExtract();
    EXPECT_EQ(TabTexts(*window), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
}

// --- Enter keys (sent to the field itself, which any platform routes) ---

TEST_F(AppTest, EnterInRotationReExtractsAndEnterInInputsRefreshes) {
    auto window = MakeWindow();
    window->show();
    window->ImportFiles({MakeATLASFile("stab.dat", 31)});
    CA1TimeSeries* series = window->SelectedSeries();
    QLineEdit* rotation = window->A1TimePage()->RotationEdit();
    rotation->setText(QStringLiteral("30"));
    QTest::keyClick(rotation, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(series->m_dRotation, 30.0);
    EXPECT_TRUE(window->isVisible());

    window->Parameters().MinDiversity = 3;
    window->OnCharFunc();
    ASSERT_EQ(window->ActiveTab(), 2);
    CDDCFuncDiagramDlg* page = window->CFuncPage();
    page->EnergyEdit()->setText(QStringLiteral("200"));
    QTest::keyClick(page->EnergyEdit(), Qt::Key_Enter);
    EXPECT_DOUBLE_EQ(window->Parameters().ElEnergykV, 200.0);
    EXPECT_DOUBLE_EQ(series->UsedElEnergykV, 200.0);
    page->ResolutionEdit()->setText(QStringLiteral("1.5"));
    QTest::keyClick(page->ResolutionEdit(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(window->Parameters().TargetResAng, 1.5);
    EXPECT_DOUBLE_EQ(series->UsedTargetResAng, 1.5);
    EXPECT_FALSE(window->IsShutDown());
}

// --- labels, mnemonics and captions ---

TEST_F(AppTest, InputFieldsAreBuddiesAndMnemonicsDoNotClash) {
    auto window = MakeWindow();
    auto mnemonicOf = [](const QString& text) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        return amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toUpper() : QChar();
    };
    // Always reachable: the menu bar, Alt+A for About and the series row.
    std::vector<QChar> always = {QLatin1Char('A')};
    for (QAction* menu : window->menuBar()->actions()) always.push_back(mnemonicOf(menu->text()));
    for (QPushButton* button : {window->ImportButton(), window->DeleteButton(), window->DeleteAllButton()})
        always.push_back(mnemonicOf(button->text()));
    always.erase(std::remove(always.begin(), always.end(), QChar()), always.end());

    // Only one page is shown at a time: each page with the window's keys.
    int withMnemonics = 0;
    for (TabPage which : {TabPage::A1Time, TabPage::CharFunc, TabPage::Model, TabPage::Probability}) {
        CDDPage* page = window->Page(which);
        std::vector<QChar> keys = always;
        for (QPushButton* button : page->findChildren<QPushButton*>()) keys.push_back(mnemonicOf(button->text()));
        for (QCheckBox* box : page->findChildren<QCheckBox*>()) keys.push_back(mnemonicOf(box->text()));
        for (QLabel* label : page->findChildren<QLabel*>()) keys.push_back(mnemonicOf(label->text()));
        keys.erase(std::remove(keys.begin(), keys.end(), QChar()), keys.end());
        withMnemonics += static_cast<int>(keys.size() - always.size());
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end())
            << "a mnemonic is used twice on " << page->metaObject()->className();

        // Every editable field has a label naming it.
        for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
            if (edit->isReadOnly() || qobject_cast<QComboBox*>(edit->parentWidget())) continue;
            bool named = false;
            for (QLabel* label : page->findChildren<QLabel*>()) named = named || label->buddy() == edit;
            EXPECT_TRUE(named) << page->metaObject()->className();
        }
    }
    // Re-Extract, Mirror Y, Rotation, Charact. Function; Fit Model; three
    // times Refresh, energy and resolution.
    EXPECT_EQ(withMnemonics, 4 + 1 + 3 * 3);
}

TEST(AppSettingsFields, FieldsAreBuddiesOfTheirLabels) {
    CDriftwiseSettingsDlg dialog(nullptr);
    std::vector<std::string> named;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy()) named.push_back(label->text().toStdString());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, (std::vector<std::string>{"&Minimum diversity of the characteristic function:",
                                               "Astigmatism &phase shift tolerance:"}));
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().startsWith(QLatin1Char('&'))) {
            EXPECT_EQ(label->buddy(), dialog.DiversityField());
        } else if (label->buddy()) {
            EXPECT_EQ(label->buddy(), dialog.PhaseField());
        }
    }
}

TEST(AppCaptions, NoApplicationNameIsAppendedToCaptions) {
    CDriftwiseApp::PrepareApplication();
    // With no display name of its own, the display name follows the
    // application name, and the platform appends nothing to captions.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("renamed-for-test"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("renamed-for-test"));
    QCoreApplication::setApplicationName(name);
}

TEST(AppCaptions, DesktopFileKeepsNameAndIconButClaimsNoFileTypes) {
    std::ifstream file(DW_EXAMPLES_DIR "/../src/ui/resources/driftwise.desktop");
    ASSERT_TRUE(file.good());
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\nName=Driftwise\n"), std::string::npos);
    EXPECT_NE(text.find("\nIcon=driftwise\n"), std::string::npos);
    EXPECT_EQ(text.find("MimeType"), std::string::npos);
}

// --- the remembered layout ---

TEST_F(AppTest, LayoutIsSavedAtCloseAndRestoredAtTheNextStart) {
    const QRect area = Available();
    const QRect wanted(area.x() + 10, area.y() + 20, std::min(700, area.width() - 20),
                       std::min(520, area.height() - 30));
    {
        auto window = MakeWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->setGeometry(wanted);
        QApplication::processEvents();
        const int total = window->Splitter()->sizes().at(0) + window->Splitter()->sizes().at(1);
        window->Splitter()->setSizes({total - 90, 90});
        window->OnQuit();
    }
    EXPECT_TRUE(m_store.Contains("Window Layout", "Left"));
    int logHeight = 0;
    ASSERT_TRUE(m_store.GetInt("Window Layout", "MessageLogHeight", logHeight));
    EXPECT_EQ(logHeight, 90);

    auto window = MakeWindow();
    EXPECT_EQ(window->geometry(), wanted);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    EXPECT_EQ(window->Splitter()->sizes().at(1), 90);
    EXPECT_FALSE(window->isMaximized());
}

TEST_F(AppTest, RememberedLayoutIsClampedToTheScreensAndMayBeMaximised) {
    const QRect area = Available();
    m_store.WriteInt("Window Layout", "Left", area.right() + 3000);
    m_store.WriteInt("Window Layout", "Top", area.bottom() + 2000);
    m_store.WriteInt("Window Layout", "Width", area.width() + 500);
    m_store.WriteInt("Window Layout", "Height", area.height() + 500);
    m_store.WriteInt("Window Layout", "Maximized", 1);
    auto window = MakeWindow();
    EXPECT_TRUE(area.contains(window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry()));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
}

TEST_F(AppTest, FirstStartOpensAtASizeThatFitsTheScreen) {
    auto window = MakeWindow();
    const QRect area = Available();
    EXPECT_LE(window->width(), area.width());
    EXPECT_LE(window->height(), area.height());
    EXPECT_GE(window->width(), std::min(900, area.width() - 40));
}

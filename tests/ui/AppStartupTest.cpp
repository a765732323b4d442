// Start-up and shutdown of the main window: data folder, log banner,
// parameter loading, and the Quit and close-box sequences.

#include "AppTestSupport.h"

#include "Version.h"
#include "platform/qt/QtSettingsStore.h"
#include "plot/DiagramContent.h"
#include "ui/pages/DDA1TimeDiagramDlg.h"
#include "ui/pages/DiagramView.h"

#include <QFileInfo>
#include <QSettings>
#include <climits>

TEST_F(AppTest, FirstStartCreatesFolderWritesBannerAndOneSetupError) {
    auto window = MakeWindow();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(m_strDataFolder)).isDir());

    const std::string text = ReadTextFile(LogPath());
    ASSERT_FALSE(text.empty());
    // Every line starts with CR LF; the file ends without a line break.
    EXPECT_EQ(text.substr(0, 2), "\r\n");
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");

    const std::vector<std::string> lines = LogMessages(text);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], FormatText("Driftwise - Version %s started.", kVersionText));
    EXPECT_EQ(lines[1], "Driftwise - Version 1.0.2 (build 140206) started.");
    EXPECT_EQ(CountPrefix(lines, "ERROR: Failed to open file ["), 1);
    EXPECT_EQ(CountPrefix(lines, "ERROR: Failed to open file [" + SetupPath() + "]."), 1);
    EXPECT_EQ(CountPrefix(lines, "ERROR: "), 1);

    // No Setup.prm before the first close; the defaults are in force.
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(SetupPath())));
    EXPECT_EQ(window->Parameters().MinDiversity, 10);
    EXPECT_EQ(window->Parameters().ImportType, 1);
    EXPECT_DOUBLE_EQ(window->Parameters().LimitPhase, 0.25);
}

TEST_F(AppTest, QuitSavesParametersAndEndsLogWithProgramQuit) {
    auto window = MakeWindow();
    window->show();
    window->Parameters().MinDiversity = 33;
    window->OnQuit();
    EXPECT_TRUE(window->IsShutDown());
    EXPECT_FALSE(window->isVisible());

    const std::string setup = ReadTextFile(SetupPath());
    EXPECT_NE(setup.find("Main Parameters"), std::string::npos);
    EXPECT_NE(setup.find("33"), std::string::npos);
    int stored = 0;
    EXPECT_TRUE(m_store.GetInt("Main Parameters", "MinDiversity", stored));
    EXPECT_EQ(stored, 33);

    const std::vector<std::string> lines = LogFileMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Program Quit.");
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(CountPrefix(lines, "Program Aborted."), 0);
}

TEST_F(AppTest, CloseBoxRunsAbortSequenceOnceAndStillSaves) {
    auto window = MakeWindow();
    window->show();
    window->close();
    EXPECT_TRUE(window->IsShutDown());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(SetupPath())));

    const std::vector<std::string> lines = LogFileMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Program Aborted.");
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(CountPrefix(lines, "Program "), 1);

    // After Quit the window closes without a second sequence.
    auto second = MakeWindow();
    second->show();
    second->OnQuit();
    const std::vector<std::string> after = LogFileMessages();
    EXPECT_EQ(CountPrefix(after, "Program Quit."), 1);
    EXPECT_EQ(CountPrefix(after, "Program Aborted."), 1);
}

TEST_F(AppTest, SecondStartReadsSetupFileAndStoreWins) {
    {
        auto window = MakeWindow();
        window->Parameters().MinDiversity = 25;
        window->Parameters().ElEnergykV = 200.0;
        window->OnQuit();
    }
    // The store holds another energy: it overrides the file.
    CMemorySettingsStore store;
    std::vector<unsigned char> bytes(8);
    const double energy = 120.0;
    std::memcpy(bytes.data(), &energy, 8);
    store.WriteBinary("Main Parameters", "ElEnergykV", bytes);

    auto window = MakeWindow(&store);
    EXPECT_EQ(window->Parameters().MinDiversity, 25);
    EXPECT_DOUBLE_EQ(window->Parameters().ElEnergykV, 120.0);
    const std::vector<std::string> lines = LogFileMessages();
    // Only the first start missed Setup.prm.
    EXPECT_EQ(CountPrefix(lines, "ERROR: Failed to open file ["), 1);
}

TEST_F(AppTest, DisplayChoiceGoesBackIntoParametersAtQuit) {
    {
        auto window = MakeWindow();
        window->A1TimePage()->SetDisplayType(2);
        window->OnQuit();
        EXPECT_EQ(window->Parameters().DataDisplayType, 1);
    }
    auto window = MakeWindow();
    EXPECT_EQ(window->Parameters().DataDisplayType, 1);
    EXPECT_EQ(window->A1TimePage()->DisplayType(), 2);
}

TEST_F(AppTest, StoredDisplayTypesOtherThanZeroOrOneSurviveAQuit) {
    // INT_MAX + 1 as the page's value must neither overflow nor be folded to 0.
    for (int stored : {5, -7, INT_MAX, INT_MIN}) {
        CMemorySettingsStore store;
        store.WriteInt("Main Parameters", "DataDisplayType", stored);
        auto window = MakeWindow(&store);
        EXPECT_EQ(window->A1TimePage()->View()->Diagram()->m_style.nDisplayType, 1) << stored;
        window->OnQuit();
        int saved = 0;
        EXPECT_TRUE(store.GetInt("Main Parameters", "DataDisplayType", saved));
        EXPECT_EQ(saved, stored);
    }
}

TEST_F(AppTest, QtSettingsStoreKeepsParametersBetweenRuns) {
    const std::string appName = CDriftwiseApp::ExecutableBaseName();
    {
        CQtSettingsStore store(appName);
        auto window = MakeWindow(&store);
        window->Parameters().LimitPhase = 0.125;
        window->Parameters().ImportPath = "/some/folder/";
        window->OnQuit();
        EXPECT_TRUE(store.Sync());
    }
    // Without Setup.prm the values can only come from the store.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(SetupPath())));
    CQtSettingsStore store(appName);
    auto window = MakeWindow(&store);
    EXPECT_DOUBLE_EQ(window->Parameters().LimitPhase, 0.125);
    EXPECT_EQ(window->Parameters().ImportPath, "/some/folder/");

    // The store lives under the organisation "Corvolab" in the test's
    // configuration folder, never in the user's.
    QSettings settings(QStringLiteral("Corvolab"), QString::fromStdString(appName));
    EXPECT_TRUE(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")))
        << settings.fileName().toStdString();
    settings.clear();
}

TEST_F(AppTest, DataFolderIsXdgDataHomePlusExecutableName) {
    EXPECT_EQ(CDriftwiseApp::ExecutableBaseName(), "ui_app_tests");
    EXPECT_EQ(CDriftwiseApp::DataFolderPath(), qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/ui_app_tests");
}

TEST_F(AppTest, LargeLogIsCutAtStart) {
    QDir().mkpath(QString::fromStdString(m_strDataFolder));
    WriteTextFile(LogPath(), std::string(CLogFile::kMaxLogLength + 1, 'x'));
    auto window = MakeWindow();
    const std::vector<std::string> lines = LogFileMessages();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1],
              "The previous content of the log file was erased in order to prevent too large log files (max. 2MB).");
    EXPECT_EQ(lines[4], "Driftwise - Version 1.0.2 (build 140206) started.");
}

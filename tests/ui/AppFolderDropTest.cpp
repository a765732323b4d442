// SPDX-License-Identifier: GPL-3.0-or-later
// A dropped folder follows the batch tool's folder rule: the logs in it and
// below it, found by content, in path order; the rest is named and skipped.

#include "AppTestSupport.h"

#include <QDir>

TEST_F(AppTest, ADroppedFolderImportsTheLogsBelowItInPathOrder) {
    ASSERT_TRUE(QDir(m_files.path()).mkpath(QStringLiteral("archive/b/deeper")));
    const std::string atlas = MakeATLASFile("archive/b/one.dat", 20);
    const std::string deeper = MakeC1A1File("archive/b/deeper/two.log", 1, 20);
    const std::string first = MakeC1A1File("archive/a.log", 2, 20);
    const std::string notes = FilePath("archive/notes.txt");
    WriteTextFile(notes, "Column adjusted on Monday.\n");
    auto window = MakeWindow();
    window->ImportFiles({FilePath("archive")});

    std::vector<std::string> sources;
    for (int i = 0; i < window->SeriesList()->count(); ++i) {
        window->SeriesList()->setCurrentIndex(i);
        sources.push_back(window->SelectedSeries()->m_strSourceFile);
    }
    EXPECT_EQ(sources, (std::vector<std::string>{first, first, deeper, atlas}));
    const std::vector<std::string> log = LogMessages(window->Log().m_strCollectedText);
    EXPECT_EQ(CountPrefix(log, "Skipped [" + notes + "]: The file is neither a CEOS C1A1 log nor an ATLASStab log."),
              1);
    EXPECT_EQ(CountPrefix(log, "ERROR: Refused"), 0) << window->Log().m_strCollectedText;
}

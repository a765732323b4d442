// SPDX-License-Identifier: GPL-3.0-or-later
// The Import dialog's road: its file types come from the log formats, a
// file that gives no series says why and leaves the window as it was, and
// the series list tells where each series came from.

#include "AppTestSupport.h"

#include "ui/ImportFileTypes.h"

namespace {

const char* const kLooksAtlas =
    "The file looks like an ATLASStab log: choose that file type, or drop the file onto the window.";
const char* const kLooksC1A1 =
    "The file looks like a CEOS C1A1 log: choose that file type, or drop the file onto the window.";

}  // namespace

TEST_F(AppTest, ImportDialogSaysWhyAFileGaveNoSeries) {
    struct CASE {
        const char* szName;
        std::string content;  // written unless the file is to be missing
        bool bMissing;
        int nType;
        std::string reason;
    };
    const std::string binary("\x01\x02\0\0\x7f", 5);
    const CASE cases[] = {
        {"empty.log", "", false, IMPORT_C1A1, "The file is empty."},
        {"empty.dat", "", false, IMPORT_ATLAS, "The file is empty."},
        {"image.log", binary, false, IMPORT_C1A1, "The file is not a text file."},
        {"stab.dat", ATLASStabLogText(12), false, IMPORT_C1A1, kLooksAtlas},
        {"corr.log", C1A1LogText(1, 12), false, IMPORT_ATLAS, kLooksC1A1},
        {"notes.txt", "Nothing to see here.\n", false, IMPORT_ATLAS,
         "The file is neither a CEOS C1A1 log nor an ATLASStab log."},
        {"gone.log", "", true, IMPORT_ATLAS, "Failed to open the file: No such file or directory"},
    };
    auto window = MakeWindow();
    for (const CASE& c : cases) {
        const std::string path = FilePath(c.szName);
        if (!c.bMissing) WriteTextFile(path, c.content);
        const std::size_t before = LogMessages(window->Log().m_strCollectedText).size();
        m_dialogs.QueueOpenFile(path, FilterOfImportType(c.nType));
        window->OnImport();
        const std::vector<std::string> log = LogMessages(window->Log().m_strCollectedText);
        ASSERT_GT(log.size(), before) << c.szName;
        EXPECT_EQ(log.back(), c.reason) << c.szName;
        EXPECT_TRUE(window->Series().empty());
    }
    // A log read with its own type that holds no series has nothing to add.
    const std::string quiet = FilePath("quiet.log");
    WriteTextFile(quiet, "12:00:00 Corrector ready.\n12:00:01 C1A1 series successfully started.\n");
    m_dialogs.QueueOpenFile(quiet, FilterOfImportType(IMPORT_C1A1));
    window->OnImport();
    EXPECT_EQ(LogMessages(window->Log().m_strCollectedText).back(), "Added 0 new A1-time series to the data list.");
}

TEST_F(AppTest, ImportFileTypesFollowTheLogFormatsBothWays) {
    auto window = MakeWindow();
    window->OnImport();  // cancelled
    ASSERT_EQ(m_dialogs.m_openRequests.size(), 1u);
    const std::vector<FILEFILTER>& filters = m_dialogs.m_openRequests[0].filters;
    ASSERT_EQ(filters.size(), LogFormats().size());
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const int type = LogFormats()[i].nImportType;
        EXPECT_EQ(ImportTypeOfFilter(static_cast<int>(i) + 1), type);
        EXPECT_EQ(FilterOfImportType(type), static_cast<int>(i) + 1);
        // The title names the format it reads.
        const std::string title = LogFormats()[i].szTitle;
        EXPECT_EQ(filters[i].label.rfind(title, 0), 0u) << filters[i].label;
    }
    EXPECT_EQ(ImportTypeOfFilter(0), IMPORT_NONE);
    EXPECT_EQ(ImportTypeOfFilter(static_cast<int>(filters.size()) + 1), IMPORT_NONE);
}

TEST_F(AppTest, SeriesListEntriesTellFileLinesAndTypeInTheirTooltips) {
    auto window = MakeWindow();
    const std::string atlas = MakeATLASFile("stab.dat", 20);
    const std::string c1a1 = MakeC1A1File("two.log", 2, 12);
    window->ImportFiles({atlas, c1a1});
    ASSERT_EQ(window->Series().size(), 3u);
    const std::vector<std::string> lines = ListLines(*window);
    for (int i = 0; i < 3; ++i) {
        const CA1TimeSeries& series = window->Series()[static_cast<std::size_t>(i)];
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], SeriesListLine(i + 1, series));
        const std::string expected =
            FormatText("File: %s\nLines: %d to %d\nType: %s", (i == 0 ? atlas : c1a1).c_str(), series.m_nFirstLine,
                       series.m_nLastLine, i == 0 ? "ATLASStab log" : "CEOS C1A1 log");
        EXPECT_EQ(window->SeriesList()->itemData(i, Qt::ToolTipRole).toString().toStdString(), expected);
    }
    // The two series of one file differ in their line ranges.
    EXPECT_LT(window->Series()[1].m_nLastLine, window->Series()[2].m_nFirstLine);
}
